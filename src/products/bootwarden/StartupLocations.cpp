#include "products/bootwarden/StartupLocations.h"

#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "windows/info/WindowsVersion.h"

namespace products::bootwarden {

StartupLocations::StartupLocations(ErrorReporter* reporter)
    : _startupInterface(reporter), _registryBackup(DATA_FILE_NAME),
      _machineRun(StartupConstants::LOCAL_MACHINE_RUN, _registryBackup),
      _machineRunOnce(StartupConstants::LOCAL_MACHINE_RUN_ONCE, _registryBackup),
      _machineRunOnceEx(StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX, _registryBackup),
      _userRun(StartupConstants::CURRENT_USER_RUN, _registryBackup),
      _userRunOnce(StartupConstants::CURRENT_USER_RUN_ONCE, _registryBackup),
      _machineRunServices(StartupConstants::LOCAL_MACHINE_RUN_SERVICES, _registryBackup),
      _machineRunServicesOnce(StartupConstants::LOCAL_MACHINE_RUN_SERVICES_ONCE, _registryBackup),
      _commonStartup(StartupConstants::COMMON_STARTUP, ".\\lmas\\"),
      _userStartup(StartupConstants::USER_STARTUP, ".\\cuas\\")
{
    for (database::StartupDatabase* database :
         std::initializer_list<database::StartupDatabase*>{&_machineRun, &_machineRunOnce,
                                                           &_machineRunOnceEx, &_userRun,
                                                           &_userRunOnce})
        _startupInterface.addDatabase(database);
    // The RunServices keys exist only outside the NT family.
    if (!windows::info::isWindowsNT()) {
        _startupInterface.addDatabase(&_machineRunServices);
        _startupInterface.addDatabase(&_machineRunServicesOnce);
    }
    _startupInterface.addDatabase(&_commonStartup);
    _startupInterface.addDatabase(&_userStartup);
}

} // namespace products::bootwarden
