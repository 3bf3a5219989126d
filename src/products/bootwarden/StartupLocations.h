#pragma once

#include "products/bootwarden/StartupInterface.h"
#include "products/bootwarden/database/AutostartDatabase.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryDatabase.h"
#include "products/bootwarden/database/TaskCatalog.h"
#include "products/bootwarden/database/ServiceDatabase.h"
#include "products/bootwarden/database/TaskDatabase.h"
#include "products/bootwarden/database/ValueListDatabase.h"

#include <functional>
#include <memory>
#include <vector>

namespace exceptions {
class ErrorReporter;
} // namespace exceptions

namespace products::bootwarden {

// Every startup location this system has, the store of disabled registry entries they share,
// and the facade that serves them.
class StartupLocations {
public:
    // The data file beside the program, where every disabled registry entry and service and every
    // deleted entry's copy lives.
    static constexpr const char* DATA_FILE_NAME = "bootwarden.dat";

    // Loads the data file and sets up every location; a data file that cannot be read throws.
    explicit StartupLocations(exceptions::ErrorReporter* reporter);

    StartupLocations(const StartupLocations&) = delete;
    StartupLocations& operator=(const StartupLocations&) = delete;

    StartupInterface& startup() { return _startupInterface; }
    database::RegistryBackup& registryBackup() { return _registryBackup; }
    // Lists the scheduled tasks on a thread of their own: their locations say they are listing
    // until listed (called on that thread) has been called and they are asked for their entries.
    void listTasksInBackground(std::function<void()> listed) { _tasks.refreshInBackground(std::move(listed)); }

private:
    // The place of the entries deleted from origin, when they can be.
    void addDeleted(int type, database::StartupDatabase& origin);

    StartupInterface _startupInterface;
    database::RegistryBackup _registryBackup;
    database::TaskCatalog _tasks;
    std::vector<std::unique_ptr<database::StartupDatabase>> _databases;
};

} // namespace products::bootwarden
