#include "windows/registry/RegistryKeyImpl.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"

using platform::errorresources::SystemErrors;
using util::assertion::check;
using util::assertion::reportAssertion;

namespace windows::registry {

namespace {

const char* const SOURCE = "windows/registry/RegistryKeyImpl";

// action is "opening" or "creating"; only opening tells a missing key apart.
[[noreturn]] void throwKeyFailure(const std::string& action, LONG result, const std::string& path)
{
    const std::string sentence = "Error when " + action + " a registry key";
    const std::string details = path + "\n\n" + SystemErrors::map(result);
    if (result == ERROR_ACCESS_DENIED)
        throw RegistryAccessDeniedException(sentence + ", access is denied. Key: " + details);
    if (result == ERROR_FILE_NOT_FOUND && action == "opening")
        throw RegistryKeyNotFoundException(sentence + ", the key doesn't exist. Key: " + details);
    throw RegistryException(sentence + ". Key: " + details);
}

} // namespace

RegistryKeyImpl::RegistryKeyImpl(HKEY root, const std::string& subKey, REGSAM securityAccess, int mode)
    : _key(nullptr), _root(root), _subKey(subKey), _path(RegistryHelpers::getKeyPath(root, subKey, securityAccess))
{
    if (mode == OPEN) {
        open(securityAccess);
    } else if (mode == CREATE) {
        check((securityAccess & KEY_CREATE_SUB_KEY) != 0, "securityAccess & KEY_CREATE_SUB_KEY", SOURCE, 100);
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
    const LONG result = platform::win32().RegOpenKeyExU(_root, _subKey, securityAccess, &_key);
    if (result != ERROR_SUCCESS) {
        _key = nullptr;
        throwKeyFailure("opening", result, _path);
    }
}

void RegistryKeyImpl::create(REGSAM securityAccess)
{
    check(_key == nullptr, "_key == 0", SOURCE, 181);
    const LONG result = platform::win32().RegCreateKeyExU(_root, _subKey, securityAccess, &_key);
    if (result != ERROR_SUCCESS) {
        _key = nullptr;
        throwKeyFailure("creating", result, _path);
    }
}

} // namespace windows::registry
