#pragma once

#include "exceptions/Exception.h"
#include "products/bootwarden/database/StoredDatabase.h"
#include "windows/registry/RegistryReaderImpl.h"

#include <windows.h>

#include <string>
#include <unordered_map>

namespace products::bootwarden::database {

class RegistryDatabaseException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// One Run-family key. Enabled entries are its values; disabled ones are deleted from it and
// kept by the shared RegistryBackup.
class RegistryDatabase : public StoredDatabase {
public:
    struct KeyLocation {
        HKEY root;
        std::string subKey;
        // KEY_WOW64_64KEY or KEY_WOW64_32KEY for the machine's keys that exist in both views.
        REGSAM view;
    };

    RegistryDatabase(int type, RegistryBackup& backup);

    // The key's values as enabled items, then the stored disabled items of this type that are
    // not in the key just as they are. A key that does not exist has no values.
    std::vector<StartupItem> getItems() override;
    // Writes the value back with its type and exact bytes (an entry of an older data file as
    // REG_SZ), creating the key if it is gone, and stages forgetting the stored copy. A value of
    // that name already there is never overwritten: the same one makes the stored copy go, another
    // one is refused. A commit that cannot drop the copy takes the written value out again.
    void enable(const StartupItem& item) override;
    // Stores the value as it is now and writes the data file before the value is deleted; if
    // the file cannot be written, the value stays and the failure is thrown. Every entry of a
    // walk is staged first (stageDisable), so the first disable writes them all.
    void disable(const StartupItem& item) override;
    // Keeps the value as it is now (a stored entry's record) as a deleted entry's copy, then
    // the value leaves its key, and with it a stored copy just like it. Written at once.
    void remove(const StartupItem& item) override;
    // Writes the value back as enabling does.
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override;
    // The command, its environment variables expanded, as a new process; a document or an
    // address through the shell.
    void run(const StartupItem& item) override;
    // A RunOnceEx command without the "||" that tells Windows not to wait for it.
    std::string getCommand(const StartupItem& item) override;
    std::string getWhere() const override;
    std::string getRegistryKey(const StartupItem& item) override;
    // For a value Windows has its own of (the Winlogon shell), what differs from it; for a value of
    // a RunOnceEx section, the section's title; for an Active Setup component, its key.
    Note getNote(const StartupItem& item) override;
    // An Active Setup component's title as the last listing read it; else the value's name.
    std::string getLabel(const StartupItem& item) override;

    static KeyLocation getKeyLocation(int type);

private:
    // Writes item back and stages dropping stored, the record that kept it ("disabled" or
    // "deleted", as kept says).
    StartupItem putBack(const StartupItem& item, const StartupItem& stored, const std::string& kept);
    // The values that are entries, named as the location names them; the titles of the
    // components on the way.
    windows::registry::RegistryReaderImpl::Values readEntries();
    Note sectionTitle(const StartupItem& item) const;

    std::unordered_map<std::string, std::string> _titles; // by folded component name
};

} // namespace products::bootwarden::database
