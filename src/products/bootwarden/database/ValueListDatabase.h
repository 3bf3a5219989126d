#pragma once

#include "products/bootwarden/database/StoredDatabase.h"
#include "products/bootwarden/database/ValueList.h"

#include <optional>
#include <string>

namespace products::bootwarden::database {

// A registry value that lists what Windows starts or loads, each item one entry: the DLLs of
// AppInit_DLLs, the commands of BootExecute. An entry is named by its item; its value type is the
// list's. A stored entry's bytes are the whole list as it was when the entry was disabled, which
// is where enabling puts it back; a listed one has none, so that a stored copy of an item that is
// back in the list is the same entry, whatever else changed in the list. Disabling takes the item out of the list, the
// others' bytes as they are; the data file keeps it.
class ValueListDatabase : public StoredDatabase {
public:
    ValueListDatabase(int type, RegistryBackup& backup);

    // The list's items, then the stored ones that are not in it just as they are.
    std::vector<StartupItem> getItems() override;
    // Puts the item back where it stood (see ValueList::with); an item of that name already in
    // the list makes the stored copy go.
    void enable(const StartupItem& item) override;
    // Stores the entry with the list as it is now and writes the data file, then rewrites the
    // list without it.
    void disable(const StartupItem& item) override;
    // A stored entry leaves the data file; an item leaves its list. Written at once.
    void remove(const StartupItem& item) override;
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override;
    // Never asked: the rows allow none (nothing Windows starts this way runs as a program does).
    void run(const StartupItem& item) override;
    std::string getWhere() const override;
    std::string getRegistryKey(const StartupItem& item) override;
    // Whether the list's switch lets Windows read it at all, and whether the item is Windows' own.
    Note getNote(const StartupItem& item) override;

private:
    // The list as the registry holds it now; none when the value is not there.
    std::optional<ValueList> read() const;
    void write(const ValueList& list, const std::string& bytes) const;
    // Takes the item out of the list as it is now, when it is there.
    void takeOut(const StartupItem& item) const;
    StartupItem entryOf(const std::string& name, const ValueList& list, int state, bool withList) const;
};

} // namespace products::bootwarden::database
