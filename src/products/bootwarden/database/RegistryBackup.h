#pragma once

#include "products/bootwarden/StartupItem.h"

#include <functional>
#include <string>
#include <vector>

namespace products::bootwarden::database {

// The disabled registry entries: their values are gone from the registry, so their names and
// command lines live here, in the data file. Other Bootwardens (a window, the console) change
// the same file, so changes are staged here and applied to the file as it is on disk when
// they are committed, one process at a time; nothing read earlier is ever written back.
class RegistryBackup {
public:
    // Loads the data file when it exists; one that exists but cannot be read throws.
    explicit RegistryBackup(const std::string& filename);

    // Stores item, a disabled entry as it is now, in place of every stored entry of its
    // location that has its name (in any case).
    void put(const StartupItem& item);
    // Forgets the stored entry of the item's location with exactly the item's name. takeBack,
    // when given, undoes what put the entry back in its location: a commit that cannot write
    // the file runs it, so the entry is in one place only, disabled as it was.
    void drop(const StartupItem& item, std::function<void()> takeBack = {});
    // Takes back what is staged for the item's exact name.
    void unstage(const StartupItem& item);
    // Whether the item, its exact name and contents, is staged to be stored or was stored by
    // the commit of this round of changes (one that started with put when nothing was staged).
    // What was read earlier does not count: another Bootwarden may have taken it out since.
    bool holds(const StartupItem& item) const;
    // Writes what is staged into the data file as it is on disk now, under the lock every
    // Bootwarden takes; then this store holds what the file holds. Nothing staged writes
    // nothing. A failure keeps what is staged, except the drops it took back (see drop), and
    // says which entries are enabled all the same because taking them back failed too.
    void commit();
    // Whether the last commit failed and took back the item's enabling.
    bool tookBack(const StartupItem& item) const;
    // Reads the data file again, for what other Bootwardens changed; staged changes stay.
    void reload();
    // The stored entries of a location in file order, staged changes applied.
    std::vector<StartupItem> getEntries(int type) const;
    // A location's live entries, then its stored ones. A stored copy of an entry that is back as
    // it was adds nothing; one that differs (an updater that put itself back, an installer's
    // entry of the same name) is listed too.
    std::vector<StartupItem> withStored(int type, std::vector<StartupItem> live) const;
    // Disables an entry: stores it as it is now (current, in place of what was staged as listed)
    // and writes the data file, then lets takeOut take it out of its location. A failed write
    // changes nothing; a failed takeOut leaves no stored copy to come back.
    void storeThenTakeOut(const StartupItem& listed, const StartupItem& current, const std::function<void()>& takeOut);
    // Deletes an entry: writes its copy into the data file, in place of the stored entries it
    // replaces (a disabled entry's record), then lets takeOut take it out of its location. A
    // failed write changes nothing; a failed takeOut forgets the copy again.
    void keepThenTakeOut(const StartupItem& copy, const std::vector<StartupItem>& replaced,
                         const std::function<void()>& takeOut);

    // Empty unless the data file was damaged when it was last read; then what the user should
    // be told about it.
    std::string getDamageReport() const;

private:
    struct Change {
        StartupItem item;
        bool store; // put, or else drop
        std::function<void()> takeBack;
    };

    void write();
    // Runs every staged takeBack; what remains is what could not be taken back, for the user.
    std::string takeBackEnables();
    static void apply(const std::vector<Change>& changes, std::vector<StartupItem>& entries);

    std::string _filename;
    // In the order of the data file, as it was last read or written.
    std::vector<StartupItem> _entries;
    std::vector<Change> _staged;
    // The entries this round's commit stored.
    std::vector<StartupItem> _written;
    // The entries whose enabling the last commit took back.
    std::vector<StartupItem> _takenBack;
    // The bytes of a damaged data file, kept beside it before it is first overwritten.
    std::string _damagedContents;
    bool _damaged = false;
};

} // namespace products::bootwarden::database
