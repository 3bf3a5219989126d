#include "windows/info/WindowsVersion.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"

using platform::errorresources::SystemErrors;

namespace windows::info {

OSVERSIONINFOA getWindowsVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!platform::win32().GetVersionExA(&version))
        throw CouldNotGetWindowsVersion("Couldn't get the windows version.\n" +
                                        SystemErrors::map(static_cast<int>(platform::win32().GetLastError())));
    return version;
}

bool is64BitWindows()
{
    if (sizeof(void*) == 8)
        return true;
    BOOL emulated = FALSE;
    return platform::win32().IsWow64Process(::GetCurrentProcess(), &emulated) && emulated;
}

bool isWindowsNT()
{
    return getWindowsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace windows::info
