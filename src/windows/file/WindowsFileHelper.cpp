#include "windows/file/WindowsFileHelper.h"

#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"

#include <algorithm>

using platform::errorresources::SystemErrors;
using util::assertion::check;

namespace windows::file {

using namespace windows::file;

namespace {

const char* const SOURCE = "windows/file/WindowsFileHelper";

std::string lastErrorText()
{
    return SystemErrors::map(static_cast<int>(platform::win32().GetLastError()));
}

bool wanted(const platform::FoundFile& entry, DWORD attributes, const std::vector<std::string>& excluded,
            bool skipDirectories)
{
    return (entry.attributes & attributes) != 0 &&
           std::find(excluded.begin(), excluded.end(), entry.name) == excluded.end() &&
           !(skipDirectories && (entry.attributes & FILE_ATTRIBUTE_DIRECTORY));
}

std::string withBackslash(std::string directory)
{
    if (!directory.empty() && directory.back() != '\\')
        directory += '\\';
    return directory;
}

} // namespace

std::string WindowsFileHelper::getModuleFileName()
{
    std::string path;
    if (platform::win32().GetModuleFileNameU(nullptr, path) == 0)
        throw CouldNotGetModuleFileNameException("Could not get the module filename for the current process: " +
                                                 lastErrorText());
    return path;
}

std::string WindowsFileHelper::getCurrentDirectory()
{
    std::string path;
    if (platform::win32().GetCurrentDirectoryU(path) == 0)
        throw CouldNotGetCurrentDirectoryException("Couldn't get the current directory.\n " + lastErrorText());
    return path + "\\";
}

void WindowsFileHelper::setCurrentDirectory(const std::string& path)
{
    if (!platform::win32().SetCurrentDirectoryU(path))
        throw CouldNotSetCurrentDirectoryException("Could not set the directory, " + path +
                                                   ", to the current directory. " + lastErrorText());
}

void WindowsFileHelper::createDirectory(const std::string& path)
{
    if (platform::win32().CreateDirectoryU(path))
        return;
    const DWORD error = platform::win32().GetLastError();
    if (error != ERROR_ALREADY_EXISTS)
        throw CouldNotCreateDirectoryException("Could not create the directory: " + path + ". " +
                                               SystemErrors::map(static_cast<int>(error)));
}

void WindowsFileHelper::deleteFile(const std::string& path)
{
    if (!platform::win32().DeleteFileU(path))
        throw CouldNotDeleteFileException("Couldn't delete the file: " + path + "\n" + lastErrorText());
}

void WindowsFileHelper::removeIfEmpty(const std::string& path)
{
    platform::win32().RemoveDirectoryU(path);
}

bool WindowsFileHelper::exists(const std::string& path)
{
    if (platform::win32().GetFileAttributesU(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = platform::win32().GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

void WindowsFileHelper::moveFile(const std::string& from, const std::string& to)
{
    if (!platform::win32().MoveFileU(from, to))
        throw CouldNotMoveFileException("Couldn't move the file: " + from + " to " + to + "\n" + lastErrorText());
}

std::vector<platform::FoundFile> WindowsFileHelper::getFirstLevelEntries(const std::string& initialDirectory,
                                                                         const std::string& mask)
{
    try {
        return findFiles(initialDirectory, mask, 0xFFFFFFFF, {}, true);
    } catch (const CouldNotGetFirstLevelDirectoriesException& e) {
        throw CouldNotGetFirstLevelFilesException(e.getMessage());
    }
}

std::vector<platform::FoundFile> WindowsFileHelper::findFiles(const std::string& initialDirectory,
                                                              const std::string& mask, DWORD attributes,
                                                              std::vector<std::string> excluded, bool skipDirectories)
{
    check(initialDirectory != "", "initialDirectory != \"\"", SOURCE, 470);
    const std::string pattern = withBackslash(initialDirectory) + mask;

    const std::string failure = "Error when trying to get first level directories. \nThe error "
                                "occured when ";
    platform::FoundFile entry;
    platform::UniqueFindHandle find(platform::win32().FindFirstFileU(pattern, entry));
    if (!find.valid()) {
        const DWORD error = platform::win32().GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return {};
        throw CouldNotGetFirstLevelDirectoriesException(
            failure + "opening a find file handle. Initial directory: " + initialDirectory + "\n\n" +
            SystemErrors::map(static_cast<int>(error)));
    }

    std::vector<platform::FoundFile> entries;
    for (;;) {
        if (wanted(entry, attributes, excluded, skipDirectories))
            entries.push_back(entry);
        if (platform::win32().FindNextFileU(find.get(), entry))
            continue;
        const DWORD error = platform::win32().GetLastError();
        if (error == ERROR_NO_MORE_FILES)
            return entries;
        throw CouldNotGetFirstLevelDirectoriesException(
            failure + "getting the next file. Initial directory: " + initialDirectory + "\n\n" +
            SystemErrors::map(static_cast<int>(error)));
    }
}

} // namespace windows::file
