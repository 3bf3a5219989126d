#include "products/bootwarden/database/RegistryBackup.h"

#include "io/file/FileHelper.h"
#include "platform/Text.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "util/StringHelper.h"
#include "util/assertion/Assertion.h"
#include "windows/file/WindowsFileHelper.h"

#include <algorithm>

namespace products::bootwarden::database {

namespace {
const char* const SOURCE = "products/bootwarden/database/RegistryBackup";
const char* const DAMAGED_SUFFIX = ".damaged";
}

RegistryBackup::RegistryBackup(const std::string& filename) : _filename(filename)
{
    // Only a file that is really not there means "no disabled entries yet": one that is there
    // but cannot be read must fail here, not be overwritten by the next save.
    if (WindowsFileHelper::exists(_filename))
        load();
}

void RegistryBackup::add(const StartupItem& item)
{
    check(!contains(item), "i == _entries.end()", SOURCE, 89);
    _entries.push_back(item);
    _stored.insert(item.identity());
}

void RegistryBackup::remove(const StartupItem& item)
{
    const auto stored = _stored.find(item.identity());
    if (!check(stored != _stored.end(), "i != _entries.end()", SOURCE, 98))
        return;
    _stored.erase(stored);
    _entries.erase(std::find(_entries.begin(), _entries.end(), item));
}

bool RegistryBackup::contains(const StartupItem& item) const
{
    return _stored.count(item.identity()) != 0;
}

bool RegistryBackup::isSaved(const StartupItem& item) const
{
    return _saved.count(item.identity()) != 0;
}

void RegistryBackup::save()
{
    if (_damaged)
        io::file::FileHelper::saveFile(_filename + DAMAGED_SUFFIX, _damagedContents);
    io::file::FileHelper::saveFile(
        _filename, [this](const io::file::FileHelper::Write& write) { DataFileCodec::encode(_entries, write); });
    _saved.clear();
    for (const StartupItem& entry : _entries)
        _saved.insert(entry.identity());
    _damaged = false;
    _damagedContents.clear();
}

std::vector<StartupItem> RegistryBackup::getEntries(int type) const
{
    std::vector<StartupItem> entries;
    std::copy_if(_entries.begin(), _entries.end(), std::back_inserter(entries),
                 [type](const StartupItem& item) { return item.getType() == type; });
    return entries;
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

void RegistryBackup::load()
{
    DataFileCodec::Contents contents;
    io::file::FileHelper::readFile(_filename, [&contents](std::istream& in, std::size_t size) {
        contents = DataFileCodec::decode(in, size);
    });
    _entries = std::move(contents.items);
    // Older versions wrote names and command lines in the system's ANSI code page; such a
    // record is read through that code page once and is UTF-8 from then on.
    for (StartupItem& item : _entries)
        if (!StringHelper::isUtf8(item.getValue()) || !StringHelper::isUtf8(item.getData()))
            item = StartupItem(item.getType(), item.getState(), platform::Text::fromAnsiCodePage(item.getValue()),
                               platform::Text::fromAnsiCodePage(item.getData()), item.getValueType(),
                               item.getRawData() ? std::optional<std::string>(*item.getRawData()) : std::nullopt);
    _stored.reserve(_entries.size());
    _saved.reserve(_entries.size());
    for (const StartupItem& entry : _entries) {
        _stored.insert(entry.identity());
        _saved.insert(entry.identity());
    }
    if (!contents.complete) {
        _damaged = true;
        _damagedContents = io::file::FileHelper::loadFile(_filename);
    }
}

} // namespace products::bootwarden::database
