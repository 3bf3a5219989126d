#include "products/bootwarden/console/Listing.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupItem.h"
#include "util/TextEscaping.h"

#include <algorithm>

namespace products::bootwarden::console {

using inspection::ProgramFacts;
using util::TextEscaping;

namespace {

const std::size_t TABLE_WIDTH = 80;
const char* const STATES[] = {"enabled", "disabled", "switched-off", "deleted"};

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

// An entry that starts no program has no facts, and no signature at all.
const ProgramFacts& factsOf(const Listing::Row& row)
{
    static const ProgramFacts none;
    return row.facts ? *row.facts : none;
}

std::string signatureOf(const Listing::Row& row)
{
    return row.facts ? std::string(ProgramFacts::name(row.facts->signature)) : std::string();
}

// A JSON object's member up to its value: "name":
std::string key(const char* name)
{
    return "\"" + std::string(name) + "\": ";
}

using Kind = Baseline::Difference::Kind;

std::string commandAndState(const Baseline::Entry& entry)
{
    return key(Listing::COMMAND) + TextEscaping::json(entry.command) + ", " + key(Listing::STATE) +
           TextEscaping::json(entry.state);
}

} // namespace

std::string Listing::stateOf(const StartupItem& item)
{
    if (LocationTable::deletedFrom(item.getType()) >= 0)
        return STATES[3];
    if (item.getState() == StartupConstants::ENABLED)
        return STATES[0];
    return item.isDisabledBySystem() ? STATES[2] : STATES[1];
}

bool Listing::isState(const std::string& word)
{
    return std::find(std::begin(STATES), std::end(STATES), word) != std::end(STATES);
}

std::string Listing::table(const std::vector<Place>& places, const std::vector<Row>& rows, bool verified)
{
    std::string out;
    for (const Place& place : places) {
        out += fitted(place.location + "  " + TextEscaping::visible(place.where), TABLE_WIDTH) + "\n";
        for (const Row& row : rows)
            if (row.location == place.location)
                out += fitted("  " + padded(row.state, 13) + padded(TextEscaping::visible(row.name), 24) +
                                  padded(row.programExists ? "yes" : "no", 4) +
                                  (verified ? padded(signatureOf(row), 14) : std::string()) +
                                  TextEscaping::visible(row.command),
                              TABLE_WIDTH) +
                       "\n";
    }
    return out;
}

std::string Listing::csv(const std::vector<Row>& rows, bool verified)
{
    std::string out = std::string("location,where,name,command,state,program_exists") +
                      (verified ? ",publisher,signature,company,description,version" : "") + ",deleted\r\n";
    for (const Row& row : rows) {
        out += TextEscaping::csvField(row.location) + "," + TextEscaping::csvField(row.where) + "," +
               TextEscaping::csvField(row.name) + "," + TextEscaping::csvField(row.command) + "," + row.state + "," +
               (row.programExists ? "yes" : "no");
        const ProgramFacts& facts = factsOf(row);
        if (verified)
            out += "," + TextEscaping::csvField(facts.publisher()) + "," + signatureOf(row) + "," +
                   TextEscaping::csvField(facts.company) + "," + TextEscaping::csvField(facts.description) + "," +
                   TextEscaping::csvField(facts.version);
        out += "," + row.deleted + "\r\n";
    }
    return out;
}

std::string Listing::json(const std::vector<Row>& rows, bool verified)
{
    std::string out = "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        out += std::string(i ? ",\n " : "\n ") + "{" + key(LOCATION) + TextEscaping::json(row.location) +
               ", \"where\": " + TextEscaping::json(row.where) + ", " + key(NAME) + TextEscaping::json(row.name) +
               ", " + key(COMMAND) + TextEscaping::json(row.command) + ", " + key(STATE) +
               TextEscaping::json(row.state) + ", \"programExists\": " + (row.programExists ? "true" : "false");
        const ProgramFacts& facts = factsOf(row);
        if (verified)
            out += ", \"publisher\": " + TextEscaping::json(facts.publisher()) +
                   ", \"signature\": " + (row.facts ? TextEscaping::json(signatureOf(row)) : "null") +
                   ", \"company\": " + TextEscaping::json(facts.company) +
                   ", \"description\": " + TextEscaping::json(facts.description) +
                   ", \"version\": " + TextEscaping::json(facts.version);
        if (row.state == STATES[3])
            out += ", \"deleted\": " + (row.deleted.empty() ? std::string("null") : TextEscaping::json(row.deleted));
        out += "}";
    }
    return out + (rows.empty() ? "]\n" : "\n]\n");
}

std::string Listing::comparisonJson(const std::vector<Baseline::Difference>& differences)
{
    std::string json = "{";
    for (const Kind kind : {Kind::Added, Kind::Removed, Kind::Changed}) {
        json += kind == Kind::Added     ? "\"added\": ["
                : kind == Kind::Removed ? ",\n \"removed\": ["
                                        : ",\n \"changed\": [";
        const char* separator = "\n  ";
        for (const Baseline::Difference& d : differences) {
            if (d.kind != kind)
                continue;
            json += separator;
            separator = ",\n  ";
            const Baseline::Entry& entry = kind == Kind::Removed ? d.before : d.after;
            json += "{" + key(LOCATION) + TextEscaping::json(entry.location) + ", " + key(NAME) +
                    TextEscaping::json(entry.name) + ", " +
                    (kind == Kind::Changed ? "\"before\": {" + commandAndState(d.before) + "}, \"after\": {" +
                                                 commandAndState(d.after) + "}"
                                           : commandAndState(entry)) +
                    "}";
        }
        json += "]";
    }
    return json + "}\n";
}

std::string Listing::comparisonTable(const std::vector<Baseline::Difference>& differences)
{
    std::string table;
    std::size_t counts[3] = {};
    for (const Baseline::Difference& d : differences) {
        ++counts[static_cast<int>(d.kind)];
        const Baseline::Entry& entry = d.kind == Kind::Removed ? d.before : d.after;
        std::string detail;
        if (d.kind != Kind::Changed)
            detail = TextEscaping::visible(entry.command) + " (" + entry.state + ")";
        if (d.kind == Kind::Changed && d.before.command != d.after.command)
            detail =
                "command " + TextEscaping::visible(d.before.command) + " -> " + TextEscaping::visible(d.after.command);
        if (d.kind == Kind::Changed && d.before.state != d.after.state)
            detail += (detail.empty() ? "" : ", ") + std::string("state ") + d.before.state + " -> " + d.after.state;
        table += padded(d.kind == Kind::Added     ? "added"
                        : d.kind == Kind::Removed ? "removed"
                                                  : "changed",
                        9) +
                 entry.location + "  " + TextEscaping::visible(entry.name) + ": " + detail + "\n";
    }
    if (differences.empty())
        return "Nothing changed since the baseline.\n";
    return table + "Since the baseline: " + std::to_string(counts[0]) + " added, " + std::to_string(counts[1]) +
           " removed, " + std::to_string(counts[2]) + " changed.\n";
}

} // namespace products::bootwarden::console
