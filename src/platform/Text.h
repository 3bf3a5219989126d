#pragma once

#include <string>
#include <vector>

namespace platform {

// Text is UTF-8 inside the program (stretched to hold any UTF-16, see Utf8) and UTF-16 where it
// meets Windows; only the platform layer converts. Every conversion is exact or fails.
class Text {
public:
    // False when utf8 is neither UTF-8 nor a lone UTF-16 unit written as UTF-8 would write it.
    static bool toWide(const std::string& utf8, std::wstring& wide);
    // Any UTF-16, a lone surrogate included.
    static std::string toUtf8(const std::wstring& wide);
    // A registry string's bytes (UTF-16, little-endian) up to its first NUL, as UTF-8.
    static std::string fromRegistryString(const char* bytes, std::size_t size);
    // The strings of a registry multi-string (UTF-16, each ended by a NUL, an empty one ends
    // the list), as UTF-8.
    static std::vector<std::string> fromRegistryStrings(const char* bytes, std::size_t size);
    // The bytes of a registry string: UTF-16, little-endian, with its terminating NUL.
    static bool toRegistryString(const std::string& utf8, std::string& bytes);
    // Bytes in the system's ANSI code page (what older versions stored) as UTF-8.
    static std::string fromAnsiCodePage(const std::string& bytes);
};

} // namespace platform
