#pragma once

#include <windows.h>

#include <string>

namespace windows::registry {

class RegistryWriter {
public:
    virtual ~RegistryWriter() = default;
    virtual void writeString(const std::string& name, const std::string& text) = 0;
    virtual void writeInt(const std::string& name, int value, DWORD type) = 0;
    virtual void deleteValue(const std::string& name) = 0;
};

} // namespace windows::registry
