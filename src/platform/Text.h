#pragma once

#include <string>
#include <vector>

namespace platform {

// Text is UTF-8 inside the program and UTF-16 where it meets Windows; only the platform layer
// converts. A conversion that cannot be exact fails instead of guessing a character.
class Text {
public:
    // False when utf8 is not valid UTF-8.
    static bool toWide(const std::string& utf8, std::wstring& wide);
    // False when wide holds a lone surrogate, which UTF-8 cannot carry.
    static bool toUtf8(const std::wstring& wide, std::string& utf8);
    // A registry string's bytes (UTF-16, little-endian) up to its first NUL, as UTF-8.
    static bool fromRegistryString(const char* bytes, std::size_t size, std::string& utf8);
    // The strings of a registry multi-string (UTF-16, each ended by a NUL, an empty one ends
    // the list), as UTF-8.
    static bool fromRegistryStrings(const char* bytes, std::size_t size, std::vector<std::string>& strings);
    // The bytes of a registry string: UTF-16, little-endian, with its terminating NUL.
    static bool toRegistryString(const std::string& utf8, std::string& bytes);
    // Bytes in the system's ANSI code page (what older versions stored) as UTF-8.
    static std::string fromAnsiCodePage(const std::string& bytes);
};

} // namespace platform
