#pragma once

#include "exceptions/Exception.h"
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
    // Puts the deleted copy of an entry that was disabled here back among the disabled ones,
    // unless another disabled entry of its name is kept there now.
    StartupItem restoreDisabled(const StartupItem& entry, const StartupItem& copy)
    {
        for (const StartupItem& stored : _backup->getEntries(_type))
            if (stored == entry && !stored.sameContents(entry))
                throw exceptions::Exception("A disabled entry named " + stored.getValue() +
                                            " with another command is kept already, so the deleted one is left as "
                                            "it is. Enable or delete it first.\nDisabled: " +
                                            std::string(stored.getData()) +
                                            "\nDeleted: " + std::string(entry.getData()));
        _backup->put(entry);
        _backup->drop(copy);
        return entry;
    }

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
