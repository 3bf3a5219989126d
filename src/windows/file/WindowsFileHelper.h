#pragma once

#include "platform/Win32Api.h"
#include "windows/file/WindowsFileException.h"

#include <windows.h>

#include <string>
#include <vector>

namespace windows::file {

// The file-system operations the program needs, each turning a failure into an exception that
// names the path and carries the system's text.
class WindowsFileHelper {
public:
    static std::string getModuleFileName();
    // Always ends with a backslash.
    static std::string getCurrentDirectory();
    static void setCurrentDirectory(const std::string& path);
    // An existing directory counts as created.
    static void createDirectory(const std::string& path);
    static void deleteFile(const std::string& path);
    // Removes the directory when it is empty; one that holds something, or cannot be removed,
    // stays as it is.
    static void removeIfEmpty(const std::string& path);
    // False only when the system says the file or its folder is not there; a file that is
    // there but cannot be read still exists.
    static bool exists(const std::string& path);
    // Never replaces an existing target.
    static void moveFile(const std::string& from, const std::string& to);
    // The entries directly in the directory that are not directories, by their names there.
    static std::vector<platform::FoundFile> getFirstLevelEntries(const std::string& initialDirectory,
                                                                 const std::string& mask);

private:
    static std::vector<platform::FoundFile> findFiles(const std::string& initialDirectory, const std::string& mask,
                                                      DWORD attributes, std::vector<std::string> excluded,
                                                      bool skipDirectories);
};

} // namespace windows::file
