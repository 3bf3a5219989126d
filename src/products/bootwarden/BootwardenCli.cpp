#include "products/bootwarden/BootwardenCli.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupLocations.h"
#include "products/bootwarden/StartupTree.h"
#include "util/ApplicationConstants.h"
#include "util/Utf8.h"
#include "windows/file/WindowsFileHelper.h"
#include "windows/registry/RegistryHelpers.h"

#include <algorithm>
#include <cstdio>

namespace products::bootwarden {

namespace {

const char* const USAGE_TEXT =
    "usage: bootwarden-cli list [--format table|csv|json]\n"
    "       bootwarden-cli disable|enable|delete --location LOCATION [--dry-run] NAME\n"
    "       bootwarden-cli --help | --version\n"
    "LOCATION is a location as the window's tree names it, \"Registry/Current User/Run\" for instance.\n";
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
    if (!arguments.empty() && arguments[0] == "list") {
        if (arguments.size() == 1)
            return list("table", out, err);
        if (arguments.size() == 3 && arguments[1] == "--format" &&
            (arguments[2] == "table" || arguments[2] == "csv" || arguments[2] == "json"))
            return list(arguments[2], out, err);
    }
    if (!arguments.empty() && (arguments[0] == "disable" || arguments[0] == "enable" || arguments[0] == "delete")) {
        std::string location, name;
        bool dryRun = false, named = false;
        bool wellFormed = true;
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            if (arguments[i] == "--location" && i + 1 < arguments.size())
                location = arguments[++i];
            else if (arguments[i] == "--dry-run")
                dryRun = true;
            else if (!named && arguments[i].rfind("--", 0) != 0)
                name = arguments[i], named = true;
            else
                wellFormed = false;
        }
        if (wellFormed && named && !location.empty())
            return change(arguments[0], location, name, dryRun, out, err);
    }
    err += USAGE_TEXT;
    return USAGE;
}

BootwardenCli::Row BootwardenCli::rowOf(int type, const StartupItem& item)
{
    const std::string command = _locations.startup().getCommand(item);
    const std::string program = StartupTree::programPath(command);
    bool exists = false;
    if (item.isCommand() && !program.empty()) {
        try {
            exists = WindowsFileHelper::exists(windows::registry::RegistryHelpers::expandEnvironmentStrings(program));
        } catch (const exceptions::Exception&) {
        }
    }
    return {StartupTree::locationName(type), _locations.startup().getWhere(type), _locations.startup().getLabel(item), command,
            stateOf(item), exists};
}

int BootwardenCli::list(const std::string& format, std::string& out, std::string& err)
{
    int result = DONE;
    std::vector<Row> rows;
    std::vector<int> listed;
    for (int type : _locations.startup().getTypes()) {
        try {
            for (const StartupItem& item : _locations.startup().getItems(type))
                rows.push_back(rowOf(type, item));
            listed.push_back(type);
        } catch (const exceptions::Exception& e) {
            err += StartupTree::locationName(type) + ": " + e.getMessage() + "\n";
            result = FAILED;
        }
    }
    if (format == "csv") {
        out += "location,where,name,command,state,program_exists\r\n";
        for (const Row& row : rows)
            out += csvField(row.location) + "," + csvField(row.where) + "," + csvField(row.name) + "," +
                   csvField(row.command) + "," + row.state + "," + (row.programExists ? "yes" : "no") + "\r\n";
    } else if (format == "json") {
        out += "[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            out += std::string(i ? ",\n " : "\n ") + "{\"location\": " + jsonString(row.location) +
                   ", \"where\": " + jsonString(row.where) + ", \"name\": " + jsonString(row.name) +
                   ", \"command\": " + jsonString(row.command) + ", \"state\": " + jsonString(row.state) +
                   ", \"programExists\": " + (row.programExists ? "true" : "false") + "}";
        }
        out += rows.empty() ? "]\n" : "\n]\n";
    } else {
        for (int type : listed) {
            out += fitted(StartupTree::locationName(type) + "  " + visible(_locations.startup().getWhere(type)),
                          TABLE_WIDTH) + "\n";
            for (const Row& row : rows)
                if (row.location == StartupTree::locationName(type))
                    out += fitted("  " + padded(row.state, 13) + padded(visible(row.name), 24) +
                                      padded(row.programExists ? "yes" : "no", 4) + visible(row.command),
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

int BootwardenCli::change(const std::string& command, const std::string& location, const std::string& name,
                          bool dryRun, std::string& out, std::string& err)
{
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
    const std::vector<const StartupItem*> named = entriesNamed(items, name, command);
    const auto label = [&startup](const StartupItem& item) { return startup.getLabel(item); };
    if (named.size() > 1) {
        err += "There are several entries named " + name + " in " + where + ":\n";
        for (const StartupItem* candidate : named)
            err += "  " + candidate->getValue() + " (" + stateOf(*candidate) + "): " + std::string(candidate->getData()) + "\n";
        err += "Name one exactly as it is written.\n";
        return USAGE;
    }
    if (named.empty()) {
        err += "There is no entry " + name + " in " + where + ". Its entries are:\n";
        for (const StartupItem& item : items)
            err += "  " + label(item) + "\n";
        return USAGE;
    }
    StartupItem item = *named.front();
    const Location* row = LocationTable::find(type);
    if (row && row->essential && command != "enable") {
        err += "Windows cannot sign in without " + label(item) + " in " + where +
               ", so Bootwarden never disables or deletes it.\n";
        return FAILED;
    }
    if (row && !row->deletable() && command == "delete") {
        err += "Bootwarden never deletes a service: " + label(item) + " in " + where +
               " stays installed. Disable it to keep it from starting with Windows.\n";
        return FAILED;
    }
    const bool enabled = item.getState() == StartupConstants::ENABLED;
    if ((command == "disable" && !enabled) || (command == "enable" && enabled)) {
        out += label(item) + " in " + where + " is " + stateOf(item) + " already.\n";
        return DONE;
    }
    if (dryRun) {
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

std::vector<const StartupItem*> BootwardenCli::entriesNamed(const std::vector<StartupItem>& items,
                                                            const std::string& name, const std::string& command)
{
    // Names match as Windows matches them, in any case; an entry the location names otherwise (an
    // Active Setup component by its title) goes by either name. A disabled copy and a value may
    // share a name: the command says which one it means, and the exact spelling settles the rest.
    std::vector<const StartupItem*> named;
    for (const StartupItem& item : items)
        if (Utf8::sameName(item.getValue(), name) || Utf8::sameName(_locations.startup().getLabel(item), name))
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
