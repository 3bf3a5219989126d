#pragma once

#include <windows.h>

#include <string>

namespace windows::registry {

// An open key, as the reader and writer see it.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual HKEY getKey() const = 0;
    // The key's full path ("HKEY_CURRENT_USER\Software\..."), for messages.
    virtual std::string getPath() const = 0;
};

} // namespace windows::registry
