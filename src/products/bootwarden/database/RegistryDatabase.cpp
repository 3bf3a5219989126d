#include "products/bootwarden/database/RegistryDatabase.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/StartupApproval.h"
#include "util/Utf8.h"
#include "util/assertion/Assertion.h"
#include "windows/process/ProcessHelper.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/registry/RegistryWriterImpl.h"

#include <cctype>
#include <optional>

using util::Utf8;
using util::assertion::check;

namespace products::bootwarden::database {

using windows::registry::RegistryKeyImpl;
using windows::registry::RegistryReaderImpl;
using windows::registry::RegistryValueNotFoundException;
using windows::registry::RegistryWriterImpl;

namespace {

const char* const SOURCE = "products/bootwarden/database/RegistryDatabase";

RegistryKeyImpl openKey(int type, REGSAM access, int mode = RegistryKeyImpl::OPEN)
{
    const RegistryDatabase::KeyLocation location = RegistryDatabase::getKeyLocation(type);
    return RegistryKeyImpl(location.root, location.subKey, access | location.view, mode);
}

Location::Layout layoutOf(int type)
{
    const Location* location = LocationTable::find(type);
    return location ? location->layout : Location::Layout::Values;
}

// Calls each with the name and the values of every subkey of the key. A subkey that goes while
// the key is listed (Windows runs and removes the sections of RunOnceEx) hides no other.
template <typename Each>
void forEachSubkey(int type, RegistryKeyImpl& key, Each each)
{
    const RegistryDatabase::KeyLocation location = RegistryDatabase::getKeyLocation(type);
    for (const std::string& name : RegistryReaderImpl(key).getSubkeys()) {
        try {
            RegistryKeyImpl subkey(location.root, location.subKey + "\\" + name, KEY_READ | location.view,
                                   RegistryKeyImpl::OPEN);
            each(name, RegistryReaderImpl(subkey).getValues());
        } catch (const windows::registry::RegistryKeyNotFoundException&) {
        }
    }
}

// Whether a value is an entry: any value of a Run key; in a key of settings, only a value that
// starts programs, and only when it names one.
bool isEntry(int type, const std::string& name, std::string_view text)
{
    const Location* location = LocationTable::find(type);
    if (!location || !location->values)
        return true;
    for (const char* const* entry = location->values; *entry; ++entry)
        if (Utf8::sameName(name, *entry))
            return !text.empty();
    return false;
}

// Where an entry's value lies: in the location's key under its name; for a value of a section
// of RunOnceEx ("0001\Line1"), in that subkey under the rest of the name; for a component of
// Active Setup or a program's debugger, in the subkey of that name under the row's value.
struct Place {
    RegistryKeyImpl key;
    std::string value;
};

// The subkey of the entry's value and the value's name there.
std::pair<std::string, std::string> whereIn(const RegistryDatabase::KeyLocation& location, const StartupItem& item)
{
    const std::string& name = item.getValue();
    switch (layoutOf(item.getType())) {
    case Location::Layout::Components:
    case Location::Layout::Programs:
        return {location.subKey + "\\" + name, LocationTable::find(item.getType())->values[0]};
    case Location::Layout::Sections:
        if (const std::size_t slash = name.find('\\'); slash != std::string::npos)
            return {location.subKey + "\\" + name.substr(0, slash), name.substr(slash + 1)};
        break;
    case Location::Layout::Values:
    case Location::Layout::List:
        break;
    }
    return {location.subKey, name};
}

Place placeOf(const StartupItem& item, REGSAM access, int mode = RegistryKeyImpl::OPEN)
{
    const RegistryDatabase::KeyLocation location = RegistryDatabase::getKeyLocation(item.getType());
    std::pair<std::string, std::string> where = whereIn(location, item);
    return Place{RegistryKeyImpl(location.root, where.first, access | location.view, mode), std::move(where.second)};
}

// The value of the item's name in its place, as an entry of this location; none when it is not there.
std::optional<StartupItem> valueNamed(Place& place, const StartupItem& item)
{
    try {
        RegistryReaderImpl::Value value = RegistryReaderImpl(place.key).readValue(place.value);
        return StartupItem(item.getType(), item.getState(), item.getValue(), std::move(value.text), value.type,
                           std::move(value.bytes));
    } catch (const RegistryValueNotFoundException&) {
        return std::nullopt;
    }
}

// A value that is already gone is what deleting wanted.
void deleteValueIfPresent(RegistryKeyImpl& key, const std::string& name)
{
    try {
        RegistryWriterImpl(key).deleteValue(name);
    } catch (const RegistryValueNotFoundException&) {
    }
}

} // namespace

RegistryDatabase::RegistryDatabase(int type, RegistryBackup& backup) : StoredDatabase(type, backup) {}

RegistryDatabase::KeyLocation RegistryDatabase::getKeyLocation(int type)
{
    const Location* location = LocationTable::find(type);
    if (!check(location && location->kind == Location::Kind::RegistryKey,
               "location && location->kind == Location::Kind::RegistryKey", SOURCE, __LINE__))
        return {HKEY_CURRENT_USER, std::string(), 0};
    // 32-bit Windows ignores the view.
    const REGSAM views[] = {0, KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    return {registryRoot(*location), location->key, views[static_cast<int>(location->view)]};
}

std::string RegistryDatabase::getWhere() const
{
    const KeyLocation location = getKeyLocation(_type);
    return windows::registry::RegistryHelpers::getKeyPath(location.root, location.subKey, location.view);
}

std::string RegistryDatabase::getRegistryKey(const StartupItem& item)
{
    const KeyLocation location = getKeyLocation(_type);
    return windows::registry::RegistryHelpers::getEditorPath(location.root, whereIn(location, item).first,
                                                             location.view);
}

RegistryDatabase::Note RegistryDatabase::getNote(const StartupItem& item)
{
    const Location* location = LocationTable::find(_type);
    if (location && location->layout == Location::Layout::Sections)
        return sectionTitle(item);
    if (location && location->layout == Location::Layout::Components)
        return {"Component " + item.getValue()};
    if (location && location->layout == Location::Layout::Programs)
        return {"Windows starts this debugger instead of " + item.getValue() + ", handing it " + item.getValue() +
                "'s command line."};
    if (!location || !location->defaults)
        return {};
    for (std::size_t i = 0; location->values[i]; ++i) {
        if (!Utf8::sameName(item.getValue(), location->values[i]) || !location->defaults[i])
            continue;
        // Windows' own, however it is spelt: in any case, with %SystemRoot% or the drive written out.
        const auto expanded = [](const std::string& text) {
            return Utf8::foldCase(windows::registry::RegistryHelpers::expandEnvironmentStrings(text));
        };
        const std::string own = location->defaults[i];
        if (expanded(own) == expanded(std::string(item.getData())))
            return {};
        return {"This is not Windows' own " + item.getValue() + ", which is " + own +
                    ". Windows starts: " + std::string(item.getData()),
                true};
    }
    return {};
}

RegistryReaderImpl::Values RegistryDatabase::readEntries()
{
    _titles.clear();
    RegistryReaderImpl::Values entries;
    try {
        RegistryKeyImpl key = openKey(_type, KEY_READ);
        switch (layoutOf(_type)) {
        case Location::Layout::Values:
            for (RegistryReaderImpl::Value& value : RegistryReaderImpl(key).getValues())
                if (isEntry(_type, value.name, value.text))
                    entries.push_back(std::move(value));
            break;
        case Location::Layout::Sections:
            forEachSubkey(_type, key, [&entries](const std::string& section, RegistryReaderImpl::Values values) {
                for (RegistryReaderImpl::Value& value : values)
                    if (!value.name.empty()) {
                        value.name = section + "\\" + value.name;
                        entries.push_back(std::move(value));
                    }
            });
            break;
        case Location::Layout::Components:
        case Location::Layout::Programs:
            forEachSubkey(_type, key,
                          [this, &entries](const std::string& component, RegistryReaderImpl::Values values) {
                              for (RegistryReaderImpl::Value& value : values) {
                                  if (value.name.empty() && layoutOf(_type) == Location::Layout::Components) {
                                      _titles[Utf8::foldCase(component)] = value.text;
                                  } else if (isEntry(_type, value.name, value.text)) {
                                      value.name = component;
                                      entries.push_back(std::move(value));
                                  }
                              }
                          });
            break;
        case Location::Layout::List:
            break; // a ValueListDatabase's
        }
    } catch (const windows::registry::RegistryKeyNotFoundException&) {
        // A key that is not there holds no entries: Windows simply starts nothing from it.
    }
    return entries;
}

std::string RegistryDatabase::getLabel(const StartupItem& item)
{
    const auto title = _titles.find(Utf8::foldCase(item.getValue()));
    return title == _titles.end() || title->second.empty() ? item.getValue() : title->second;
}

RegistryDatabase::Note RegistryDatabase::sectionTitle(const StartupItem& item) const
{
    const std::size_t slash = item.getValue().find('\\');
    if (slash == std::string::npos)
        return {};
    const std::string section = item.getValue().substr(0, slash);
    try {
        Place place = placeOf(item, KEY_READ);
        const std::string title = RegistryReaderImpl(place.key).readString("");
        return {title.empty() ? std::string() : "Section " + section + ": " + title};
    } catch (const windows::registry::RegistryException&) {
        return {}; // a section without a title, or one that has gone
    }
}

std::vector<StartupItem> RegistryDatabase::getItems()
{
    std::vector<StartupItem> items;
    for (RegistryReaderImpl::Value& value : readEntries())
        items.emplace_back(_type, StartupConstants::ENABLED, std::move(value.name), std::move(value.text), value.type,
                           std::move(value.bytes));
    StartupApproval(_type).markSwitchedOff(items);
    return _backup->withStored(_type, std::move(items));
}

void RegistryDatabase::enable(const StartupItem& item)
{
    if (item.isDisabledBySystem())
        StartupApproval(_type).switchOn(item.getValue()); // the value itself stays where it is
    else
        putBack(item, item, "disabled");
}

StartupItem RegistryDatabase::restore(const StartupItem& entry, const StartupItem& copy)
{
    return DeletedCopy::nameOf(copy).disabled ? restoreDisabled(entry, copy) : putBack(entry, copy, "deleted");
}

StartupItem RegistryDatabase::putBack(const StartupItem& item, const StartupItem& stored, const std::string& kept)
{
    // The key may have gone since the entry was disabled; Windows reads it again once it exists.
    Place place = placeOf(item, KEY_READ | KEY_WRITE, RegistryKeyImpl::CREATE);
    const std::optional<StartupItem> live = valueNamed(place, item);
    // A setting that names no program (an empty Load) is no entry to keep.
    if (live && isEntry(_type, place.value, live->getData())) {
        if (!live->sameContents(item))
            throw RegistryDatabaseException(
                "The key already holds a value named " + live->getValue() + " with another command, so the " + kept +
                " entry is left as it is. Delete or disable one of them first.\nKey: " + getWhere() +
                "\nIn the key: " + std::string(live->getData()) + "\n" + char(std::toupper(kept[0])) + kept.substr(1) +
                ": " + std::string(item.getData()));
        _backup->drop(stored); // nothing written, nothing to take back
        return *live;
    }
    if (const std::optional<std::string_view> raw = item.getRawData())
        RegistryWriterImpl(place.key).writeValue(place.value, item.getValueType(), std::string(*raw));
    else
        RegistryWriterImpl(place.key).writeString(place.value, std::string(item.getData()));
    _backup->drop(stored, [item] {
        // Only the value as it was written: one another program has changed since is its own.
        Place written = placeOf(item, KEY_READ | KEY_WRITE);
        const std::optional<StartupItem> now = valueNamed(written, item);
        if (now && now->sameContents(item))
            deleteValueIfPresent(written.key, written.value);
    });
    return StartupItem(_type, StartupConstants::ENABLED, item.getValue(), item.getSharedData(), item.getValueType(),
                       item.getSharedRawData());
}

void RegistryDatabase::disable(const StartupItem& item)
{
    Place place = placeOf(item, KEY_READ | KEY_WRITE);
    // The value as it is now, which may have changed since it was listed.
    const StartupItem current = valueNamed(place, item).value_or(item);
    _backup->storeThenTakeOut(item, current, [&place] { deleteValueIfPresent(place.key, place.value); });
}

void RegistryDatabase::run(const StartupItem& item)
{
    ProcessHelper::start(windows::registry::RegistryHelpers::expandEnvironmentStrings(getCommand(item)));
}

std::string RegistryDatabase::getCommand(const StartupItem& item)
{
    const std::string_view data = item.getData();
    if (layoutOf(_type) == Location::Layout::Sections && data.substr(0, 2) == "||")
        return std::string(data.substr(2));
    return std::string(data);
}

void RegistryDatabase::remove(const StartupItem& item)
{
    if (item.getInitialState() == StartupConstants::DISABLED && !item.isDisabledBySystem()) {
        keepThenTakeOut(item, {item}, [] {}); // a stored entry: its key need not even exist
        return;
    }
    Place place = placeOf(item, KEY_READ | KEY_WRITE);
    // The value as it is now, which may have changed since it was listed.
    const StartupItem current = valueNamed(place, item).value_or(item);
    // A stored copy just like the value was listed as the value; it would come back.
    std::vector<StartupItem> replaced;
    for (const StartupItem& stored : _backup->getEntries(_type))
        if (stored == item && stored.sameContents(current))
            replaced.push_back(stored);
    keepThenTakeOut(current, replaced, [&place] { deleteValueIfPresent(place.key, place.value); });
}

} // namespace products::bootwarden::database
