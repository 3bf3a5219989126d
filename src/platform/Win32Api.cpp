#include "platform/Win32Api.h"

namespace platform {

Win32Api& win32()
{
    static Win32Api api;
    return api;
}

} // namespace platform
