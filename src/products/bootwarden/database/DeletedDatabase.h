#pragma once

#include "products/bootwarden/database/StartupDatabase.h"

namespace products::bootwarden::database {

class RegistryBackup;

// The copies of the entries deleted from one location, as the data file keeps them: each is
// restored or forgotten by the location it came from, and allows nothing else.
class DeletedDatabase : public StartupDatabase {
public:
    DeletedDatabase(int type, RegistryBackup& backup, StartupDatabase& origin);

    std::vector<StartupItem> getItems() override;
    void enable(const StartupItem& copy) override;
    void disable(const StartupItem& copy) override;
    void remove(const StartupItem& copy) override;
    void run(const StartupItem& copy) override;
    // Puts the entry back and forgets its copy, in one write; entry is the copy's own.
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override;
    void forget(const StartupItem& copy) override;
    int getType() const override { return _type; }
    bool isWorking() const override { return true; }
    std::string getWhere() const override { return _origin->getWhere(); }
    std::string getCommand(const StartupItem& copy) override;
    // Where it came from and when it was deleted; a warning when it cannot be restored, and why.
    Note getNote(const StartupItem& copy) override;
    // The entry's own name and when it was deleted: "Tool   (deleted 2026-12-08 12:02)".
    std::string getLabel(const StartupItem& copy) override;

private:
    int _type;
    RegistryBackup* _backup;
    StartupDatabase* _origin;
};

} // namespace products::bootwarden::database
