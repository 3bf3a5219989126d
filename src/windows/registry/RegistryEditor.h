#pragma once

#include <string>

namespace windows::registry {

// The Registry Editor of Windows, started at a key.
class RegistryEditor {
public:
    // The editor opens at the key it showed last, which it keeps in the user's settings: the key
    // ("HKEY_CURRENT_USER\Software\...") is made that one, then an editor started. A failure to
    // do either throws.
    static void openAt(const std::string& key);

    // Where the editor keeps the key it showed last.
    static const char* const SETTINGS_KEY;
    static const char* const LAST_KEY;
};

} // namespace windows::registry
