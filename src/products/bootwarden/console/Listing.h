#pragma once

#include "products/bootwarden/console/Baseline.h"
#include "products/bootwarden/inspection/ProgramFacts.h"

#include <optional>
#include <string>
#include <vector>

namespace products::bootwarden {
class StartupItem;
} // namespace products::bootwarden

namespace products::bootwarden::console {

// What the console lists and how it writes it: a row per entry as a table, as CSV or as JSON,
// and what changed since a saved listing. A saved listing is read by the JSON's own keys.
class Listing {
public:
    // The JSON's keys of what a saved listing keeps of each entry.
    static constexpr const char* LOCATION = "location";
    static constexpr const char* NAME = "name";
    static constexpr const char* COMMAND = "command";
    static constexpr const char* STATE = "state";

    // An entry's state as every format writes it and --state names it: "enabled", "disabled",
    // "switched-off" (switched off in the system's startup settings); a deleted entry's copy is
    // "deleted".
    static std::string stateOf(const StartupItem& item);
    static bool isState(const std::string& word);

    struct Row {
        std::string location;
        std::string where;
        std::string name;
        std::string command;
        std::string state;
        bool programExists;
        std::optional<inspection::ProgramFacts> facts; // when asked for, of an entry that starts a program
        std::string deleted = {}; // of a deleted entry's copy: when, as ISO 8601 writes it ("" if not known)
    };
    // A location listed, with the key or folder that holds its entries.
    struct Place {
        std::string location;
        std::string where;
    };

    // The rows under the place of each; verified adds the signature of each program.
    static std::string table(const std::vector<Place>& places, const std::vector<Row>& rows, bool verified);
    // Verified adds the publisher, the signature and the version resource's words; the last
    // column says when a deleted entry was deleted.
    static std::string csv(const std::vector<Row>& rows, bool verified);
    static std::string json(const std::vector<Row>& rows, bool verified);

    static std::string comparisonTable(const std::vector<Baseline::Difference>& differences);
    static std::string comparisonJson(const std::vector<Baseline::Difference>& differences);
};

} // namespace products::bootwarden::console
