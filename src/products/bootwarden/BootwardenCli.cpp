#include "products/bootwarden/BootwardenCli.h"

#include "io/file/FileHelper.h"
#include "products/bootwarden/Baseline.h"
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupLocations.h"
#include "products/bootwarden/StartupTree.h"
#include "util/ApplicationConstants.h"
#include "util/Utf8.h"
#include "windows/registry/RegistryHelpers.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace products::bootwarden {

namespace {

const char* const USAGE_TEXT =
    "usage: bootwarden-cli list [--format table|csv|json] [--verify] [--hide-microsoft]\n"
    "       bootwarden-cli disable|enable|delete --location LOCATION [--state STATE] [--dry-run] NAME\n"
    "       bootwarden-cli compare BASELINE.json [--format table|json]\n"
    "       bootwarden-cli --help | --version\n"
    "LOCATION is a location as the window's tree names it, \"Registry/Current User/Run\" for instance.\n"
    "STATE (enabled, disabled or switched-off, as list shows it) picks one of two entries of one name.\n"
    "BASELINE.json is what list --format json wrote earlier.\n";
const std::size_t TABLE_WIDTH = 80;

std::string stateOf(const StartupItem& item)
{
    if (item.getState() == StartupConstants::ENABLED)
        return "enabled";
    return item.isDisabledBySystem() ? "switched-off" : "disabled";
}

bool continues(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Characters, not bytes: what a console shows.
std::size_t characters(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !continues(c); }));
}

// A text cut to at most width characters, "..." marking the cut.
std::string fitted(const std::string& text, std::size_t width)
{
    if (characters(text) <= width)
        return text;
    std::size_t kept = 0, end = 0;
    for (; end < text.size(); ++end)
        if (!continues(text[end]) && kept++ == width - 3)
            break;
    return text.substr(0, end) + "...";
}

std::string padded(const std::string& text, std::size_t width)
{
    const std::string cell = fitted(text, width);
    return cell + std::string(width - characters(cell), ' ');
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string hexEscape(const char* format, char32_t c)
{
    char escaped[12];
    std::snprintf(escaped, sizeof escaped, format, static_cast<unsigned>(c));
    return escaped;
}

// JSON can say every unit exactly, a lone surrogate too (as \udc80, say).
std::string jsonString(const std::string& text)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = Utf8::next(text, i);
        if (c == '"' || c == '\\')
            json += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
            json += hexEscape("\\u%04x", c);
        else
            json.append(text, start, i - start);
    }
    return json + "\"";
}

// A terminal obeys control characters: a name holding a carriage return or an escape sequence
// could rewrite its own row. The table shows them as escapes.
std::string visible(const std::string& text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = Utf8::next(text, i);
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (c < 0x20 || c == 0x7F)
            shown += hexEscape("\\x%02x", c);
        else if (c >= 0x80 && c <= 0x9F)
            shown += hexEscape("\\u%04x", c);
        else
            shown.append(text, start, i - start);
    }
    return shown;
}

using Kind = Baseline::Difference::Kind;

std::string commandAndState(const Baseline::Entry& entry)
{
    return "\"command\": " + jsonString(entry.command) + ", \"state\": " + jsonString(entry.state);
}

std::string comparisonJson(const std::vector<Baseline::Difference>& differences)
{
    std::string json = "{";
    for (const Kind kind : {Kind::Added, Kind::Removed, Kind::Changed}) {
        json += kind == Kind::Added ? "\"added\": [" : kind == Kind::Removed ? ",\n \"removed\": [" : ",\n \"changed\": [";
        const char* separator = "\n  ";
        for (const Baseline::Difference& d : differences) {
            if (d.kind != kind)
                continue;
            json += separator;
            separator = ",\n  ";
            const Baseline::Entry& entry = kind == Kind::Removed ? d.before : d.after;
            json += "{\"location\": " + jsonString(entry.location) + ", \"name\": " + jsonString(entry.name) + ", " +
                    (kind == Kind::Changed ? "\"before\": {" + commandAndState(d.before) + "}, \"after\": {" +
                                                 commandAndState(d.after) + "}"
                                           : commandAndState(entry)) +
                    "}";
        }
        json += "]";
    }
    return json + "}\n";
}

std::string comparisonTable(const std::vector<Baseline::Difference>& differences)
{
    std::string table;
    std::size_t counts[3] = {};
    for (const Baseline::Difference& d : differences) {
        ++counts[static_cast<int>(d.kind)];
        const Baseline::Entry& entry = d.kind == Kind::Removed ? d.before : d.after;
        std::string detail;
        if (d.kind != Kind::Changed)
            detail = visible(entry.command) + " (" + entry.state + ")";
        if (d.kind == Kind::Changed && d.before.command != d.after.command)
            detail = "command " + visible(d.before.command) + " -> " + visible(d.after.command);
        if (d.kind == Kind::Changed && d.before.state != d.after.state)
            detail += (detail.empty() ? "" : ", ") + std::string("state ") + d.before.state + " -> " + d.after.state;
        table += padded(d.kind == Kind::Added ? "added" : d.kind == Kind::Removed ? "removed" : "changed", 9) +
                 entry.location + "  " + visible(entry.name) + ": " + detail + "\n";
    }
    if (differences.empty())
        return "Nothing changed since the baseline.\n";
    return table + "Since the baseline: " + std::to_string(counts[0]) + " added, " + std::to_string(counts[1]) +
           " removed, " + std::to_string(counts[2]) + " changed.\n";
}

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
    if (!arguments.empty() && (arguments[0] == "disable" || arguments[0] == "enable" || arguments[0] == "delete")) {
        std::string location, name, state;
        bool dryRun = false, named = false;
        bool wellFormed = true;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == "--location" && i + 1 < arguments.size())
                location = arguments[++i];
            else if (arguments[i] == "--state" && i + 1 < arguments.size() && state.empty())
                state = arguments[++i];
            else if (arguments[i] == "--dry-run")
                dryRun = true;
            else if (!named && arguments[i].rfind("--", 0) != 0)
                name = arguments[i], named = true;
            else
                wellFormed = false;
        }
        const bool knownState = state.empty() || state == "enabled" || state == "disabled" || state == "switched-off";
        if (wellFormed && named && !location.empty() && knownState)
            return change({arguments[0], location, name, state, dryRun}, out, err);
    }
    err += USAGE_TEXT;
    return USAGE;
}

BootwardenCli::Row BootwardenCli::rowOf(int type, const StartupItem& item, bool inspect)
{
    const std::string command = _locations.startup().getCommand(item);
    Row row{StartupTree::locationName(type), _locations.startup().getWhere(type), _locations.startup().getLabel(item),
            command, stateOf(item), false, std::nullopt};
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

std::vector<BootwardenCli::Row> BootwardenCli::listRows(bool inspect, std::vector<int>& listed, std::string& err)
{
    std::vector<Row> rows;
    for (int type : _locations.startup().getTypes()) {
        try {
            for (const StartupItem& item : _locations.startup().getItems(type))
                rows.push_back(rowOf(type, item, inspect));
            listed.push_back(type);
        } catch (const exceptions::Exception& e) {
            err += StartupTree::locationName(type) + ": " + e.getMessage() + "\n";
        }
    }
    return rows;
}

int BootwardenCli::list(const ListOptions& options, std::string& out, std::string& err)
{
    std::vector<int> listed;
    std::vector<Row> rows = listRows(options.verify || options.hideMicrosoft, listed, err);
    int result = listed.size() == _locations.startup().getTypes().size() ? DONE : FAILED;
    if (options.hideMicrosoft)
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [](const Row& row) { return row.facts && row.facts->isMicrosofts(); }),
                   rows.end());
    // An entry that starts no program has no facts, and no signature at all.
    const ProgramFacts none;
    const auto factsOf = [&none](const Row& row) -> const ProgramFacts& { return row.facts ? *row.facts : none; };
    const auto signature = [](const Row& row) {
        return row.facts ? std::string(ProgramFacts::name(row.facts->signature)) : std::string();
    };
    if (options.format == "csv") {
        out += std::string("location,where,name,command,state,program_exists") +
               (options.verify ? ",publisher,signature,company,description,version" : "") + "\r\n";
        for (const Row& row : rows) {
            out += csvField(row.location) + "," + csvField(row.where) + "," + csvField(row.name) + "," +
                   csvField(row.command) + "," + row.state + "," + (row.programExists ? "yes" : "no");
            const ProgramFacts& facts = factsOf(row);
            if (options.verify)
                out += "," + csvField(facts.publisher()) + "," + signature(row) + "," + csvField(facts.company) + "," +
                       csvField(facts.description) + "," + csvField(facts.version);
            out += "\r\n";
        }
    } else if (options.format == "json") {
        out += "[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            out += std::string(i ? ",\n " : "\n ") + "{\"location\": " + jsonString(row.location) +
                   ", \"where\": " + jsonString(row.where) + ", \"name\": " + jsonString(row.name) +
                   ", \"command\": " + jsonString(row.command) + ", \"state\": " + jsonString(row.state) +
                   ", \"programExists\": " + (row.programExists ? "true" : "false");
            const ProgramFacts& facts = factsOf(row);
            if (options.verify)
                out += ", \"publisher\": " + jsonString(facts.publisher()) +
                       ", \"signature\": " + (row.facts ? jsonString(signature(row)) : "null") +
                       ", \"company\": " + jsonString(facts.company) + ", \"description\": " + jsonString(facts.description) +
                       ", \"version\": " + jsonString(facts.version);
            out += "}";
        }
        out += rows.empty() ? "]\n" : "\n]\n";
    } else {
        for (int type : listed) {
            out += fitted(StartupTree::locationName(type) + "  " + visible(_locations.startup().getWhere(type)),
                          TABLE_WIDTH) + "\n";
            for (const Row& row : rows)
                if (row.location == StartupTree::locationName(type))
                    out += fitted("  " + padded(row.state, 13) + padded(visible(row.name), 24) +
                                      padded(row.programExists ? "yes" : "no", 4) +
                                      (options.verify ? padded(signature(row), 14) : std::string()) +
                                      visible(row.command),
                                  TABLE_WIDTH) +
                           "\n";
        }
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
    const std::vector<Row> rows = listRows(false, listed, err);
    std::set<std::string> unlisted;
    for (int type : _locations.startup().getTypes())
        if (std::find(listed.begin(), listed.end(), type) == listed.end())
            unlisted.insert(StartupTree::locationName(type));
    std::vector<Baseline::Entry> now;
    for (const Row& row : rows)
        now.push_back({row.location, row.name, row.command, row.state});
    const std::vector<Baseline::Difference> differences = baseline->compare(now, unlisted);
    if (format == "json")
        out += comparisonJson(differences);
    else
        out += comparisonTable(differences);
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
        if (Utf8::sameName(StartupTree::locationName(candidate), location))
            type = candidate;
    if (type < 0) {
        err += "There is no location " + location + ". The locations are:\n";
        for (int candidate : types)
            err += "  " + StartupTree::locationName(candidate) + "\n";
        return USAGE;
    }
    const std::string where = StartupTree::locationName(type);
    std::vector<StartupItem> items;
    try {
        items = startup.getItems(type);
    } catch (const exceptions::Exception& e) {
        err += e.getMessage() + "\n";
        return FAILED;
    }
    const std::vector<const StartupItem*> named = entriesNamed(items, change);
    const auto label = [&startup](const StartupItem& item) { return startup.getLabel(item); };
    if (named.size() > 1) {
        err += "There are several entries named " + name + " in " + where + ":\n";
        for (const StartupItem* candidate : named)
            err += "  " + candidate->getValue() + " (" + stateOf(*candidate) + "): " + std::string(candidate->getData()) + "\n";
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
    if (command != "enable")
        if (const std::string refused = startup.refusal(item, command == "delete" ? EntryAction::Delete : EntryAction::Disable);
            !refused.empty()) {
            err += refused + "\n";
            return FAILED;
        }
    const bool enabled = item.getState() == StartupConstants::ENABLED;
    if ((command == "disable" && !enabled) || (command == "enable" && enabled)) {
        out += label(item) + " in " + where + " is " + stateOf(item) + " already.\n";
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
    } else {
        item.setState(enabled ? StartupConstants::DISABLED : StartupConstants::ENABLED);
        std::vector<bool> done;
        applied = startup.applyChanges({item}, done);
    }
    if (!applied) {
        err += _reporter.text();
        return FAILED;
    }
    out += (command == "delete" ? "Deleted " : command == "disable" ? "Disabled " : "Enabled ") + label(item) +
           " in " + where + ".\n";
    return DONE;
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
        if ((Utf8::sameName(item.getValue(), name) || Utf8::sameName(_locations.startup().getLabel(item), name)) &&
            (change.state.empty() || stateOf(item) == change.state))
            named.push_back(&item);
    const auto keep = [&named](auto wanted) {
        std::vector<const StartupItem*> kept;
        std::copy_if(named.begin(), named.end(), std::back_inserter(kept), wanted);
        if (!kept.empty())
            named = kept;
    };
    if (command != "delete")
        keep([&command](const StartupItem* item) {
            return (item->getState() == StartupConstants::ENABLED) == (command == "disable");
        });
    keep([this, &name](const StartupItem* item) {
        return item->getValue() == name || _locations.startup().getLabel(*item) == name;
    });
    return named;
}

} // namespace products::bootwarden
