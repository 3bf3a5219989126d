#pragma once

#include "exceptions/Exception.h"

#include <set>
#include <string>
#include <vector>

namespace products::bootwarden::console {

// A text that is no listing of the console's "list --format json"; the message says why.
class BaselineException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// A listing saved earlier, to tell what changed on the machine since: entries added, removed,
// or starting another command or in another state. Entries are matched by location and by name
// as Windows matches names, in any case.
class Baseline {
public:
    struct Entry {
        std::string location;
        std::string name;
        std::string command;
        std::string state;
    };
    struct Difference {
        enum class Kind { Added, Removed, Changed };
        Kind kind;
        Entry before; // empty for an entry added
        Entry after;  // empty for an entry removed
    };

    // The listing's entries; throws BaselineException when the text is not one.
    explicit Baseline(const std::string& json);

    const std::vector<Entry>& entries() const { return _entries; }

    // What differs in now, by location and name. The entries of a location that could not be
    // listed now are unknown, not removed: they are left out.
    std::vector<Difference> compare(const std::vector<Entry>& now, const std::set<std::string>& unlisted = {}) const;

private:
    std::vector<Entry> _entries;
};

} // namespace products::bootwarden::console
