#include "windows/file/ShortcutReader.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "windows/file/WindowsFileException.h"

using platform::errorresources::SystemErrors;

namespace windows::file {

ShortcutReader::Shortcut ShortcutReader::read(const std::string& linkFile)
{
    Shortcut shortcut;
    const char* failedStep = resolve(linkFile, shortcut);
    if (!failedStep)
        return shortcut;
    throw windows::file::CouldNotExtractPathFromShourcutException(
        "Could not extract the path from the link file " + linkFile + ".\nThe function failed when trying to " +
        failedStep + ".\n" + SystemErrors::map(static_cast<int>(platform::win32().GetLastError())));
}

const char* ShortcutReader::resolve(const std::string& linkFile, Shortcut& shortcut)
{
    // Listing must never open a window or search the disk for a moved target.
    const DWORD quietly = MAKELONG(SLR_NO_UI | SLR_NOSEARCH | SLR_NOTRACK | SLR_NOUPDATE, 1);
    if (!_file.get() && platform::win32().CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                           IID_IShellLinkW, _link.put()) != S_OK)
        return "CreateInstance";
    if (!_file.get() && platform::win32().ShellLinkQueryInterface(_link.get(), IID_IPersistFile, _file.put()) != S_OK)
        return "QueryInterface";
    if (platform::win32().PersistFileLoadU(_file.get(), linkFile, STGM_READ) != S_OK)
        return "Load";
    if (platform::win32().ShellLinkResolve(_link.get(), nullptr, quietly) != S_OK)
        return "Resolve";
    if (platform::win32().ShellLinkGetPathU(_link.get(), shortcut.target, 0) != S_OK)
        return "GetPath";
    if (platform::win32().ShellLinkGetArgumentsU(_link.get(), shortcut.arguments) != S_OK)
        return "GetArguments";
    return nullptr;
}

} // namespace windows::file
