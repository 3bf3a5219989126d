#include "platform/Text.h"

#include "platform/Win32Api.h"

#include <algorithm>
#include <cstring>

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
    if (utf8.empty())
        return true;
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length == 0)
        return false;
    wide.resize(length);
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], length);
    return true;
}

bool Text::toUtf8(const std::wstring& wide, std::string& utf8)
{
    utf8.clear();
    if (wide.empty())
        return true;
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length == 0)
        return false;
    utf8.resize(length);
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, &utf8[0], length, nullptr, nullptr);
    return true;
}

bool Text::fromRegistryString(const char* bytes, std::size_t size, std::string& utf8)
{
    std::wstring wide = unitsOf(bytes, size);
    wide.resize(std::min(wide.size(), wide.find(L'\0')));
    return toUtf8(wide, utf8);
}

bool Text::fromRegistryStrings(const char* bytes, std::size_t size, std::vector<std::string>& strings)
{
    const std::wstring wide = unitsOf(bytes, size);
    strings.clear();
    for (std::size_t start = 0; start < wide.size();) {
        const std::size_t end = std::min(wide.size(), wide.find(L'\0', start));
        if (end == start)
            break;
        std::string utf8;
        if (!toUtf8(wide.substr(start, end - start), utf8))
            return false;
        strings.push_back(utf8);
        start = end + 1;
    }
    return true;
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
    std::string utf8;
    toUtf8(wide, utf8); // a code page never yields a lone surrogate
    return utf8;
}

} // namespace platform
