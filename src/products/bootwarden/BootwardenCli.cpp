#include "products/bootwarden/BootwardenCli.h"

#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupLocations.h"
#include "products/bootwarden/StartupTree.h"
#include "util/ApplicationConstants.h"
#include "util/StringHelper.h"
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

std::string jsonString(const std::string& text)
{
    std::string json = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            json += std::string("\\") + c;
        else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else
            json += c;
    }
    return json + "\"";
}

bool sameName(const std::string& a, const std::string& b)
{
    return StringHelper::toLower(a) == StringHelper::toLower(b);
}

} // namespace

int BootwardenCli::run(const std::vector<std::string>& arguments, std::string& out, std::string& err)
{
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
    return {StartupTree::locationName(type), _locations.startup().getWhere(type), item.getValue(), command,
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
            out += fitted(StartupTree::locationName(type) + "  " + _locations.startup().getWhere(type), TABLE_WIDTH) + "\n";
            for (const Row& row : rows)
                if (row.location == StartupTree::locationName(type))
                    out += fitted("  " + padded(row.state, 13) + padded(row.name, 24) +
                                      padded(row.programExists ? "yes" : "no", 4) + row.command,
                                  TABLE_WIDTH) +
                           "\n";
        }
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
        if (sameName(StartupTree::locationName(candidate), location))
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
    auto found = std::find_if(items.begin(), items.end(), [&name](const StartupItem& item) { return item.getValue() == name; });
    if (found == items.end()) {
        err += "There is no entry " + name + " in " + where + ". Its entries are:\n";
        for (const StartupItem& item : items)
            err += "  " + item.getValue() + "\n";
        return USAGE;
    }
    StartupItem item = *found;
    const bool enabled = item.getState() == StartupConstants::ENABLED;
    if ((command == "disable" && !enabled) || (command == "enable" && enabled)) {
        out += name + " in " + where + " is " + stateOf(item) + " already.\n";
        return DONE;
    }
    if (dryRun) {
        out += "Would " + command + " " + name + " in " + where + ".\n";
        return DONE;
    }
    bool applied = false;
    if (command == "delete") {
        applied = startup.remove(item);
    } else {
        item.setState(enabled ? StartupConstants::DISABLED : StartupConstants::ENABLED);
        applied = enabled ? startup.disable(item) : startup.enable(item);
    }
    try {
        _locations.registryBackup().save();
    } catch (const exceptions::Exception& e) {
        err += _reporter.text() + "The disabled entries could not be saved.\n\n" + e.getMessage() + "\n";
        return FAILED;
    }
    if (!applied) {
        err += _reporter.text();
        return FAILED;
    }
    out += (command == "delete" ? "Deleted " : command == "disable" ? "Disabled " : "Enabled ") + name + " in " + where + ".\n";
    return DONE;
}

} // namespace products::bootwarden
