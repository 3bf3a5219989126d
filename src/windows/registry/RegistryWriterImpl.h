#pragma once

#include "windows/registry/RegistryWriter.h"

namespace windows::registry {

class RegistryKey;

// Writes and deletes the values of one open key.
class RegistryWriterImpl : public RegistryWriter {
public:
    explicit RegistryWriterImpl(RegistryKey& key) : _key(key) {}

    // Stored as REG_SZ in UTF-16 with its terminating NUL, as Windows itself writes strings.
    void writeString(const std::string& name, const std::string& text) override;
    void writeInt(const std::string& name, int value, DWORD type) override;
    // A value of any type with exactly the given bytes.
    void writeValue(const std::string& name, DWORD type, const std::string& bytes);
    void deleteValue(const std::string& name) override;

private:
    void setValue(const std::string& name, DWORD type, const BYTE* data, DWORD size);

    RegistryKey& _key;
};

} // namespace windows::registry
