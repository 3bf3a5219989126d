#pragma once

#include "products/bootwarden/StartupInterface.h"
#include "products/bootwarden/database/AutostartDatabase.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryDatabase.h"

class ErrorReporter;

namespace products::bootwarden {

// Every startup location the program manages, the store of disabled registry entries they
// share, and the facade that serves them.
class StartupLocations {
public:
    // Loads the data file and sets up every location; a data file that cannot be read throws.
    explicit StartupLocations(ErrorReporter* reporter);

    StartupLocations(const StartupLocations&) = delete;
    StartupLocations& operator=(const StartupLocations&) = delete;

    StartupInterface& startup() { return _startupInterface; }
    database::RegistryBackup& registryBackup() { return _registryBackup; }

private:
    StartupInterface _startupInterface;
    database::RegistryBackup _registryBackup;
    database::RegistryDatabase _machineRun;
    database::RegistryDatabase _machineRunOnce;
    database::RegistryDatabase _machineRunOnceEx;
    database::RegistryDatabase _userRun;
    database::RegistryDatabase _userRunOnce;
    database::RegistryDatabase _machineRunServices;
    database::RegistryDatabase _machineRunServicesOnce;
    database::RegistryDatabase _machineRun32;
    database::RegistryDatabase _machineRunOnce32;
    database::RegistryDatabase _machineRunOnceEx32;
    database::RegistryDatabase _machinePolicyRun;
    database::RegistryDatabase _machinePolicyRun32;
    database::RegistryDatabase _userPolicyRun;
    database::AutostartDatabase _commonStartup;
    database::AutostartDatabase _userStartup;
};

} // namespace products::bootwarden
