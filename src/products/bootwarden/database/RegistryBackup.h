#pragma once

#include "products/bootwarden/StartupItem.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace products::bootwarden::database {

// The disabled registry entries: their values are gone from the registry, so their names and
// command lines live here, in memory and in the data file.
class RegistryBackup {
public:
    // Loads the data file when it exists; one that exists but cannot be read throws.
    explicit RegistryBackup(const std::string& filename);

    void add(const StartupItem& item);
    void remove(const StartupItem& item);
    bool contains(const StartupItem& item) const;
    // Whether the data file held the entry when it was last saved (or loaded).
    bool isSaved(const StartupItem& item) const;
    // Writes every stored entry to the data file, replacing it whole.
    void save();
    std::vector<StartupItem> getEntries(int type) const;

    // Empty unless the data file was damaged when it was loaded; then what the user should
    // be told about it.
    std::string getDamageReport() const;

private:
    void load();

    std::string _filename;
    // In the order of the data file; indexed by their identities, so matching thousands of
    // values against them costs one lookup each.
    std::vector<StartupItem> _entries;
    std::unordered_multiset<std::string> _stored;
    std::unordered_set<std::string> _saved;
    // The bytes of a damaged data file, kept beside it before it is first overwritten.
    std::string _damagedContents;
    bool _damaged = false;
};

} // namespace products::bootwarden::database
