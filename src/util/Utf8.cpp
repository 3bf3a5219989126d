#include "util/Utf8.h"

namespace util {

namespace {

const char32_t REPLACEMENT = 0xFFFD;

bool isSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// The length of the sequence a lead byte starts; 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char lead)
{
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// The character at text[i] when it is well-formed (a surrogate counts), with its length.
bool decode(std::string_view text, std::size_t i, char32_t& code, std::size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    length = sequenceLength(lead);
    if (length == 0 || text.size() - i < length)
        return false;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return false;
        code = code << 6 | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return code >= smallest[length] && code <= 0x10FFFF;
}

// Pairs of neighbours, the upper case first (U+0100 and U+0101, ...), in the blocks that
// alternate; first is where the block's first upper-case letter stands.
bool pairedLower(char32_t c, char32_t first, char32_t last)
{
    return c > first && c <= last && (c - first) % 2 == 1;
}

char32_t upper(char32_t c)
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - 32 : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if (c == 0x3C2)
        return 0x3A3; // final sigma
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 37;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 63;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    if (c >= 0x561 && c <= 0x586)
        return c - 48;
    if (pairedLower(c, 0x100, 0x12F) || pairedLower(c, 0x132, 0x137) || pairedLower(c, 0x139, 0x148) ||
        pairedLower(c, 0x14A, 0x177) || pairedLower(c, 0x179, 0x17E) || pairedLower(c, 0x460, 0x481) ||
        pairedLower(c, 0x48A, 0x4BF) || pairedLower(c, 0x4C1, 0x4CE) || pairedLower(c, 0x4D0, 0x52F) ||
        pairedLower(c, 0x1E00, 0x1E95) || pairedLower(c, 0x1EA0, 0x1EFF))
        return c - 1;
    return c;
}

} // namespace

bool Utf8::isValid(std::string_view text, bool surrogatesAllowed)
{
    bool afterLead = false;
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        std::size_t length = 0;
        if (!decode(text, i, code, length) || (isSurrogate(code) && !surrogatesAllowed) ||
            (afterLead && code >= 0xDC00 && code <= 0xDFFF))
            return false;
        afterLead = code >= 0xD800 && code <= 0xDBFF;
        i += length;
    }
    return true;
}

bool Utf8::hasLoneSurrogate(std::string_view text)
{
    // ED A0 to ED BF is the only way a surrogate is written.
    for (std::size_t i = text.find('\xED'); i != std::string_view::npos; i = text.find('\xED', i + 1))
        if (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0xA0)
            return true;
    return false;
}

char32_t Utf8::next(std::string_view text, std::size_t& i)
{
    char32_t code = 0;
    std::size_t length = 0;
    if (!decode(text, i, code, length)) {
        ++i;
        return REPLACEMENT;
    }
    i += length;
    return code;
}

void Utf8::append(std::string& text, char32_t c)
{
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | c >> 6);
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | c >> 12);
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | c >> 18);
        text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf8::displayable(std::string_view text)
{
    if (!hasLoneSurrogate(text))
        return std::string(text);
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = next(text, i);
        append(shown, isSurrogate(c) ? REPLACEMENT : c);
    }
    return shown;
}

std::string Utf8::foldCase(const std::string& text)
{
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) { // most names are ASCII
            folded += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 32 : byte);
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char32_t c = next(text, i);
        const char32_t u = upper(c);
        if (u == c)
            folded.append(text, start, i - start); // bytes kept as they are, well-formed or not
        else
            append(folded, u);
    }
    return folded;
}

} // namespace util
