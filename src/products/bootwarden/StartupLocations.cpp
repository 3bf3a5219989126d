#include "products/bootwarden/StartupLocations.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DeletedDatabase.h"
#include "windows/info/WindowsVersion.h"

using exceptions::ErrorReporter;

namespace products::bootwarden {

StartupLocations::StartupLocations(ErrorReporter* reporter)
    : _startupInterface(reporter), _registryBackup(DATA_FILE_NAME)
{
    // The RunServices keys exist only outside the NT family; the machine's keys have a 32-bit
    // view of their own only on 64-bit Windows.
    const bool nt = windows::info::isWindowsNT();
    const bool sixtyFour = windows::info::is64BitWindows();
    for (const Location& location : LocationTable::all()) {
        const bool here = location.systems == Location::Systems::All ||
                          (location.systems == Location::Systems::OutsideNt && !nt) ||
                          (location.systems == Location::Systems::On64BitWindows && sixtyFour);
        if (!here)
            continue;
        if (location.layout == Location::Layout::List)
            _databases.push_back(std::make_unique<database::ValueListDatabase>(location.type, _registryBackup));
        else if (location.kind == Location::Kind::RegistryKey)
            _databases.push_back(std::make_unique<database::RegistryDatabase>(location.type, _registryBackup));
        else if (location.kind == Location::Kind::Tasks)
            _databases.push_back(std::make_unique<database::TaskDatabase>(location.type, _registryBackup, _tasks));
        else if (location.kind == Location::Kind::Services)
            _databases.push_back(std::make_unique<database::ServiceDatabase>(location.type, _registryBackup));
        else
            _databases.push_back(
                std::make_unique<database::AutostartDatabase>(location.type, location.disabledFolder, _registryBackup));
        _startupInterface.addDatabase(_databases.back().get());
        addDeleted(StartupConstants::DELETED_FROM + location.type, *_databases.back());
        if (location.type == StartupConstants::SIGN_IN_TASKS)
            addDeleted(StartupConstants::DELETED_TASKS, *_databases.back());
    }
}

void StartupLocations::addDeleted(int type, database::StartupDatabase& origin)
{
    if (!LocationTable::find(type))
        return; // its entries are never deleted
    _databases.push_back(std::make_unique<database::DeletedDatabase>(type, _registryBackup, origin));
    _startupInterface.addDatabase(_databases.back().get());
}

} // namespace products::bootwarden
