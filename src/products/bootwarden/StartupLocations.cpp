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
      _machineRun32(StartupConstants::LOCAL_MACHINE_RUN_32, _registryBackup),
      _machineRunOnce32(StartupConstants::LOCAL_MACHINE_RUN_ONCE_32, _registryBackup),
      _machineRunOnceEx32(StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX_32, _registryBackup),
      _machinePolicyRun(StartupConstants::LOCAL_MACHINE_POLICY_RUN, _registryBackup),
      _machinePolicyRun32(StartupConstants::LOCAL_MACHINE_POLICY_RUN_32, _registryBackup),
      _userPolicyRun(StartupConstants::CURRENT_USER_POLICY_RUN, _registryBackup),
      _commonStartup(StartupConstants::COMMON_STARTUP, ".\\lmas\\"),
      _userStartup(StartupConstants::USER_STARTUP, ".\\cuas\\")
{
    for (database::StartupDatabase* database :
         std::initializer_list<database::StartupDatabase*>{&_machineRun, &_machineRunOnce,
                                                           &_machineRunOnceEx, &_userRun,
                                                           &_userRunOnce, &_machinePolicyRun, &_userPolicyRun})
        _startupInterface.addDatabase(database);
    // The RunServices keys exist only outside the NT family.
    if (!windows::info::isWindowsNT()) {
        _startupInterface.addDatabase(&_machineRunServices);
        _startupInterface.addDatabase(&_machineRunServicesOnce);
    }
    // The machine's keys have a 32-bit view of their own only on 64-bit Windows.
    if (windows::info::is64BitWindows())
        for (database::StartupDatabase* database :
             std::initializer_list<database::StartupDatabase*>{&_machineRun32, &_machineRunOnce32, &_machineRunOnceEx32,
                                                               &_machinePolicyRun32})
            _startupInterface.addDatabase(database);
    _startupInterface.addDatabase(&_commonStartup);
    _startupInterface.addDatabase(&_userStartup);
}

} // namespace products::bootwarden
