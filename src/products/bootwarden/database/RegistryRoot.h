#pragma once

#include "products/bootwarden/LocationTable.h"

#include <windows.h>

namespace products::bootwarden::database {

// The predefined key a location's row names.
inline HKEY registryRoot(const Location& location)
{
    return location.root == Location::Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace products::bootwarden::database
