#pragma once

#include "products/bootwarden/inspection/ProgramFacts.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace products::bootwarden::inspection {

// Finds the program a command line starts and learns what can be known of it. Checking a
// signature reads the whole file, so each file is read once while it stays as it is: the facts
// are kept by path, size and time of change, and this is the one place they are kept. Several
// threads may ask at once.
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
    // The facts inspect learnt of the program while its file is as it was then (the same size
    // and time of change, or missing still); none when it must be inspected again. It reads the
    // file's attributes only, so a window may ask it while it waits for nobody.
    std::optional<ProgramFacts> known(const std::string& commandLine);

private:
    // The file a command line starts, as it is now.
    struct Look {
        std::string path;   // as the command line names it
        std::string native; // as this process must open it
        unsigned long attributes = 0;
        unsigned long error = 0; // why the file's attributes cannot be read; 0 when they can
        std::uint64_t size = 0;
        std::uint64_t written = 0;
    };
    struct Known {
        Look look;
        ProgramFacts facts;
    };

    static Look look(const std::string& commandLine);
    std::optional<ProgramFacts> known(const Look& now);
    static ProgramFacts read(const std::string& path, unsigned long attributes);

    std::mutex _mutex;
    std::map<std::string, Known> _known; // by the path's folded case
};

} // namespace products::bootwarden::inspection
