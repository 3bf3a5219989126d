#pragma once

#include "util/LittleEndian.h"

#include <cstdint>
#include <initializer_list>
#include <string>

// The data file's bytes written out by hand, as every version wrote them: what is read must not
// depend on the writer under test.
inline std::string word(std::uint32_t value)
{
    std::string bytes(4, '\0');
    util::LittleEndian::writeWord(bytes.data(), value);
    return bytes;
}

// One record: type and state as 32-bit little-endian words, then the name and the command line,
// each followed by one NUL.
inline std::string record(int type, const std::string& name, const std::string& data, int state = 1)
{
    return word(static_cast<std::uint32_t>(type)) + word(static_cast<std::uint32_t>(state)) + name + '\0' + data + '\0';
}

// A file of these records as an older version wrote it: their count, then the records.
inline std::string dataFile(std::initializer_list<std::string> records)
{
    std::string bytes = word(static_cast<std::uint32_t>(records.size()));
    for (const std::string& one : records)
        bytes += one;
    return bytes;
}
