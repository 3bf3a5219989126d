#include "support/StartupWorld.h"

#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "support/Locations.h"

using products::bootwarden::Location;
using products::bootwarden::LocationTable;

namespace {

std::string folderOf(const ScratchDirectory& dir, int type)
{
    return dir.file(type == StartupConstants::USER_STARTUP ? "Startup" : "Common");
}

// A key of settings keeps its other values: the prefix may need them.
std::vector<std::string> namesOf(const Location& location)
{
    std::vector<std::string> names;
    for (const char* const* value = location.values; *value; ++value)
        names.push_back(*value);
    if (location.listSwitch)
        names.push_back(location.listSwitch);
    return names;
}

} // namespace

StartupWorld::StartupWorld(const std::string& name)
    : _dir(name), _current(_dir.path()),
      _userFolder(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, {STARTUP_VALUE}, RegistryScratch::OWN_VIEW),
      _commonFolder(HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, {COMMON_STARTUP_VALUE}, RegistryScratch::OWN_VIEW)
{
    _userFolder.setString(STARTUP_VALUE, folderOf(_dir, StartupConstants::USER_STARTUP));
    _commonFolder.setString(COMMON_STARTUP_VALUE, folderOf(_dir, StartupConstants::COMMON_STARTUP));
    for (const Location& location : LocationTable::all()) {
        if (location.kind != Location::Kind::RegistryKey || location.systems == Location::Systems::None)
            continue;
        const HKEY root = products::bootwarden::database::registryRoot(location);
        const bool settings = location.values && (location.layout == Location::Layout::Values ||
                                                  location.layout == Location::Layout::List);
        _keys[location.type] = settings
                                   ? std::make_unique<RegistryScratch>(root, liveKeyOf(location), namesOf(location))
                                   : std::make_unique<RegistryScratch>(root, liveKeyOf(location));
    }
    for (const int type : {StartupConstants::USER_STARTUP, StartupConstants::COMMON_STARTUP})
        ::CreateDirectoryA(folderOf(_dir, type).c_str(), nullptr);
}

std::string StartupWorld::folder(int type) const
{
    return folderOf(_dir, type) + "\\";
}

std::vector<std::string> StartupWorld::storedNames(int type) const
{
    std::vector<std::string> names;
    for (const products::bootwarden::StartupItem& item :
         products::bootwarden::database::RegistryBackup(file("bootwarden.dat")).getEntries(type))
        names.push_back(item.getValue());
    return names;
}
