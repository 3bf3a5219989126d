#include "io/file/FileHelper.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"
#include "windows/file/WindowsFileHelper.h"


namespace io::file {

namespace {

const char* const SOURCE = "io/file/FileHelper";
const char* const NO_LIBRARY_TEXT = "None.";

const std::ios::iostate ALL_FAILURES = std::ios::badbit | std::ios::eofbit | std::ios::failbit;

} // namespace

std::string FileHelper::loadFile(const std::string& name, unsigned count)
{
    std::ifstream stream;
    openForReading(stream, name);
    const unsigned size = getFileSize(stream, name);
    if (count > size)
        throw CouldNotLoadFileException(makeErrorDetails(
            "Tried to read a larger number of bytes from a file that it contained. Tried to read : " +
                std::to_string(count) + " File size: " + std::to_string(size),
            name, NO_LIBRARY_TEXT));
    const unsigned n = count != 0 ? count : size;
    if (n > MAX_FILE_SIZE)
        throw CouldNotLoadFileException(makeErrorDetails(
            "Could not load the file because the file size was too big. The file size is " +
                std::to_string(n) + ". The file cannot be bigger than " +
                std::to_string(MAX_FILE_SIZE) + " bytes.",
            name, NO_LIBRARY_TEXT));
    std::string contents(n, '\0');
    try {
        if (n > 0)
            stream.read(&contents[0], n);
    } catch (const std::ios::failure& e) {
        throw CouldNotLoadFileException(
            makeErrorDetails("An error occured while trying to load the file.", name, e.what()));
    } catch (...) {
        reportAssertion("false", SOURCE, 169);
        throw;
    }
    return contents;
}

void FileHelper::readFile(const std::string& name,
                          const std::function<void(std::istream& in, std::size_t size)>& consume)
{
    std::ifstream stream;
    openForReading(stream, name);
    const unsigned size = getFileSize(stream, name);
    // The end of the file is where reading in pieces stops, not a failure.
    stream.exceptions(std::ios::badbit);
    try {
        consume(stream, size);
    } catch (const std::ios::failure& e) {
        throw CouldNotLoadFileException(
            makeErrorDetails("An error occured while trying to load the file.", name, e.what()));
    }
}

void FileHelper::saveFile(const std::string& name, const std::string& contents,
                          std::ios::openmode flags)
{
    if (contents.size() > MAX_FILE_SIZE)
        throw CouldNotSaveFileException(makeErrorDetails(
            "Could not save the file because the data size was too big. The data size is " +
                std::to_string(contents.size()) + ". The data cannot be bigger than " +
                std::to_string(MAX_FILE_SIZE) + " bytes.",
            name, NO_LIBRARY_TEXT));
    saveFile(name, [&contents](const Write& write) { write(contents); }, flags);
}

void FileHelper::saveFile(const std::string& name, const std::function<void(const Write&)>& produce,
                          std::ios::openmode flags)
{
    const std::string temporary = temporaryFor(name);
    try {
        writeTemporary(temporary, name, produce, flags);
    } catch (...) {
        platform::win32().DeleteFileU(temporary);
        throw;
    }
    if (!platform::win32().MoveFileExU(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string message = makeErrorDetails(
            "An error occured when trying to replace the file with its new contents.", name,
            NO_LIBRARY_TEXT);
        platform::win32().DeleteFileU(temporary);
        throw CouldNotSaveFileException(message);
    }
}

void FileHelper::writeTemporary(const std::string& temporary, const std::string& name,
                                const std::function<void(const Write&)>& produce, std::ios::openmode flags)
{
    std::ofstream stream;
    openForWriting(stream, temporary, name, flags);
    try {
        produce([&stream](std::string_view piece) { platform::win32().writeFileStream(stream, piece); });
        stream.close();
    } catch (const std::ios::failure& e) {
        throw CouldNotSaveFileException(
            makeErrorDetails("An error occured when trying to write the file.", name, e.what()));
    } catch (...) {
        reportAssertion("false", SOURCE, 206);
        throw;
    }
}

void FileHelper::openForReading(std::ifstream& stream, const std::string& name)
{
    stream.exceptions(ALL_FAILURES);
    try {
        platform::win32().openInputStream(stream, name, std::ios::in | std::ios::binary);
    } catch (const std::ios::failure& e) {
        throw CouldNotLoadFileException(makeErrorDetails(
            "An error occured when trying to open the file for reading.", name, e.what()));
    } catch (...) {
        reportAssertion("false", SOURCE, 29);
        throw;
    }
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

void FileHelper::openForWriting(std::ofstream& stream, const std::string& path, const std::string& name,
                                std::ios::openmode flags)
{
    stream.exceptions(ALL_FAILURES);
    try {
        platform::win32().openOutputStream(stream, path, std::ios::out | std::ios::binary | flags);
    } catch (const std::ios::failure& e) {
        throw CouldNotSaveFileException(makeErrorDetails(
            "An error occured when trying to open the file for writing.", name, e.what()));
    } catch (...) {
        reportAssertion("false", SOURCE, 52);
        throw;
    }
}

unsigned FileHelper::getFileSize(std::ifstream& stream, const std::string& name)
{
    try {
        const std::streampos start = stream.tellg();
        stream.seekg(0, std::ios::end);
        const std::streamoff sz = stream.tellg();
        stream.seekg(start);
        check(sz >= 0, "sz >= 0", SOURCE, 74);
        return static_cast<unsigned>(sz);
    } catch (const std::ios::failure& e) {
        throw CouldNotLoadFileException(makeErrorDetails(
            "An error occured while trying to get the size of the file.", name, e.what()));
    } catch (...) {
        reportAssertion("false", SOURCE, 84);
        throw;
    }
}

std::string FileHelper::makeErrorDetails(const std::string& message, const std::string& name,
                                         const std::string& libraryText)
{
    const std::string systemText =
        SystemErrors::map(static_cast<int>(platform::win32().GetLastError()));
    std::string directory;
    try {
        directory = WindowsFileHelper::getCurrentDirectory();
    } catch (const windows::file::CouldNotGetCurrentDirectoryException& e) {
        directory = "Couldn't get the current directory. Exception: " + e.getMessage();
    }
    return message + "\nFilename: '" + name + "'" + "\nCurrent Working Directory: " + directory +
           "\n" + systemText + "\nC++ exception: " + libraryText;
}

} // namespace io::file
