#pragma once

#include "exceptions/IOException.h"

#include <functional>
#include <string>
#include <string_view>

namespace io::file {

// Whole files in and out of memory. Every failure message ends with the file name, the working
// directory and the system's own error for the step that failed.
class FileHelper {
public:
    static constexpr unsigned MAX_FILE_SIZE = 2147483647u;

    // count 0 reads the whole file.
    static std::string loadFile(const std::string& name, unsigned count = 0);
    // Hands the next bytes of the file, at most `most`, to `into`; 0 at its end.
    using Read = std::function<std::size_t(char* into, std::size_t most)>;
    // Hands the open file to consume, with its size, to be read a piece at a time; a read that
    // fails throws as loading does. Another process may replace the file meanwhile: this one
    // goes on reading what it opened.
    static void readFile(const std::string& name,
                         const std::function<void(const Read& read, std::size_t size)>& consume);
    // Writes a temporary file beside the target and then replaces the target in one step, so
    // a failure at any point leaves the old file as it was.
    static void saveFile(const std::string& name, const std::string& contents);
    using Write = std::function<void(std::string_view piece)>;
    // The same for contents made a piece at a time: produce is handed a function that writes
    // the next piece.
    static void saveFile(const std::string& name, const std::function<void(const Write&)>& produce);

private:
    // A free name for the new contents beside the file.
    static std::string temporaryFor(const std::string& name);
    static void writeTemporary(const std::string& temporary, const std::string& name,
                               const std::function<void(const Write&)>& produce);
    static std::string makeErrorDetails(const std::string& message, const std::string& name, unsigned long error);
};

} // namespace io::file
