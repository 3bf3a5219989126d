#pragma once

#include "exceptions/IOException.h"

#include <fstream>
#include <functional>
#include <string>
#include <string_view>

namespace io::file {

// Whole files in and out of memory. Every failure message ends with the file name, the working
// directory, the system's last error and the stream library's text.
class FileHelper {
public:
    static constexpr unsigned MAX_FILE_SIZE = 2147483647u;

    // count 0 reads the whole file.
    static std::string loadFile(const std::string& name, unsigned count = 0);
    // Hands the open file to consume, with its size, to be read a piece at a time; a read that
    // fails throws as loading does.
    static void readFile(const std::string& name, const std::function<void(std::istream& in, std::size_t size)>& consume);
    // Writes a temporary file beside the target and then replaces the target in one step, so
    // a failure at any point leaves the old file as it was. The flags apply to the new file.
    static void saveFile(const std::string& name, const std::string& contents,
                         std::ios::openmode flags = std::ios::openmode());
    using Write = std::function<void(std::string_view piece)>;
    // The same for contents made a piece at a time: produce is handed a function that writes
    // the next piece.
    static void saveFile(const std::string& name, const std::function<void(const Write&)>& produce,
                         std::ios::openmode flags = std::ios::openmode());

private:
    static void openForReading(std::ifstream& stream, const std::string& name);
    // Opens path; a failure names the file the caller saves, name.
    static void openForWriting(std::ofstream& stream, const std::string& path, const std::string& name,
                               std::ios::openmode flags);
    // A free name for the new contents beside the file.
    static std::string temporaryFor(const std::string& name);
    static unsigned getFileSize(std::ifstream& stream, const std::string& name);
    static void writeTemporary(const std::string& temporary, const std::string& name,
                               const std::function<void(const Write&)>& produce, std::ios::openmode flags);
    static std::string makeErrorDetails(const std::string& message, const std::string& name,
                                        const std::string& libraryText);
};

} // namespace io::file
