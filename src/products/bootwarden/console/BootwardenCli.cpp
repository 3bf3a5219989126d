#include "products/bootwarden/console/BootwardenCli.h"

#include "io/file/FileHelper.h"
#include "products/bootwarden/console/Baseline.h"
#include "products/bootwarden/console/Listing.h"
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupLocations.h"
#include "products/bootwarden/database/DeletedCopy.h"
#include "util/ApplicationConstants.h"
#include "util/Utf8.h"
#include "windows/registry/RegistryHelpers.h"

#include <algorithm>
#include <map>
#include <set>

using util::APPLICATION_NAME;
using util::APPLICATION_VERSION;
using util::Utf8;

namespace products::bootwarden::console {

using inspection::ProgramFacts;
using inspection::ProgramInspector;

namespace {

// The commands that act on a deleted entry's copy.
bool onCopies(const std::string& command)
{
    return command == "restore" || command == "forget";
}

const char* const USAGE_TEXT =
    "usage: bootwarden-cli list [--format table|csv|json] [--verify] [--hide-microsoft]\n"
    "       bootwarden-cli disable|enable|delete --location LOCATION [--state STATE] [--dry-run] NAME\n"
    "       bootwarden-cli restore|forget --location LOCATION [--dry-run] NAME\n"
    "       bootwarden-cli compare BASELINE.json [--format table|json]\n"
    "       bootwarden-cli --help | --version\n"
    "LOCATION is a location as the window's tree names it, \"Registry/Current User/Run\" for instance.\n"
    "STATE (enabled, disabled or switched-off, as list shows it) picks one of two entries of one name.\n"
    "restore puts a deleted entry back where it came from; forget removes its copy for good. Either takes the\n"
    "latest copy of that name that list shows as deleted in LOCATION.\n"
    "BASELINE.json is what list --format json wrote earlier.\n";
} // namespace

int BootwardenCli::run(const std::vector<std::string>& arguments, std::string& out, std::string& err)
{
    // A name the system would read differently from what was typed must never be acted on.
    for (const std::string& argument : arguments)
        if (!Utf8::isValid(argument, false)) {
            err += "An argument is not valid text (it holds half of a UTF-16 pair): " + Utf8::displayable(argument) +
                   "\nNothing was changed.\n";
            return USAGE;
        }
    if (arguments.size() == 1 && arguments[0] == "--help") {
        out += USAGE_TEXT;
        return DONE;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out += APPLICATION_NAME + " " + APPLICATION_VERSION + "\n";
        return DONE;
    }
    const auto formatAt = [&arguments](std::size_t i, std::initializer_list<const char*> formats) {
        return arguments[i] == "--format" && i + 1 < arguments.size() &&
               std::any_of(formats.begin(), formats.end(), [&](const char* f) { return arguments[i + 1] == f; });
    };
    if (!arguments.empty() && arguments[0] == "list") {
        ListOptions options;
        bool wellFormed = true;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (formatAt(i, {"table", "csv", "json"}))
                options.format = arguments[++i];
            else if (arguments[i] == "--verify")
                options.verify = true;
            else if (arguments[i] == "--hide-microsoft")
                options.hideMicrosoft = true;
            else
                wellFormed = false;
        }
        if (wellFormed)
            return list(options, out, err);
    }
    if (!arguments.empty() && arguments[0] == "compare") {
        std::string baseline, format = "table";
        bool wellFormed = true;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (formatAt(i, {"table", "json"}))
                format = arguments[++i];
            else if (baseline.empty() && !arguments[i].empty() && arguments[i].rfind("--", 0) != 0)
                baseline = arguments[i];
            else
                wellFormed = false;
        }
        if (wellFormed && !baseline.empty())
            return compare(baseline, format, out, err);
    }
    const std::set<std::string> changes{"disable", "enable", "delete", "restore", "forget"};
    if (!arguments.empty() && changes.count(arguments[0])) {
        std::string location, name, state;
        bool dryRun = false, named = false;
        bool wellFormed = true;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == "--location" && i + 1 < arguments.size())
                location = arguments[++i];
            else if (arguments[i] == "--state" && i + 1 < arguments.size() && state.empty() && !onCopies(arguments[0]))
                state = arguments[++i];
            else if (arguments[i] == "--dry-run")
                dryRun = true;
            else if (!named && arguments[i].rfind("--", 0) != 0)
                name = arguments[i], named = true;
            else
                wellFormed = false;
        }
        if (wellFormed && named && !location.empty() && (state.empty() || Listing::isState(state)))
            return change({arguments[0], location, name, state, dryRun}, out, err);
    }
    err += USAGE_TEXT;
    return USAGE;
}

Listing::Row BootwardenCli::rowOf(int type, const StartupItem& item, bool inspect)
{
    const std::string command = _locations.startup().getCommand(item);
    // A deleted entry's copy is listed where it came from, as restore and forget name it.
    const int origin = LocationTable::deletedFrom(type);
    Listing::Row row{LocationTable::treePath(origin >= 0 ? origin : type),
                     _locations.startup().getWhere(type),
                     nameOf(item),
                     command,
                     Listing::stateOf(item),
                     false,
                     std::nullopt,
                     database::DeletedCopy::isoForm(database::DeletedCopy::nameOf(item).deleted)};
    if (!item.isCommand())
        return row;
    if (inspect) {
        row.facts = _inspector.inspect(command);
        row.programExists = row.facts->signature != ProgramFacts::Signature::Missing;
        return row;
    }
    row.programExists = ProgramInspector::exists(ProgramInspector::locate(command));
    return row;
}

std::vector<Listing::Row> BootwardenCli::listRows(bool inspect, std::vector<int>& listed, std::string& err)
{
    std::vector<Listing::Row> rows;
    for (int type : _locations.startup().getTypes()) {
        try {
            for (const StartupItem& item : _locations.startup().getItems(type))
                rows.push_back(rowOf(type, item, inspect));
            listed.push_back(type);
            // Listed all the same: what it holds may be more than was listed.
            if (const std::string problem = _locations.startup().getProblem(type); !problem.empty())
                err += LocationTable::treePath(type) + ": " + problem + "\n";
        } catch (const exceptions::Exception& e) {
            err += LocationTable::treePath(type) + ": " + e.getMessage() + "\n";
        }
    }
    return rows;
}

int BootwardenCli::list(const ListOptions& options, std::string& out, std::string& err)
{
    std::vector<int> listed;
    std::vector<Listing::Row> rows = listRows(options.verify || options.hideMicrosoft, listed, err);
    int result = listed.size() == _locations.startup().getTypes().size() ? DONE : FAILED;
    if (options.hideMicrosoft)
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [](const Listing::Row& row) { return row.facts && row.facts->isMicrosofts(); }),
                   rows.end());
    if (options.format == "csv") {
        out += Listing::csv(rows, options.verify);
    } else if (options.format == "json") {
        out += Listing::json(rows, options.verify);
    } else {
        std::vector<Listing::Place> places;
        for (int type : listed)
            if (LocationTable::deletedFrom(type) < 0) // a deleted entry is listed where it came from
                places.push_back({LocationTable::treePath(type), _locations.startup().getWhere(type)});
        out += Listing::table(places, rows, options.verify);
    }
    const std::string damage = _locations.registryBackup().getDamageReport();
    if (!damage.empty()) {
        err += damage + "\n";
        result = FAILED;
    }
    return result;
}

int BootwardenCli::compare(const std::string& file, const std::string& format, std::string& out, std::string& err)
{
    std::optional<Baseline> baseline;
    try {
        baseline.emplace(io::file::FileHelper::loadFile(file));
    } catch (const exceptions::Exception& e) {
        err += "The baseline " + file + " cannot be read: " + e.getMessage() + "\n";
        return USAGE;
    }
    std::vector<int> listed;
    const std::vector<Listing::Row> rows = listRows(false, listed, err);
    std::set<std::string> unlisted;
    for (int type : _locations.startup().getTypes())
        if (std::find(listed.begin(), listed.end(), type) == listed.end())
            unlisted.insert(LocationTable::treePath(type));
    std::vector<Baseline::Entry> now;
    for (const Listing::Row& row : rows)
        if (row.state != "deleted") // starts nothing
            now.push_back({row.location, row.name, row.command, row.state});
    const std::vector<Baseline::Difference> differences = baseline->compare(now, unlisted);
    out += format == "json" ? Listing::comparisonJson(differences) : Listing::comparisonTable(differences);
    return differences.empty() && unlisted.empty() ? DONE : CHANGED;
}

int BootwardenCli::change(const Change& change, std::string& out, std::string& err)
{
    const std::string& command = change.command;
    const std::string& location = change.location;
    const std::string& name = change.name;
    StartupInterface& startup = _locations.startup();
    const std::vector<int> types = startup.getTypes();
    int type = -1;
    for (int candidate : types)
        if (Utf8::sameName(LocationTable::treePath(candidate), location))
            type = candidate;
    if (type < 0) {
        err += "There is no location " + location + ". The locations are:\n";
        for (int candidate : types)
            if (LocationTable::deletedFrom(candidate) < 0)
                err += "  " + LocationTable::treePath(candidate) + "\n";
        return USAGE;
    }
    const std::string where = LocationTable::treePath(type);
    std::vector<StartupItem> items;
    try {
        for (int candidate : types)
            if (onCopies(command) ? LocationTable::deletedFrom(candidate) == type : candidate == type)
                for (StartupItem& item : startup.getItems(candidate))
                    items.push_back(std::move(item));
    } catch (const exceptions::Exception& e) {
        err += e.getMessage() + "\n";
        return FAILED;
    }
    std::vector<const StartupItem*> named = entriesNamed(items, change);
    if (onCopies(command) && named.size() > 1) {
        const auto latest = std::max_element(named.begin(), named.end(), [](const auto* a, const auto* b) {
            return database::DeletedCopy::nameOf(*a).deleted < database::DeletedCopy::nameOf(*b).deleted;
        });
        named = {*latest};
    }
    const auto label = [this](const StartupItem& item) { return nameOf(item); };
    if (named.size() > 1) {
        err += "There are several entries named " + name + " in " + where + ":\n";
        for (const StartupItem* candidate : named)
            err += "  " + candidate->getValue() + " (" + Listing::stateOf(*candidate) +
                   "): " + std::string(candidate->getData()) + "\n";
        err += "Name one exactly as it is written, or say which with --state enabled or --state disabled.\n";
        return USAGE;
    }
    if (named.empty()) {
        err += "There is no entry " + name + " in " + where + ". Its entries are:\n";
        for (const StartupItem& item : items)
            err += "  " + label(item) + "\n";
        return USAGE;
    }
    StartupItem item = *named.front();
    if (command != "enable" && !onCopies(command))
        if (const std::string refused =
                startup.refusal(item, command == "delete" ? EntryAction::Delete : EntryAction::Disable);
            !refused.empty()) {
            err += refused + "\n";
            return FAILED;
        }
    const bool enabled = item.getState() == StartupConstants::ENABLED;
    if ((command == "disable" && !enabled) || (command == "enable" && enabled)) {
        out += label(item) + " in " + where + " is " + Listing::stateOf(item) + " already.\n";
        return DONE;
    }
    if (change.dryRun) {
        out += "Would " + command + " " + label(item) + " in " + where + ".\n";
        return DONE;
    }
    const std::string damage = _locations.registryBackup().getDamageReport();
    if (!damage.empty())
        err += damage + "\n";
    bool applied = false;
    if (command == "delete") {
        applied = startup.remove(item);
    } else if (command == "restore") {
        applied = startup.restore(item).has_value();
    } else if (command == "forget") {
        applied = startup.forget(item);
    } else {
        item.setState(enabled ? StartupConstants::DISABLED : StartupConstants::ENABLED);
        std::vector<bool> done;
        applied = startup.applyChanges({item}, done);
    }
    if (!applied) {
        err += _reporter.text();
        return FAILED;
    }
    const std::map<std::string, std::string> done{{"delete", "Deleted "},
                                                  {"disable", "Disabled "},
                                                  {"enable", "Enabled "},
                                                  {"restore", "Restored "},
                                                  {"forget", "Forgot the copy of "}};
    out += done.at(command) + label(item) + " in " + where + ".\n";
    return DONE;
}

std::string BootwardenCli::nameOf(const StartupItem& item)
{
    return StartupInterface::isDeleted(item) ? database::DeletedCopy::nameOf(item).name
                                             : _locations.startup().getLabel(item);
}

std::vector<const StartupItem*> BootwardenCli::entriesNamed(const std::vector<StartupItem>& items, const Change& change)
{
    const std::string& name = change.name;
    const std::string& command = change.command;
    // Names match as Windows matches them, in any case; an entry the location names otherwise (an
    // Active Setup component by its title) goes by either name. A disabled copy and a value may
    // share a name: the command says which one it means, and the exact spelling settles the rest.
    std::vector<const StartupItem*> named;
    for (const StartupItem& item : items)
        if ((Utf8::sameName(item.getValue(), name) || Utf8::sameName(nameOf(item), name)) &&
            (change.state.empty() || Listing::stateOf(item) == change.state))
            named.push_back(&item);
    const auto keep = [&named](auto wanted) {
        std::vector<const StartupItem*> kept;
        std::copy_if(named.begin(), named.end(), std::back_inserter(kept), wanted);
        if (!kept.empty())
            named = kept;
    };
    if (command == "disable" || command == "enable")
        keep([&command](const StartupItem* item) {
            return (item->getState() == StartupConstants::ENABLED) == (command == "disable");
        });
    keep([this, &name](const StartupItem* item) { return item->getValue() == name || nameOf(*item) == name; });
    return named;
}

} // namespace products::bootwarden::console
