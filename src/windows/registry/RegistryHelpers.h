#pragma once

#include <windows.h>

#include <string>

namespace windows::registry {

class RegistryHelpers {
public:
    // "HKEY_CURRENT_USER" and the like; other handles are reported.
    static std::string getRootKeyName(HKEY root);
    // Replaces %NAME% references with the environment's values.
    static std::string expandEnvironmentStrings(const std::string& text);
};

} // namespace windows::registry
