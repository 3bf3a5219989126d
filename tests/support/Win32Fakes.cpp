#include "support/Win32Fakes.h"

#include <shellapi.h>

namespace {

std::string absolute(const std::string& name)
{
    char buffer[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(name.c_str(), MAX_PATH, buffer, nullptr);
    return std::string(buffer, length);
}

void removeTree(const std::string& path)
{
    // SHFileOperation wants a double-NUL-terminated list.
    std::string from = path;
    if (!from.empty() && from.back() == '\\')
        from.pop_back();
    from.push_back('\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationA(&operation);
}

} // namespace

ScratchDirectory::ScratchDirectory(const std::string& name) : _path(absolute(name) + "\\")
{
    removeTree(_path);
    ::CreateDirectoryA(_path.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory()
{
    removeTree(_path);
}

bool ScratchDirectory::exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

CurrentDirectory::CurrentDirectory(const std::string& path)
{
    char buffer[MAX_PATH];
    _saved.assign(buffer, ::GetCurrentDirectoryA(MAX_PATH, buffer));
    ::SetCurrentDirectoryA(path.c_str());
}

CurrentDirectory::~CurrentDirectory()
{
    ::SetCurrentDirectoryA(_saved.c_str());
}
