#include "io/file/FileHelper.h"

#include "platform/UniqueResource.h"
#include "platform/errorresources/SystemErrors.h"
#include "windows/file/WindowsFileHelper.h"

#include <algorithm>

using platform::errorresources::SystemErrors;
using windows::file::WindowsFileHelper;

namespace io::file {

namespace {

// Each call to the system moves at most this much, well within what a DWORD counts.
const std::size_t STEP = 1 << 24;
// Reading the largest data file takes a fraction of a second.
const int REPLACE_ATTEMPTS = 50;
const DWORD REPLACE_PAUSE_MS = 40;

// The file to read; others may read it, write it or replace it meanwhile.
platform::UniqueFileHandle openForReading(const std::string& name, DWORD& error)
{
    platform::UniqueFileHandle file(
        platform::win32().CreateFileU(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    error = file.valid() ? ERROR_SUCCESS : platform::win32().GetLastError();
    return file;
}

} // namespace

std::string FileHelper::loadFile(const std::string& name, unsigned count)
{
    std::string contents;
    readFile(name, [&](const Read& read, std::size_t size) {
        if (count > size)
            throw CouldNotLoadFileException(makeErrorDetails(
                "Tried to read a larger number of bytes from a file that it contained. Tried to read : " +
                    std::to_string(count) + " File size: " + std::to_string(size),
                name, ERROR_HANDLE_EOF));
        contents.resize(count != 0 ? count : size);
        for (std::size_t done = 0; done < contents.size();) {
            const std::size_t piece = read(&contents[done], contents.size() - done);
            if (piece == 0)
                throw CouldNotLoadFileException(
                    makeErrorDetails("The file ended before all of it was read.", name, ERROR_HANDLE_EOF));
            done += piece;
        }
    });
    return contents;
}

void FileHelper::readFile(const std::string& name,
                          const std::function<void(const Read& read, std::size_t size)>& consume)
{
    DWORD error = ERROR_SUCCESS;
    const platform::UniqueFileHandle file = openForReading(name, error);
    if (!file.valid()) {
        const DWORD attributes = platform::win32().GetFileAttributesU(name);
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        throw CouldNotLoadFileException(makeErrorDetails(
            folder ? "An error occured when trying to open the file for reading: a folder of that name is where "
                     "the file should be."
                   : "An error occured when trying to open the file for reading.",
            name, error));
    }
    LARGE_INTEGER size = {};
    if (!platform::win32().GetFileSizeEx(file.get(), &size))
        throw CouldNotLoadFileException(makeErrorDetails("An error occured while trying to get the size of the file.",
                                                         name, platform::win32().GetLastError()));
    if (static_cast<unsigned long long>(size.QuadPart) > MAX_FILE_SIZE)
        throw CouldNotLoadFileException(
            makeErrorDetails("Could not load the file because the file size was too big. The file size is " +
                                 std::to_string(size.QuadPart) + ". The file cannot be bigger than " +
                                 std::to_string(MAX_FILE_SIZE) + " bytes.",
                             name, ERROR_FILE_TOO_LARGE));
    consume(
        [&file, &name](char* into, std::size_t most) -> std::size_t {
            DWORD read = 0;
            if (!platform::win32().ReadFile(file.get(), into, static_cast<DWORD>(std::min(most, STEP)), &read))
                throw CouldNotLoadFileException(makeErrorDetails("An error occured while trying to load the file.",
                                                                 name, platform::win32().GetLastError()));
            return read;
        },
        static_cast<std::size_t>(size.QuadPart));
}

void FileHelper::saveFile(const std::string& name, const std::string& contents)
{
    if (contents.size() > MAX_FILE_SIZE)
        throw CouldNotSaveFileException(
            makeErrorDetails("Could not save the file because the data size was too big. The data size is " +
                                 std::to_string(contents.size()) + ". The data cannot be bigger than " +
                                 std::to_string(MAX_FILE_SIZE) + " bytes.",
                             name, ERROR_FILE_TOO_LARGE));
    saveFile(name, [&contents](const Write& write) { write(contents); });
}

void FileHelper::saveFile(const std::string& name, const std::function<void(const Write&)>& produce)
{
    const std::string temporary = temporaryFor(name);
    try {
        writeTemporary(temporary, name, produce);
    } catch (...) {
        platform::win32().DeleteFileU(temporary);
        throw;
    }
    // Another process that reads the file (a second Bootwarden, a virus scanner) keeps it from
    // being replaced for a moment.
    for (int attempt = 1;; ++attempt) {
        if (platform::win32().MoveFileExU(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
        const DWORD error = platform::win32().GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == REPLACE_ATTEMPTS) {
            const std::string message = makeErrorDetails(
                "An error occured when trying to replace the file with its new contents.", name, error);
            platform::win32().DeleteFileU(temporary);
            throw CouldNotSaveFileException(message);
        }
        platform::win32().Sleep(REPLACE_PAUSE_MS);
    }
}

void FileHelper::writeTemporary(const std::string& temporary, const std::string& name,
                                const std::function<void(const Write&)>& produce)
{
    platform::UniqueFileHandle file(
        platform::win32().CreateFileU(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    if (!file.valid())
        throw CouldNotSaveFileException(makeErrorDetails("An error occured when trying to open the file for writing.",
                                                         name, platform::win32().GetLastError()));
    const auto failed = [&name] {
        return CouldNotSaveFileException(makeErrorDetails("An error occured when trying to write the file.", name,
                                                          platform::win32().GetLastError()));
    };
    produce([&](std::string_view piece) {
        for (std::size_t done = 0; done < piece.size();) {
            DWORD written = 0;
            const auto size = static_cast<DWORD>(std::min(piece.size() - done, STEP));
            if (!platform::win32().WriteFile(file.get(), piece.data() + done, size, &written) || written == 0)
                throw failed();
            done += written;
        }
    });
    if (!platform::win32().FlushFileBuffers(file.get()))
        throw failed();
}

std::string FileHelper::temporaryFor(const std::string& name)
{
    // A leftover of a save that never finished is cleared; one that cannot be (a folder of
    // that name, say) is stepped around, so it never blocks a save.
    const std::string base = name + ".tmp";
    platform::win32().DeleteFileU(base);
    std::string temporary = base;
    for (int i = 1; WindowsFileHelper::exists(temporary); ++i)
        temporary = base + std::to_string(i);
    return temporary;
}

std::string FileHelper::makeErrorDetails(const std::string& message, const std::string& name, unsigned long error)
{
    std::string directory;
    try {
        directory = WindowsFileHelper::getCurrentDirectory();
    } catch (const windows::file::CouldNotGetCurrentDirectoryException& e) {
        directory = "Couldn't get the current directory. Exception: " + e.getMessage();
    }
    return message + "\nFilename: '" + name + "'" + "\nCurrent Working Directory: " + directory + "\n" +
           SystemErrors::map(static_cast<int>(error));
}

} // namespace io::file
