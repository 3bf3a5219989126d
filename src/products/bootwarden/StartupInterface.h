#pragma once

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupItem.h"
#include "products/bootwarden/database/StartupDatabase.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace exceptions {
class ErrorReporter;
} // namespace exceptions

namespace products::bootwarden {

// The one way from the dialog to the locations: every request goes to the database of the
// item's type. The changing operations report their own failures, so one bad entry never
// stops the others.
class StartupInterface {
public:
    explicit StartupInterface(exceptions::ErrorReporter* reporter);

    void addDatabase(database::StartupDatabase* database);
    std::vector<int> getTypes() const;
    bool serves(int type) const { return _database.count(type) != 0; }
    std::vector<StartupItem> getItems(int type);
    // What went wrong in the type's last listing that still listed entries, or nothing.
    std::string getProblem(int type);
    // Whether the type's entries are being listed on another thread.
    bool isListing(int type);
    std::string getWhere(int type);
    // The entry's command line, as its location reads it.
    std::string getCommand(const StartupItem& item);
    // What the user should know of the entry first, as its location sees it; empty when nothing.
    database::StartupDatabase::Note getNote(const StartupItem& item);
    // The key that holds the entry, as the Registry Editor names it; empty when none does.
    std::string getRegistryKey(const StartupItem& item);
    // The name people know the entry by, as its location names it.
    std::string getLabel(const StartupItem& item);

    // Why the entry's location never lets the action be done to it ("Bootwarden never deletes
    // Shell in Registry/All users/Winlogon: Windows cannot sign in without it."); empty when it
    // may be. Each change below refuses with it, reported.
    std::string refusal(const StartupItem& item, EntryAction action);
    // Whether the entry's location lets the action be done to it; asks nothing of the location's
    // database, so the tree may ask for every entry it shows.
    static bool allows(const StartupItem& item, EntryAction action);

    // Whether the item is a deleted entry's copy, which can only be restored or forgotten.
    static bool isDeleted(const StartupItem& item);

    // Each answers whether the change was made; a failure has been reported when it was not.
    bool remove(const StartupItem& item);
    // Puts a deleted entry back where and as it was; the entry as its location lists it now, or
    // nothing when it failed (reported).
    std::optional<StartupItem> restore(const StartupItem& copy);
    bool forget(const StartupItem& copy);
    bool enable(const StartupItem& item);
    bool disable(const StartupItem& item);
    bool run(const StartupItem& item);
    // Applies each item's pending change, for the window's OK and the console alike: the
    // entries to disable are staged and written to the data file before the first one leaves
    // its location, then each is disabled or enabled, then what that changed is written again.
    // applied says item by item whether its change was made (an enable that the last write's
    // failure took back was not); the answer is false when anything failed, which has been
    // reported.
    bool applyChanges(const std::vector<StartupItem>& items, std::vector<bool>& applied);

private:
    using Operation = std::function<void(database::StartupDatabase&, const StartupItem&)>;

    database::StartupDatabase* find(int type, const char* expression);
    bool apply(Operation operation, const StartupItem& item, const char* doing, std::optional<EntryAction> action);

    exceptions::ErrorReporter* _reporter;
    std::map<int, database::StartupDatabase*> _database;
};

} // namespace products::bootwarden
