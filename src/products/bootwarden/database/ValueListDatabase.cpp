#include "products/bootwarden/database/ValueListDatabase.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryDatabase.h"
#include "util/LittleEndian.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/registry/RegistryWriterImpl.h"

using util::LittleEndian;
using util::assertion::reportAssertion;

namespace products::bootwarden::database {

using windows::registry::RegistryKeyImpl;
using windows::registry::RegistryReaderImpl;
using windows::registry::RegistryWriterImpl;

namespace {

const char* const SOURCE = "products/bootwarden/database/ValueListDatabase";

const Location& row(int type)
{
    return *LocationTable::find(type);
}

RegistryKeyImpl openKey(int type, REGSAM access, int mode = RegistryKeyImpl::OPEN)
{
    const RegistryDatabase::KeyLocation location = RegistryDatabase::getKeyLocation(type);
    return RegistryKeyImpl(location.root, location.subKey, access | location.view, mode);
}

} // namespace

ValueListDatabase::ValueListDatabase(int type, RegistryBackup& backup) : StoredDatabase(type, backup) {}

std::optional<ValueList> ValueListDatabase::read() const
{
    try {
        RegistryKeyImpl key = openKey(_type, KEY_READ);
        std::optional<RegistryReaderImpl::Value> value = RegistryReaderImpl(key).findValue(row(_type).values[0]);
        if (!value)
            return std::nullopt;
        return ValueList(value->type, std::move(value->bytes));
    } catch (const windows::registry::RegistryKeyNotFoundException&) {
        return std::nullopt;
    }
}

void ValueListDatabase::write(const ValueList& list, const std::string& bytes) const
{
    RegistryKeyImpl key = openKey(_type, KEY_READ | KEY_WRITE, RegistryKeyImpl::CREATE);
    RegistryWriterImpl(key).writeValue(row(_type).values[0], list.type(), bytes);
}

StartupItem ValueListDatabase::entryOf(const std::string& name, const ValueList& list, int state, bool withList) const
{
    return StartupItem(_type, state, name, name, list.type(), withList ? std::optional(list.bytes()) : std::nullopt);
}

std::vector<StartupItem> ValueListDatabase::getItems()
{
    std::vector<StartupItem> items;
    if (const std::optional<ValueList> list = read())
        for (const std::string& name : list->items())
            items.push_back(entryOf(name, *list, StartupConstants::ENABLED, false));
    return _backup->withStored(_type, std::move(items));
}

void ValueListDatabase::takeOut(const StartupItem& item) const
{
    const std::optional<ValueList> list = read();
    if (const std::optional<std::size_t> index = list ? list->find(item.getValue()) : std::nullopt)
        write(*list, list->without(*index));
}

void ValueListDatabase::disable(const StartupItem& item)
{
    // With the list as it is now, where enabling will put it back.
    const std::optional<ValueList> list = read();
    const StartupItem current =
        list && list->find(item.getValue()) ? entryOf(item.getValue(), *list, item.getState(), true) : item;
    _backup->storeThenTakeOut(item, current, [this, &item] { takeOut(item); });
}

void ValueListDatabase::enable(const StartupItem& item)
{
    restore(item, item);
}

StartupItem ValueListDatabase::restore(const StartupItem& entry, const StartupItem& copy)
{
    if (DeletedCopy::nameOf(copy).disabled)
        return restoreDisabled(entry, copy);
    const std::optional<std::string_view> stored = entry.getRawData();
    const ValueList before(entry.getValueType(), stored ? std::string(*stored) : std::string());
    const ValueList now = read().value_or(ValueList(entry.getValueType(), std::string()));
    if (!now.find(entry.getValue())) {
        write(now, now.with(entry.getValue(), before));
        _backup->drop(copy, [this, entry] { takeOut(entry); });
    } else {
        _backup->drop(copy); // back already: nothing written, nothing to take back
    }
    return entryOf(entry.getValue(), now, StartupConstants::ENABLED, false);
}

void ValueListDatabase::remove(const StartupItem& item)
{
    if (item.getInitialState() == StartupConstants::DISABLED) {
        keepThenTakeOut(item, {item}, [] {});
        return;
    }
    // With the list as it is now, where restoring will put it back; a stored copy of the same
    // item would come back as the item.
    const std::optional<ValueList> list = read();
    const StartupItem current =
        list && list->find(item.getValue()) ? entryOf(item.getValue(), *list, StartupConstants::ENABLED, true) : item;
    std::vector<StartupItem> replaced;
    for (const StartupItem& stored : _backup->getEntries(_type))
        if (stored == item)
            replaced.push_back(stored);
    keepThenTakeOut(current, replaced, [this, &item] { takeOut(item); });
}

void ValueListDatabase::run(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

std::string ValueListDatabase::getWhere() const
{
    const RegistryDatabase::KeyLocation location = RegistryDatabase::getKeyLocation(_type);
    return windows::registry::RegistryHelpers::getKeyPath(location.root, location.subKey, location.view) + "\\" +
           row(_type).values[0];
}

std::string ValueListDatabase::getRegistryKey(const StartupItem&)
{
    const RegistryDatabase::KeyLocation location = RegistryDatabase::getKeyLocation(_type);
    return windows::registry::RegistryHelpers::getEditorPath(location.root, location.subKey, location.view);
}

ValueListDatabase::Note ValueListDatabase::getNote(const StartupItem& item)
{
    const Location& location = row(_type);
    if (location.listSwitch) {
        std::optional<RegistryReaderImpl::Value> on;
        try {
            RegistryKeyImpl key = openKey(_type, KEY_READ);
            on = RegistryReaderImpl(key).findValue(location.listSwitch);
        } catch (const windows::registry::RegistryKeyNotFoundException&) {
        }
        if (!on || on->bytes.size() < 4 || LittleEndian::readWord(on->bytes.data()) == 0)
            return {std::string(location.listSwitch) + " is off, so Windows loads none of these DLLs; it would load " +
                        item.getValue() + " once it is 1.",
                    true};
        return {std::string(location.listSwitch) + " is on: Windows loads " + item.getValue() +
                " into every program that loads user32.dll."};
    }
    if (!location.defaults || location.isWindowsOwn(item.getValue()))
        return {};
    return {std::string("This is not Windows' own, which is ") + location.defaults[0] +
                ". Windows runs it before it starts itself: " + item.getValue(),
            true};
}

} // namespace products::bootwarden::database
