#pragma once

#include "exceptions/Exception.h"
#include "products/bootwarden/database/StoredDatabase.h"

#include <string>
#include <unordered_map>

namespace products::bootwarden::database {

class ServiceDatabaseException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// The Win32 services that start with Windows: automatic ones, delayed or not. Disabling makes a
// service start on demand, so a program that needs it can still start it; enabling restores how
// it started. Services are installed, removed and started by the system's own tools, never here.
//
// An entry is named by the service's name; its data is the command line of the service's
// program; its value type says that is a command, and its bytes are the start settings it had
// (Start, then DelayedAutoStart, each a 32-bit little-endian number, as the service's key holds
// them), which the data file keeps for a disabled service.
class ServiceDatabase : public StoredDatabase {
public:
    ServiceDatabase(int type, RegistryBackup& backup);

    // The automatic services, then the stored ones that are not among them just as they are.
    std::vector<StartupItem> getItems() override;
    // Restores the stored start type, and the delay where the system keeps one; then the stored
    // entry goes. A commit that cannot drop it makes the service start on demand again.
    void enable(const StartupItem& item) override;
    // Stores the service's settings as they are now and writes the data file, then makes it start
    // on demand; if the file cannot be written, the service stays as it was. A service that no
    // longer starts with Windows is left alone.
    void disable(const StartupItem& item) override;
    // Never asked: the services' row allows neither (see the class).
    void remove(const StartupItem& item) override;
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override;
    void run(const StartupItem& item) override;
    std::string getWhere() const override;
    std::string getRegistryKey(const StartupItem& item) override;
    // The service's name, and whether it starts after the others.
    Note getNote(const StartupItem& item) override;
    // The service's display name as the last listing read it; else its name.
    std::string getLabel(const StartupItem& item) override;
    // The image path with the system's folders named as a program's command names them, not as
    // the kernel does ("\SystemRoot\", "\??\").
    std::string getCommand(const StartupItem& item) override;

private:
    std::unordered_map<std::string, std::string> _displayNames; // by folded service name
};

} // namespace products::bootwarden::database
