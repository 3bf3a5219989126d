#pragma once

#include "windows/registry/RegistryReader.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace windows::registry {

class RegistryKey;

// Reads the values of one open key. Values of any length the registry allows are read whole.
class RegistryReaderImpl : public RegistryReader {
public:
    struct Value {
        std::string name;
        DWORD type;
        // The registry's bytes, exactly.
        std::string bytes;
        // What a person reads: a string's text (expandable ones expanded), the strings of a
        // multi-string, a number as hexadecimal and decimal, other bytes as hexadecimal.
        std::string text;

        bool operator==(const Value& other) const
        {
            return name == other.name && type == other.type && bytes == other.bytes && text == other.text;
        }
    };
    using Values = std::vector<Value>;

    explicit RegistryReaderImpl(RegistryKey& key) : _key(key) {}

    // The text up to its first NUL; REG_EXPAND_SZ comes back expanded.
    std::string readString(const std::string& name) override;
    int readInt(const std::string& name) override;
    // A value as the user's language shows it: an indirect text ("@file.dll,-100") is loaded
    // from its file; any other value is its text, as readValue reads it.
    std::string readLocalizedString(const std::string& name);
    bool valueExists(const std::string& name) override;
    // One value, named as the caller names it (the registry matches names in any case).
    Value readValue(const std::string& name);
    // The same, or none when the key has no such value: reading many keys for a few values
    // each, a missing one costs no failure.
    std::optional<Value> findValue(const std::string& name);
    // Every value in the registry's order, as the key held them at one moment.
    virtual Values getValues();
    // The names of the key's subkeys, in the registry's order.
    std::vector<std::string> getSubkeys();

private:
    Values enumerateValues();
    // Reads the value into buffer, growing it until the value fits; returns the value type
    // and leaves the data size in size.
    DWORD queryValue(const std::string& name, std::vector<char>& buffer, DWORD& size);
    // The same without throwing: the system's answer.
    LONG tryQueryValue(const std::string& name, std::vector<char>& buffer, DWORD& size, DWORD& type);
    [[noreturn]] void throwReadFailure(const std::string& name, LONG result) const;

    RegistryKey& _key;
};

} // namespace windows::registry
