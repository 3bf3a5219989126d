#include "products/bootwarden/database/AutostartDatabase.h"

#include "io/file/FileHelper.h"
#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "util/assertion/Assertion.h"
#include "util/parser/ArgumentParserHelpers.h"
#include "windows/file/WindowsFileHelper.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"

#include <algorithm>

namespace products::bootwarden::database {

namespace {
const char* const SOURCE = "products/bootwarden/database/AutostartDatabase";
}

AutostartDatabase::AutostartDatabase(int type, const std::string& disabledFolder)
    : _type(type), _disabledFolder(disabledFolder), _working(true)
{
    const FolderLocation location = getFolderLocation(type);
    try {
        WindowsFileHelper::createDirectory(_disabledFolder);
        windows::registry::RegistryKeyImpl key(location.root, location.key, KEY_READ,
                                               windows::registry::RegistryKeyImpl::OPEN);
        _folder = windows::registry::RegistryReaderImpl(key).readString(location.value) + "\\";
    } catch (const exceptions::Exception& e) {
        _working = false;
        _reason = e.getMessage();
    }
}

AutostartDatabase::FolderLocation AutostartDatabase::getFolderLocation(int type)
{
    check(type < StartupConstants::MAX_TYPES, "type < StartupConstants::MAX_TYPES", SOURCE, 175);
    switch (type) {
    case StartupConstants::COMMON_STARTUP:
        return {HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, COMMON_STARTUP_VALUE};
    case StartupConstants::COMMON_STARTUP_USER_SHELL:
        return {HKEY_LOCAL_MACHINE, USER_SHELL_FOLDERS_KEY, COMMON_STARTUP_VALUE};
    case StartupConstants::USER_STARTUP:
        return {HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE};
    case StartupConstants::USER_STARTUP_USER_SHELL:
        return {HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, STARTUP_VALUE};
    default:
        reportAssertion("false", SOURCE, 198);
        return {HKEY_CURRENT_USER, std::string(), std::string()};
    }
}

std::vector<StartupItem> AutostartDatabase::listFolder(const std::string& folder, int state)
{
    if (!_working)
        throw AutostartDatabaseException("The autostart startup database isn't working. Reason: " +
                                         _reason);
    std::vector<StartupItem> items;
    for (const std::string& path : WindowsFileHelper::getFirstLevelFiles(folder, "*.*")) {
        std::string target;
        if (WindowsFileHelper::isShortcut(path)) {
            try {
                target = WindowsFileHelper::extractPathFromShortcut(nullptr, path);
            } catch (const windows::file::CouldNotExtractPathFromShourcutException&) {
                continue; // a shortcut that leads nowhere is no entry
            }
        } else if (WindowsFileHelper::isExecutable(path)) {
            target = path;
        } else {
            continue;
        }
        items.emplace_back(_type, state, ArgumentParserHelpers::getFileName(path), target);
    }
    return items;
}

std::vector<StartupItem> AutostartDatabase::getItems()
{
    std::vector<StartupItem> enabled = listFolder(_folder, StartupConstants::ENABLED);
    const std::vector<StartupItem> disabled = listFolder(_disabledFolder, StartupConstants::DISABLED);
    // A file that is active again wins over its disabled copy.
    for (const StartupItem& item : enabled)
        if (std::find(disabled.begin(), disabled.end(), item) != disabled.end())
            WindowsFileHelper::deleteFile(_disabledFolder + item.getValue());
    const std::vector<StartupItem> stillDisabled =
        listFolder(_disabledFolder, StartupConstants::DISABLED);
    enabled.insert(enabled.end(), stillDisabled.begin(), stillDisabled.end());
    return enabled;
}

void AutostartDatabase::enable(const StartupItem& item)
{
    WindowsFileHelper::moveFile(_disabledFolder + item.getValue(), _folder + item.getValue());
}

void AutostartDatabase::disable(const StartupItem& item)
{
    WindowsFileHelper::moveFile(_folder + item.getValue(), _disabledFolder + item.getValue());
}

void AutostartDatabase::remove(const StartupItem& item)
{
    for (const std::string& folder : {_folder, _disabledFolder})
        if (io::file::FileHelper::fileExists(folder + item.getValue()))
            WindowsFileHelper::deleteFile(folder + item.getValue());
}

} // namespace products::bootwarden::database
