#pragma once

#include "products/bootwarden/StartupConstants.h"

#include <span>
#include <string>

namespace products::bootwarden {

// What the user may do to an entry besides enabling one that is disabled, which only puts back
// what was there.
enum class EntryAction { Disable, Delete, Run };

// Which actions a location's entries allow, and why not the others: the facade's refusal says it.
struct AllowedActions {
    bool disable = true;
    bool remove = true;
    bool run = true;
    const char* because = nullptr; // "Windows cannot sign in without it"

    constexpr bool allows(EntryAction action) const
    {
        return action == EntryAction::Disable ? disable : action == EntryAction::Delete ? remove : run;
    }
};

// A node of the window's tree that holds locations, under its parent group.
struct LocationGroup {
    const char* name;
    const LocationGroup* parent = nullptr;
    const char* description = nullptr;
    // The groups the program has always shown are shown when empty too; one added since only
    // when one of its locations is shown.
    bool shownWhenEmpty = false;

    // "Registry/All users"
    std::string path() const;
};

// One place Windows starts programs from, all this program knows of it: one row of the
// location table. A new registry location is one row; a new kind of location, one row and a
// database class. Each row names its fields; those without a default are named by every row
// (the build fails when one is left out), the others only where they differ.
struct Location {
    enum class Kind { RegistryKey, StartupFolder, Services, Tasks };
    enum class Root { LocalMachine, CurrentUser };
    // The registry view a key is read in: the machine's keys exist once per view on 64-bit
    // Windows, whichever build asks; a user's keys are shared.
    enum class View { Shared, Native, Redirected32 };
    // The systems that start programs from it.
    enum class Systems { All, OutsideNt, On64BitWindows, None };
    // How a key holds its entries.
    enum class Layout {
        // Each value is one (in a key of settings, each of the values named).
        Values,
        // RunOnceEx: the values of its numbered subkeys (sections), each named "0001\Line1"; the
        // key's own values and each section's unnamed value (its title) are settings.
        Sections,
        // Active Setup: each subkey is a component, named by the subkey; its value named in
        // values is the command, its unnamed value the title people know it by.
        Components,
        // Image File Execution Options: each subkey is named after a program; its value named in
        // values, when there, is what Windows starts instead of the program, an entry named after
        // the program.
        Programs,
        // One value, named in values, that lists the entries: a multi-string's strings, or names
        // a string holds apart by spaces or commas.
        List,
    };

    int type; // a StartupConstants type
    // The type its records in the data file carry: older versions know the 32-bit view's keys
    // by the key they share a path with, and the locations they never had not at all (NO_RECORD:
    // their entries live in the extension block alone).
    int recordType;
    Kind kind = Kind::RegistryKey;
    Root root;
    // The Run-family key; for a Startup folder, the key whose value names the folder; for the
    // services, the key that holds a key of each; for tasks, the task service's root folder.
    const char* key;
    View view = View::Shared;
    Systems systems = Systems::All;
    // Where the window's tree shows it: its group and its own label; none for a second name of
    // another location.
    const LocationGroup* group = nullptr;
    const char* label = nullptr;
    const char* description = nullptr;
    // The places the program has always shown are shown when empty too; the places added since,
    // which most machines leave empty, only when they hold an entry.
    bool shownWhenEmpty = false;
    // A Startup folder's: the value that names it, and the folder of its disabled files.
    const char* folderValue = nullptr;
    const char* disabledFolder = nullptr;
    // The key of the system's own startup switches under Explorer\StartupApproved (the one its
    // task manager writes); null when the system keeps none.
    const char* switches = nullptr;
    // For a second name of another location's key, that location: the type its entries are
    // listed and kept as. The 32-bit view shares the machine's policy keys with the native one
    // on 64-bit Windows; an earlier version kept entries under that view's name.
    int sameKeyAs = -1;
    // In a key of settings, the values that start programs (a null-terminated list, compared in
    // any case): only these are entries, and only when they name something. Null: every value.
    // In a key of components, the one value of each that is its command.
    const char* const* values = nullptr;
    // Windows' own value of each of them, where it has one; null: none. For a list, Windows' own
    // items.
    const char* const* defaults = nullptr;
    AllowedActions allowed = {};
    // What an entry that is one of Windows' own allows, when not what the others do.
    const AllowedActions* windowsOwnAllowed = nullptr;
    Layout layout = Layout::Values;
    // For a list, the value of the same key without which Windows reads none of it (a number, on
    // when not 0); null when it has none.
    const char* listSwitch = nullptr;

    // Whether a list's item is one of Windows' own, in any case.
    bool isWindowsOwn(const std::string& item) const;
    // What the entry of that name allows.
    const AllowedActions& allowedFor(const std::string& entry) const
    {
        return windowsOwnAllowed && isWindowsOwn(entry) ? *windowsOwnAllowed : allowed;
    }
};

class LocationTable {
public:
    // In the order of their types, which find relies on.
    static std::span<const Location> all();
    // Every group the rows name, parents first.
    static std::span<const LocationGroup* const> groups();
    // The row of a type; null for a type that has none.
    static const Location* find(int type);
    // The type whose entries a type's are (its own, or the one it is a second name of).
    static int owner(int type);
    // The record type of a type; NO_RECORD for a type that has none.
    static int recordType(int type);
    // The key of the type's startup switches (under the location's root); empty when the
    // system keeps none.
    static std::string switchesKey(int type);
    // "Registry/Current User/Run": where the tree shows the type; empty when it shows none.
    static std::string treePath(int type);
    // For the place of a location's deleted entries, that location's type; else -1.
    static int deletedFrom(int type);
};

} // namespace products::bootwarden
