#include "windows/registry/RegistryKeyImpl.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"

namespace windows::registry {

namespace {
const char* const SOURCE = "windows/registry/RegistryKeyImpl";
}

RegistryKeyImpl::RegistryKeyImpl(HKEY root, const std::string& subKey, REGSAM securityAccess,
                                 int mode)
    : _key(nullptr), _root(root), _subKey(subKey),
      _path(RegistryHelpers::getRootKeyName(root) + "\\" + subKey)
{
    if (mode == OPEN) {
        open(securityAccess);
    } else if (mode == CREATE) {
        check((securityAccess & KEY_CREATE_SUB_KEY) != 0, "securityAccess & KEY_CREATE_SUB_KEY",
              SOURCE, 100);
        create(securityAccess);
    } else {
        reportAssertion("false", SOURCE, 106);
    }
}

RegistryKeyImpl::~RegistryKeyImpl()
{
    if (_key && platform::win32().RegCloseKey(_key) != ERROR_SUCCESS)
        reportAssertion("false", SOURCE, 122);
}

HKEY RegistryKeyImpl::getKey() const
{
    check(_key != nullptr, "_key != 0", SOURCE, 129);
    return _key;
}

void RegistryKeyImpl::open(REGSAM securityAccess)
{
    check(_key == nullptr, "_key == 0", SOURCE, 154);
    const LONG result =
        platform::win32().RegOpenKeyExA(_root, _subKey.c_str(), 0, securityAccess, &_key);
    if (result == ERROR_SUCCESS)
        return;
    _key = nullptr;
    const std::string details = _path + "\n\n" + SystemErrors::map(result);
    if (result == ERROR_ACCESS_DENIED)
        throw RegistryAccessDeniedException(
            "Error when opening a registry key, access is denied. Key: " + details);
    if (result == ERROR_FILE_NOT_FOUND)
        throw RegistryKeyNotFoundException(
            "Error when opening a registry key, the key doesn't exist. Key: " + details);
    throw RegistryException("Error when opening a registry key. Key: " + details);
}

void RegistryKeyImpl::create(REGSAM securityAccess)
{
    check(_key == nullptr, "_key == 0", SOURCE, 181);
    DWORD disposition = 0;
    const LONG result = platform::win32().RegCreateKeyExA(
        _root, _subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, securityAccess, nullptr,
        &_key, &disposition);
    if (result == ERROR_SUCCESS)
        return;
    _key = nullptr;
    const std::string details = _path + "\n\n" + SystemErrors::map(result);
    if (result == ERROR_ACCESS_DENIED)
        throw RegistryAccessDeniedException(
            "Error when creating a registry key, access is denied. Key: " + details);
    throw RegistryException("Error when creating a registry key. Key: " + details);
}

} // namespace windows::registry
