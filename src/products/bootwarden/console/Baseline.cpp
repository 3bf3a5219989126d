#include "products/bootwarden/console/Baseline.h"

#include "products/bootwarden/console/Listing.h"

#include "util/Utf8.h"
#include "util/parser/JsonValue.h"

#include <algorithm>
#include <map>

using util::Utf8;
using util::parser::JsonException;
using util::parser::JsonValue;

namespace products::bootwarden::console {

namespace {

std::string field(const JsonValue& entry, std::size_t index, const char* name)
{
    const JsonValue* value = entry.member(name);
    if (!value || value->type() != JsonValue::Type::String)
        throw BaselineException("entry " + std::to_string(index + 1) + " has no text \"" + name + "\".");
    return value->text();
}

using Key = std::pair<std::string, std::string>;

Key keyOf(const Baseline::Entry& entry)
{
    return {entry.location, Utf8::foldCase(entry.name)};
}

bool same(const Baseline::Entry& a, const Baseline::Entry& b)
{
    return a.command == b.command && a.state == b.state;
}

} // namespace

Baseline::Baseline(const std::string& json)
{
    JsonValue listing;
    try {
        listing = JsonValue::parse(json);
    } catch (const JsonException& e) {
        throw BaselineException("it is not JSON: " + e.getMessage() + ".");
    }
    if (listing.type() != JsonValue::Type::Array)
        throw BaselineException("it is JSON, but not a list of entries.");
    for (std::size_t i = 0; i < listing.items().size(); ++i) {
        const JsonValue& entry = listing.items()[i];
        if (entry.type() != JsonValue::Type::Object)
            throw BaselineException("entry " + std::to_string(i + 1) + " is not an object.");
        _entries.push_back({field(entry, i, Listing::LOCATION), field(entry, i, Listing::NAME),
                            field(entry, i, Listing::COMMAND), field(entry, i, Listing::STATE)});
    }
}

std::vector<Baseline::Difference> Baseline::compare(const std::vector<Entry>& now,
                                                    const std::set<std::string>& unlisted) const
{
    std::map<Key, std::pair<std::vector<Entry>, std::vector<Entry>>> byName; // before, after
    for (const Entry& entry : _entries)
        if (!unlisted.count(entry.location))
            byName[keyOf(entry)].first.push_back(entry);
    for (const Entry& entry : now)
        byName[keyOf(entry)].second.push_back(entry);
    std::vector<Difference> differences;
    for (auto& named : byName) {
        std::vector<Entry>& before = named.second.first;
        std::vector<Entry>& after = named.second.second;
        // A disabled copy and a live value may share a name: what is still there as it was
        // pairs off first, and the rest pair in their order.
        for (auto was = before.begin(); was != before.end();) {
            const auto is = std::find_if(after.begin(), after.end(), [&](const Entry& e) { return same(*was, e); });
            if (is == after.end()) {
                ++was;
                continue;
            }
            after.erase(is);
            was = before.erase(was);
        }
        const std::size_t paired = std::min(before.size(), after.size());
        for (std::size_t i = 0; i < paired; ++i)
            differences.push_back({Difference::Kind::Changed, before[i], after[i]});
        for (std::size_t i = paired; i < before.size(); ++i)
            differences.push_back({Difference::Kind::Removed, before[i], {}});
        for (std::size_t i = paired; i < after.size(); ++i)
            differences.push_back({Difference::Kind::Added, {}, after[i]});
    }
    return differences;
}

} // namespace products::bootwarden::console
