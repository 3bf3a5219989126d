#pragma once

#include "exceptions/Exception.h"

#include <windows.h>

namespace windows::info {

class CouldNotGetWindowsVersion : public exceptions::Exception {
public:
    using Exception::Exception;
};

OSVERSIONINFOA getWindowsVersion();
// True on every NT-family system, whatever its version number.
bool isWindowsNT();
// True when the registry has a 32-bit view beside the 64-bit one.
bool is64BitWindows();

} // namespace windows::info
