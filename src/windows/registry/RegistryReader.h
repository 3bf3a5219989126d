#pragma once

#include <string>

namespace windows::registry {

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    virtual std::string readString(const std::string& name) = 0;
    virtual int readInt(const std::string& name) = 0;
    virtual bool valueExists(const std::string& name) = 0;
};

} // namespace windows::registry
