#pragma once

#include "products/bootwarden/StartupConstants.h"

#include <string>
#include <vector>

namespace products::bootwarden {

// One place Windows starts programs from, all this program knows of it: one row of the
// location table. A new registry location is one row; a new kind of location, one row and a
// database class.
struct Location {
    enum class Kind { RegistryKey, StartupFolder, Services };
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
    };

    int type; // a StartupConstants type
    // The type its records in the data file carry: older versions know the 32-bit view's keys
    // by the key they share a path with, and the locations they never had not at all (NO_RECORD:
    // their entries live in the extension block alone).
    int recordType;
    Kind kind;
    Root root;
    // The Run-family key; for a Startup folder, the key whose value names the folder; for the
    // services, the key that holds a key of each.
    const char* key;
    View view;
    Systems systems;
    // Where the window's tree shows it: the path of its group and its own label.
    const char* group;
    const char* label;
    const char* description;
    // A Startup folder's: the value that names it, and the folder of its disabled files.
    const char* folderValue;
    const char* disabledFolder;
    // The key of the system's own startup switches under Explorer\StartupApproved (the one its
    // task manager writes); null when the system keeps none.
    const char* switches;
    // For a second name of another location's key, that location: the type its entries are
    // listed and kept as. The 32-bit view shares the machine's policy keys with the native one
    // on 64-bit Windows; an earlier version kept entries under that view's name.
    int sameKeyAs = -1;
    // In a key of settings, the values that start programs (a null-terminated list, compared in
    // any case): only these are entries, and only when they name something. Null: every value.
    // In a key of components, the one value of each that is its command.
    const char* const* values = nullptr;
    // Windows' own value of each of them, where it has one; null: none.
    const char* const* defaults = nullptr;
    // Windows cannot sign in without them: never disabled or deleted.
    bool essential = false;
    Layout layout = Layout::Values;

    // The eleven places the program has always shown are shown when empty too; the places added
    // since, which most machines leave empty, only when they hold an entry.
    bool alwaysShown() const { return type < StartupConstants::MAX_TYPES; }
    // Windows cannot sign in without an essential entry, so it is never disabled or deleted; a
    // service is removed and started by the system's own tools.
    bool deletable() const { return !essential && kind != Kind::Services; }
    bool runnable() const { return kind != Kind::Services; }
};

class LocationTable {
public:
    static const std::vector<Location>& all();
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
};

} // namespace products::bootwarden
