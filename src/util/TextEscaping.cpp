#include "util/TextEscaping.h"

#include "util/Utf8.h"

#include <cstdio>

using util::Utf8;

namespace util {

namespace {

std::string hexEscape(const char* format, char32_t c)
{
    char escaped[12];
    std::snprintf(escaped, sizeof escaped, format, static_cast<unsigned>(c));
    return escaped;
}

} // namespace

std::string TextEscaping::json(const std::string& text)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = Utf8::next(text, i);
        if (c == '"' || c == '\\')
            json += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
            json += hexEscape("\\u%04x", c);
        else
            json.append(text, start, i - start);
    }
    return json + "\"";
}

std::string TextEscaping::csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string TextEscaping::visible(const std::string& text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = Utf8::next(text, i);
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (c < 0x20 || c == 0x7F)
            shown += hexEscape("\\x%02x", c);
        else if (c >= 0x80 && c <= 0x9F)
            shown += hexEscape("\\u%04x", c);
        else
            shown.append(text, start, i - start);
    }
    return shown;
}

} // namespace util
