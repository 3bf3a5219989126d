#include "windows/registry/RegistryHelpers.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/StringHelper.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"

using platform::errorresources::SystemErrors;
using util::StringHelper;
using util::assertion::reportAssertion;

namespace windows::registry {

namespace {

const char* const SOURCE = "windows/registry/RegistryHelpers";

RegistryException expansionFailure()
{
    return RegistryException("Error when expanding enviromental varible.\n\n" +
                             SystemErrors::map(static_cast<int>(platform::win32().GetLastError())));
}

} // namespace

std::string RegistryHelpers::getRootKeyName(HKEY root)
{
    const std::pair<HKEY, const char*> names[] = {
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
        {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
        {HKEY_USERS, "HKEY_USERS"},
    };
    for (const auto& name : names)
        if (name.first == root)
            return name.second;
    reportAssertion("false", SOURCE, 201);
    return "DUMMY_TO_AVOID_WARNING";
}

std::string RegistryHelpers::getKeyPath(HKEY root, const std::string& subKey, REGSAM access)
{
    return getRootKeyName(root) + "\\" + subKey + ((access & KEY_WOW64_32KEY) ? " (32-bit view)" : "");
}

std::string RegistryHelpers::getEditorPath(HKEY root, const std::string& subKey, REGSAM access)
{
    const std::string software = "software\\";
    if (!(access & KEY_WOW64_32KEY) || root != HKEY_LOCAL_MACHINE ||
        StringHelper::toLower(subKey.substr(0, software.size())) != software)
        return getRootKeyName(root) + "\\" + subKey;
    return getRootKeyName(root) + "\\" + subKey.substr(0, software.size()) + "WOW6432Node\\" +
           subKey.substr(software.size());
}

std::string RegistryHelpers::expandEnvironmentStrings(const std::string& text)
{
    std::string expanded;
    if (platform::win32().ExpandEnvironmentStringsU(text, expanded) == 0 && !text.empty())
        throw expansionFailure();
    return expanded;
}

} // namespace windows::registry
