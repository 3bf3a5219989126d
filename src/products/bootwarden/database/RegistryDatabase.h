#pragma once

#include "products/bootwarden/database/StartupDatabase.h"

#include <windows.h>

#include <string>

namespace products::bootwarden::database {

class RegistryBackup;

// One Run-family key. Enabled entries are its values; disabled ones are deleted from it and
// kept by the shared RegistryBackup.
class RegistryDatabase : public StartupDatabase {
public:
    struct KeyLocation {
        HKEY root;
        std::string subKey;
        // KEY_WOW64_64KEY or KEY_WOW64_32KEY for the machine's keys that exist in both views.
        REGSAM view;
    };

    RegistryDatabase(int type, RegistryBackup& backup);

    // The key's values as enabled items, then the stored disabled items of this type. A key
    // that does not exist has no values.
    std::vector<StartupItem> getItems() override;
    // Writes the value back with its type and exact bytes (an entry of an older data file as
    // REG_SZ), creating the key if it is gone, and forgets the stored copy.
    void enable(const StartupItem& item) override;
    // The data file holds the entry before its value is deleted; if the file cannot be
    // written, the value stays and the failure is thrown.
    void disable(const StartupItem& item) override;
    // Puts the entry in the store; the first disable of a walk then saves every staged entry.
    void stageDisable(const StartupItem& item) override;
    // Deletes the value and any stored copy; a stored copy is dropped from the data file at once.
    void remove(const StartupItem& item) override;
    // The command line, its environment variables expanded, as a new process; a document or
    // an address through the shell.
    void run(const StartupItem& item) override;
    int getType() const override { return _type; }
    bool isWorking() const override { return true; }
    std::string getWhere() const override;

    static KeyLocation getKeyLocation(int type);

private:
    int _type;
    RegistryBackup* _backup;
};

} // namespace products::bootwarden::database
