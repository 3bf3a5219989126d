#pragma once

#include <windows.h>

#include <string>

namespace windows::registry {

class RegistryHelpers {
public:
    // "HKEY_CURRENT_USER" and the like; other handles are reported.
    static std::string getRootKeyName(HKEY root);
    // A key as people read it: "HKEY_LOCAL_MACHINE\Software\... (32-bit view)" when access
    // asks for the 32-bit view.
    static std::string getKeyPath(HKEY root, const std::string& subKey, REGSAM access);
    // A key as the Registry Editor shows it: a key of the machine's software in the 32-bit view
    // under Software\WOW6432Node, where 64-bit Windows keeps it.
    static std::string getEditorPath(HKEY root, const std::string& subKey, REGSAM access);
    // Replaces %NAME% references with the environment's values.
    static std::string expandEnvironmentStrings(const std::string& text);
};

} // namespace windows::registry
