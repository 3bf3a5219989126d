#include "platform/Text.h"

#include "platform/Win32Api.h"
#include "util/Utf8.h"

#include <algorithm>
#include <cstring>

using util::Utf8;

namespace platform {

namespace {

// A registry string's bytes as the UTF-16 units they hold; an odd last byte is no unit.
std::wstring unitsOf(const char* bytes, std::size_t size)
{
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    if (!wide.empty())
        std::memcpy(&wide[0], bytes, wide.size() * sizeof(wchar_t));
    return wide;
}

} // namespace

bool Text::toWide(const std::string& utf8, std::wstring& wide)
{
    wide.clear();
    if (!Utf8::isValid(utf8, true))
        return false;
    wide.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = Utf8::next(utf8, i);
        if (c < 0x10000) {
            wide += static_cast<wchar_t>(c);
        } else {
            wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return true;
}

std::string Text::toUtf8(const std::wstring& wide)
{
    std::string utf8;
    utf8.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char32_t unit = wide[i];
        const bool paired =
            unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        if (paired)
            Utf8::append(utf8, 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00));
        else
            Utf8::append(utf8, unit); // a lone half keeps its own number
    }
    return utf8;
}

std::string Text::fromRegistryString(const char* bytes, std::size_t size)
{
    std::wstring wide = unitsOf(bytes, size);
    wide.resize(std::min(wide.size(), wide.find(L'\0')));
    return toUtf8(wide);
}

std::vector<std::string> Text::fromRegistryStrings(const char* bytes, std::size_t size)
{
    const std::wstring wide = unitsOf(bytes, size);
    std::vector<std::string> strings;
    for (std::size_t start = 0; start < wide.size();) {
        const std::size_t end = std::min(wide.size(), wide.find(L'\0', start));
        if (end == start)
            break;
        strings.push_back(toUtf8(wide.substr(start, end - start)));
        start = end + 1;
    }
    return strings;
}

bool Text::toRegistryString(const std::string& utf8, std::string& bytes)
{
    std::wstring wide;
    if (!toWide(utf8, wide))
        return false;
    bytes.assign(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t));
    return true;
}

std::string Text::fromAnsiCodePage(const std::string& bytes)
{
    if (bytes.empty())
        return bytes;
    const UINT codePage = win32().GetACP();
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, &wide[0], static_cast<int>(wide.size()));
    return toUtf8(wide);
}

} // namespace platform
