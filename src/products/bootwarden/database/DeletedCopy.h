#pragma once

#include "products/bootwarden/StartupItem.h"

#include <cstddef>
#include <string>

namespace products::bootwarden::database {

// The copy an entry leaves when it is deleted: an entry of its location's place of deleted
// entries, with the entry's command line, value type and bytes, named by the moment it was
// deleted and the entry's name ("20261208T110233.123Z|Tool"), so that an entry deleted twice
// leaves two copies; a "!" in place of the "|" marks the copy of an entry that was disabled here,
// which is restored disabled. Copies an earlier version kept (deleted tasks) have no moment.
class DeletedCopy {
public:
    struct Name {
        std::string deleted; // "20261208T110233.123Z" (UTC); empty when not known
        std::string name;
        bool disabled = false; // the entry was disabled here
    };

    // The copy of entry, as it is now (disabled here when its location held it so), deleted at
    // that moment.
    static StartupItem of(const StartupItem& entry, const std::string& deleted);
    static Name nameOf(const StartupItem& copy);
    // The entry as its location held it, disabled, ready to be put back.
    static StartupItem entryOf(const StartupItem& copy);
    // The moment as ISO 8601 writes it, "2026-12-08T11:02:33.123Z"; empty when it is none.
    static std::string isoForm(const std::string& moment);
    // Whether text is a moment as copies are named by it.
    static bool isMoment(const std::string& text);

    static constexpr std::size_t MOMENT_SIZE = 20; // "20261208T110233.123Z"
};

} // namespace products::bootwarden::database
