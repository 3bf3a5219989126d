#pragma once

#include "products/bootwarden/ProgramFacts.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace products::bootwarden {

// Finds the program a command line starts and learns what can be known of it. Checking a
// signature reads the whole file, so each file is read once while it stays as it is: the facts
// are kept by path, size and time of change. Several threads may ask at once.
class ProgramInspector {
public:
    // The file a command line starts, as Windows finds it: the quoted path, the text up to
    // ".exe", or the shortest part before a space that names a file; a name without a folder
    // looked up as CreateProcess looks it up. Environment variables are expanded. When no file
    // is there, the path the command line names. Empty for an empty command line.
    static std::string locate(const std::string& commandLine);

    // Whether a file (not a folder) is at the path, as the system sees it.
    static bool exists(const std::string& path);

    // The facts of the program the command line starts. A 32-bit Bootwarden on 64-bit Windows
    // reads the system's own programs, not the 32-bit copies Windows shows it under their names.
    ProgramFacts inspect(const std::string& commandLine);

private:
    struct Known {
        std::uint64_t size;
        std::uint64_t written;
        ProgramFacts facts;
    };

    static ProgramFacts read(const std::string& path, unsigned long attributes);

    std::mutex _mutex;
    std::map<std::string, Known> _known; // by the path's folded case
};

} // namespace products::bootwarden
