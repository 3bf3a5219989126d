#pragma once

#include "products/bootwarden/database/DeletedCopy.h"
#include "products/bootwarden/database/Moment.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/StartupDatabase.h"

namespace products::bootwarden::database {

// A location whose disabled entries the data file keeps: what disabling writes first, the
// commit and what it took back are the shared store's.
class StoredDatabase : public StartupDatabase {
public:
    StoredDatabase(int type, RegistryBackup& backup) : _type(type), _backup(&backup) {}

    // Stored again even when it was stored when the file was read: another Bootwarden may have
    // enabled it since.
    void stageDisable(const StartupItem& item) override { _backup->put(item); }
    void commit() override { _backup->commit(); }
    bool tookBack(const StartupItem& item) const override { return _backup->tookBack(item); }
    int getType() const override { return _type; }
    bool isWorking() const override { return true; }
    void forget(const StartupItem& copy) override
    {
        _backup->drop(copy);
        _backup->commit();
    }

protected:
    // Deletes entry, as it is now: keeps its copy in the data file in place of the stored
    // entries it replaces, then lets takeOut take it out of its location.
    void keepThenTakeOut(const StartupItem& entry, const std::vector<StartupItem>& replaced,
                         const std::function<void()>& takeOut)
    {
        _backup->keepThenTakeOut(DeletedCopy::of(entry, Moment::now()), replaced, takeOut);
    }

    int _type;
    RegistryBackup* _backup;
};

} // namespace products::bootwarden::database
