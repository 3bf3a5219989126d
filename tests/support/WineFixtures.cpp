#include "support/WineFixtures.h"

#include <cstring>
#include <stdexcept>
#include <vector>

RegistryScratch::RegistryScratch(HKEY root, const std::string& subKey)
    : _root(root), _subKey(subKey)
{
    ::RegDeleteTreeA(_root, _subKey.c_str());
    HKEY key = nullptr;
    if (::RegCreateKeyExA(_root, _subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create test key " + subKey);
    ::RegCloseKey(key);
}

RegistryScratch::~RegistryScratch()
{
    ::RegDeleteTreeA(_root, _subKey.c_str());
}

void RegistryScratch::set(const std::string& name, DWORD type, const std::string& bytes) const
{
    ::RegSetKeyValueA(_root, _subKey.c_str(), name.c_str(), type, bytes.data(),
                      static_cast<DWORD>(bytes.size()));
}

void RegistryScratch::setString(const std::string& name, const std::string& text) const
{
    set(name, REG_SZ, text + '\0');
}

std::string RegistryScratch::get(const std::string& name, DWORD* type) const
{
    HKEY key = nullptr;
    DWORD found = 0;
    DWORD size = 0;
    std::vector<char> data;
    if (::RegOpenKeyExA(_root, _subKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (::RegQueryValueExA(key, name.c_str(), nullptr, &found, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size + 1);
            ::RegQueryValueExA(key, name.c_str(), nullptr, &found,
                               reinterpret_cast<BYTE*>(data.data()), &size);
        } else {
            found = 0;
        }
        ::RegCloseKey(key);
    }
    if (type)
        *type = found;
    return found == 0 ? std::string() : std::string(data.data(), size);
}

bool RegistryScratch::has(const std::string& name) const
{
    DWORD type = 0;
    get(name, &type);
    return type != 0;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::string& subKey,
                                         const std::string& name, const char* text)
    : _root(root), _subKey(subKey), _name(name)
{
    HKEY key = nullptr;
    ::RegCreateKeyExA(_root, _subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD size = 0;
    if (::RegQueryValueExA(key, _name.c_str(), nullptr, &_oldType, nullptr, &size) == ERROR_SUCCESS) {
        _oldBytes.resize(size);
        ::RegQueryValueExA(key, _name.c_str(), nullptr, &_oldType,
                           reinterpret_cast<BYTE*>(&_oldBytes[0]), &size);
    } else {
        _oldType = 0;
    }
    if (text)
        ::RegSetValueExA(key, _name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                         static_cast<DWORD>(strlen(text) + 1));
    else
        ::RegDeleteValueA(key, _name.c_str());
    ::RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue()
{
    if (_oldType == 0)
        ::RegDeleteKeyValueA(_root, _subKey.c_str(), _name.c_str());
    else
        ::RegSetKeyValueA(_root, _subKey.c_str(), _name.c_str(), _oldType, _oldBytes.data(),
                          static_cast<DWORD>(_oldBytes.size()));
}
