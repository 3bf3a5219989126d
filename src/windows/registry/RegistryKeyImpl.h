#pragma once

#include "windows/registry/RegistryKey.h"

namespace windows::registry {

// Holds one key open for one operation: opened or created by the constructor, closed by the
// destructor. Failures throw the RegistryException family with the key's path.
class RegistryKeyImpl : public RegistryKey {
public:
    static constexpr int OPEN = 0;
    static constexpr int CREATE = 1;

    RegistryKeyImpl(HKEY root, const std::string& subKey, REGSAM securityAccess, int mode);
    ~RegistryKeyImpl() override;

    RegistryKeyImpl(const RegistryKeyImpl&) = delete;
    RegistryKeyImpl& operator=(const RegistryKeyImpl&) = delete;

    HKEY getKey() const override;
    std::string getPath() const override { return _path; }

private:
    void open(REGSAM securityAccess);
    void create(REGSAM securityAccess);

    HKEY _key;
    HKEY _root;
    std::string _subKey;
    std::string _path;
};

} // namespace windows::registry
