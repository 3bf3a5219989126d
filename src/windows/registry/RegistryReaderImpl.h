#pragma once

#include "windows/registry/RegistryReader.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace windows::registry {

class RegistryKey;

// Reads the values of one open key. Values of any length the registry allows are read whole.
class RegistryReaderImpl : public RegistryReader {
public:
    using Values = std::vector<std::pair<std::string, std::string>>;

    explicit RegistryReaderImpl(RegistryKey& key) : _key(key) {}

    // The text up to its first NUL; REG_EXPAND_SZ comes back expanded.
    std::string readString(const std::string& name) override;
    int readInt(const std::string& name) override;
    bool valueExists(const std::string& name) override;
    // Every value as (name, data text) in the registry's order: strings as text (expandable
    // ones expanded), every other type as its raw bytes.
    virtual Values getValues();

private:
    // Reads the value into buffer, growing it until the value fits; returns the value type
    // and leaves the data size in size.
    DWORD queryValue(const std::string& name, std::vector<char>& buffer, DWORD& size);

    RegistryKey& _key;
};

} // namespace windows::registry
