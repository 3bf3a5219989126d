#include "products/bootwarden/database/RegistryBackup.h"

#include "exceptions/Exception.h"
#include "io/file/FileHelper.h"
#include "io/file/FileLock.h"
#include "platform/Text.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "util/Utf8.h"
#include "windows/file/WindowsFileHelper.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

using util::Utf8;
using windows::file::WindowsFileHelper;

namespace products::bootwarden::database {

namespace {

const char* const DAMAGED_SUFFIX = ".damaged";

// The entry as the file keeps it: disabled, nothing pending.
StartupItem storedForm(const StartupItem& item)
{
    return StartupItem(item.getType(), StartupConstants::DISABLED, item.getValue(), item.getSharedData(),
                       item.getValueType(), item.getSharedRawData());
}

} // namespace

RegistryBackup::RegistryBackup(const std::string& filename) : _filename(filename)
{
    reload();
}

void RegistryBackup::put(const StartupItem& item)
{
    if (_staged.empty())
        _written.clear(); // a new round of changes trusts nothing written before it
    _staged.push_back({storedForm(item), true, {}});
}

void RegistryBackup::drop(const StartupItem& item, std::function<void()> takeBack)
{
    _staged.push_back({item, false, std::move(takeBack)});
}

void RegistryBackup::unstage(const StartupItem& item)
{
    _staged.erase(std::remove_if(_staged.begin(), _staged.end(),
                                 [&item](const Change& change) { return change.item.sameExactName(item); }),
                  _staged.end());
}

bool RegistryBackup::holds(const StartupItem& item) const
{
    const auto same = [&item](const StartupItem& other) {
        return other.sameExactName(item) && other.sameContents(item);
    };
    // The last staged change of that name decides; without one, what this store wrote last.
    for (auto change = _staged.rbegin(); change != _staged.rend(); ++change)
        if (change->item == item)
            return change->store && same(change->item);
    return std::any_of(_written.begin(), _written.end(), same);
}

void RegistryBackup::commit()
{
    if (_staged.empty())
        return;
    _takenBack.clear();
    try {
        write();
    } catch (const exceptions::Exception& e) {
        const std::string stillEnabled = takeBackEnables();
        if (stillEnabled.empty())
            throw;
        throw exceptions::Exception(e.getMessage() + stillEnabled);
    }
}

bool RegistryBackup::tookBack(const StartupItem& item) const
{
    return std::any_of(_takenBack.begin(), _takenBack.end(),
                       [&item](const StartupItem& taken) { return taken.sameExactName(item); });
}

std::string RegistryBackup::takeBackEnables()
{
    // An entry enabled beside a stored copy that cannot be dropped would be in two places, and
    // the user told that enabling it failed.
    std::string stillEnabled;
    for (Change& change : _staged) {
        if (!change.takeBack)
            continue;
        try {
            change.takeBack();
            _takenBack.push_back(change.item);
        } catch (const exceptions::Exception& e) {
            stillEnabled += "\n\n" + change.item.getValue() +
                            " is enabled all the same: taking it out again failed.\n" + e.getMessage() +
                            "\nThe data file still holds its copy, hidden while it matches the entry; disabling "
                            "the entry replaces it.";
        }
        change.takeBack = nullptr; // either way it is done: the entry is where it is now
    }
    _staged.erase(std::remove_if(_staged.begin(), _staged.end(),
                                 [this](const Change& change) { return !change.store && tookBack(change.item); }),
                  _staged.end());
    return stillEnabled;
}

void RegistryBackup::write()
{
    const io::file::FileLock lock(_filename);
    reload();
    std::vector<StartupItem> changed = _entries;
    apply(_staged, changed);
    if (_damaged)
        io::file::FileHelper::saveFile(_filename + DAMAGED_SUFFIX, _damagedContents);
    io::file::FileHelper::saveFile(
        _filename, [&changed](const io::file::FileHelper::Write& write) { DataFileCodec::encode(changed, write); });
    _entries = std::move(changed);
    _written.clear();
    for (auto change = _staged.begin(); change != _staged.end(); ++change)
        if (change->store && std::none_of(change + 1, _staged.end(),
                                          [&change](const Change& later) { return later.item == change->item; }))
            _written.push_back(change->item);
    _staged.clear();
    _damaged = false;
    _damagedContents.clear();
}

std::vector<StartupItem> RegistryBackup::getEntries(int type) const
{
    std::vector<StartupItem> entries;
    std::copy_if(_entries.begin(), _entries.end(), std::back_inserter(entries),
                 [type](const StartupItem& item) { return item.getType() == type; });
    std::vector<Change> changes;
    std::copy_if(_staged.begin(), _staged.end(), std::back_inserter(changes),
                 [type](const Change& change) { return change.item.getType() == type; });
    apply(changes, entries);
    return entries;
}

std::vector<StartupItem> RegistryBackup::withStored(int type, std::vector<StartupItem> live) const
{
    const std::vector<StartupItem> stored = getEntries(type);
    if (stored.empty())
        return live;
    std::unordered_map<std::string, std::size_t> named;
    for (std::size_t i = 0; i < live.size(); ++i)
        named.emplace(live[i].identity(), i);
    for (const StartupItem& entry : stored) {
        const auto same = named.find(entry.identity());
        if (same == named.end() || !live[same->second].sameContents(entry))
            live.push_back(entry);
    }
    return live;
}

void RegistryBackup::storeThenTakeOut(const StartupItem& listed, const StartupItem& current,
                                      const std::function<void()>& takeOut)
{
    if (!holds(current)) {
        unstage(listed);
        put(current);
    }
    try {
        commit();
    } catch (...) {
        unstage(current);
        throw;
    }
    try {
        takeOut();
    } catch (...) {
        // The entry is still in its location; the stored copy would only duplicate it.
        drop(current);
        throw;
    }
}

void RegistryBackup::keepThenTakeOut(const StartupItem& copy, const std::vector<StartupItem>& replaced,
                                     const std::function<void()>& takeOut)
{
    put(copy);
    for (const StartupItem& entry : replaced)
        drop(entry);
    try {
        commit();
    } catch (...) {
        unstage(copy);
        for (const StartupItem& entry : replaced)
            unstage(entry);
        throw;
    }
    try {
        takeOut();
    } catch (...) {
        // The entry is still in its location, as it was; a copy would only duplicate it. Should
        // that write fail too, the copy stays: it is listed beside the entry, and nothing is lost.
        drop(copy);
        for (const StartupItem& entry : replaced)
            put(entry);
        try {
            commit();
        } catch (const exceptions::Exception&) {
            unstage(copy);
            for (const StartupItem& entry : replaced)
                unstage(entry);
        }
        throw;
    }
}

std::string RegistryBackup::getDamageReport() const
{
    if (!_damaged)
        return std::string();
    return "The data file " + _filename + " is damaged. The " + std::to_string(_entries.size()) +
           " disabled entries that are whole in it were read; the rest is lost.\n"
           "The damaged file will be kept as " +
           _filename + DAMAGED_SUFFIX + " when the disabled entries are next saved.";
}

void RegistryBackup::reload()
{
    // Only a file that is really not there means "no disabled entries yet": one that is there
    // but cannot be read must fail here, not be overwritten by the next save. A failure keeps
    // what was read before.
    DataFileCodec::Contents contents;
    std::string damagedContents;
    if (WindowsFileHelper::exists(_filename)) {
        io::file::FileHelper::readFile(_filename,
                                       [&contents](const io::file::FileHelper::Read& read, std::size_t size) {
                                           contents = DataFileCodec::decode(read, size);
                                       });
        if (!contents.complete)
            damagedContents = io::file::FileHelper::loadFile(_filename);
    }
    // Older versions wrote names and command lines in the system's ANSI code page; such a
    // record is read through that code page once and is UTF-8 from then on.
    for (StartupItem& item : contents.items)
        if (!Utf8::isValid(item.getValue(), true) || !Utf8::isValid(item.getData(), true))
            item = StartupItem(item.getType(), item.getState(), platform::Text::fromAnsiCodePage(item.getValue()),
                               platform::Text::fromAnsiCodePage(std::string(item.getData())), item.getValueType(),
                               item.getRawData() ? std::optional<std::string>(*item.getRawData()) : std::nullopt);
    _entries = std::move(contents.items);
    _damaged = !contents.complete;
    _damagedContents = std::move(damagedContents);
}

void RegistryBackup::apply(const std::vector<Change>& changes, std::vector<StartupItem>& entries)
{
    if (changes.empty())
        return;
    // Folding a name keeps its length, so only entries of a changed location and length can
    // share a changed name: the thousands of others are never folded.
    std::set<std::pair<int, std::size_t>> shapes;
    for (const Change& change : changes)
        shapes.insert({change.item.getType(), change.item.getValue().size()});
    std::unordered_multimap<std::string, std::size_t> named;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (shapes.count({entries[i].getType(), entries[i].getValue().size()}))
            named.emplace(entries[i].identity(), i);
    std::vector<bool> gone(entries.size(), false);
    for (const Change& change : changes) {
        const auto range = named.equal_range(change.item.identity());
        for (auto i = range.first; i != range.second; ++i)
            if (change.store || entries[i->second].sameExactName(change.item))
                gone[i->second] = true;
        if (!change.store)
            continue;
        named.emplace(change.item.identity(), entries.size());
        entries.push_back(change.item);
        gone.push_back(false);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!gone[i] && kept++ != i)
            entries[kept - 1] = std::move(entries[i]);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(kept), entries.end());
}

} // namespace products::bootwarden::database
