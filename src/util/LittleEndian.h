#pragma once

#include <cstdint>

namespace util {

// 32-bit little-endian words, as the data file stores them on every platform.
class LittleEndian {
public:
    static std::uint32_t readWord(const char* bytes)
    {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes);
        return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    }

    // Writes the word's four bytes at out; returns their end.
    static char* writeWord(char* out, std::uint32_t word)
    {
        for (int shift = 0; shift < 32; shift += 8)
            *out++ = static_cast<char>((word >> shift) & 0xFF);
        return out;
    }
};

} // namespace util
