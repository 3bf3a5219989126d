#pragma once

#include <string>
#include <vector>

namespace platform {

// The console program's own ends: its arguments and its output, as UTF-8.
class Console {
public:
    // The arguments after the program's name.
    static std::vector<std::string> arguments();
    // Writes to standard output or standard error: as wide text to a console, so every
    // language shows, and as UTF-8 bytes to a file or a pipe.
    static void write(const std::string& text, bool toError);
};

} // namespace platform
