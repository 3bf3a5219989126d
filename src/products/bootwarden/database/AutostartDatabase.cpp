#include "products/bootwarden/database/AutostartDatabase.h"

#include "io/file/FileHelper.h"
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/database/DeletedCopy.h"
#include "products/bootwarden/database/Moment.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/StartupApproval.h"
#include "util/StringHelper.h"
#include "util/Utf8.h"
#include "util/assertion/Assertion.h"
#include "util/parser/ArgumentParserHelpers.h"
#include "windows/file/WindowsFileHelper.h"
#include "windows/process/ProcessHelper.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"

#include <set>

using util::StringHelper;
using util::Utf8;
using util::assertion::check;
using util::parser::ArgumentParserHelpers;
using windows::file::ShortcutReader;
using windows::file::WindowsFileHelper;

namespace products::bootwarden::database {

namespace {

const char* const SOURCE = "products/bootwarden/database/AutostartDatabase";

// What Windows starts from a Startup folder at sign-in: programs, scripts and shortcuts.
bool startsAtSignIn(const platform::FoundFile& file)
{
    static const std::set<std::string> EXTENSIONS = {"exe", "com", "bat", "cmd", "scr", "pif", "vbs",      "vbe",
                                                     "js",  "jse", "wsf", "wsh", "lnk", "url", "appref-ms"};
    const bool hiddenSystemFile =
        (file.attributes & FILE_ATTRIBUTE_HIDDEN) && (file.attributes & FILE_ATTRIBUTE_SYSTEM);
    return !hiddenSystemFile &&
           EXTENSIONS.count(StringHelper::toLower(ArgumentParserHelpers::getExtension(file.name))) != 0;
}

} // namespace

AutostartDatabase::AutostartDatabase(int type, const std::string& disabledFolder, RegistryBackup& backup)
    : _type(type), _disabledFolder(disabledFolder), _working(true), _backup(&backup)
{
    const FolderLocation location = getFolderLocation(type);
    try {
        WindowsFileHelper::createDirectory(_disabledFolder);
        windows::registry::RegistryKeyImpl key(location.root, location.key, KEY_READ,
                                               windows::registry::RegistryKeyImpl::OPEN);
        const std::string folder = windows::registry::RegistryReaderImpl(key).readString(location.value);
        // An empty setting would make the drive's root the Startup folder.
        if (folder.empty())
            throw AutostartDatabaseException("The location of the Startup folder is empty. Entry: " + key.getPath() +
                                             "\\" + location.value);
        _folder = folder + "\\";
    } catch (const exceptions::Exception& e) {
        _working = false;
        _reason = e.getMessage();
    }
}

AutostartDatabase::FolderLocation AutostartDatabase::getFolderLocation(int type)
{
    const Location* location = LocationTable::find(type);
    if (!check(location && location->kind == Location::Kind::StartupFolder,
               "location && location->kind == Location::Kind::StartupFolder", SOURCE, __LINE__))
        return {HKEY_CURRENT_USER, std::string(), std::string()};
    return {registryRoot(*location), location->key, location->folderValue};
}

std::vector<StartupItem> AutostartDatabase::listFolder(const std::string& folder, int state)
{
    if (!_working)
        throw AutostartDatabaseException("The autostart startup database isn't working. Reason: " + _reason);
    std::vector<StartupItem> items;
    for (const platform::FoundFile& file : WindowsFileHelper::getFirstLevelEntries(folder, "*.*"))
        if (startsAtSignIn(file))
            items.emplace_back(_type, state, file.name, folder + file.name);
    return items;
}

std::string AutostartDatabase::getCommand(const StartupItem& item)
{
    if (StringHelper::toLower(ArgumentParserHelpers::getExtension(item.getValue())) != "lnk")
        return std::string(item.getData());
    try {
        const ShortcutReader::Shortcut shortcut = _shortcuts.read(std::string(item.getData()));
        const std::string target =
            shortcut.target.find(' ') == std::string::npos ? shortcut.target : '"' + shortcut.target + '"';
        return shortcut.arguments.empty() ? target : target + " " + shortcut.arguments;
    } catch (const windows::file::CouldNotExtractPathFromShourcutException&) {
        return std::string(item.getData()); // a shortcut that leads nowhere is still in the folder, and still started
    }
}

std::vector<StartupItem> AutostartDatabase::getItems()
{
    _problem.clear();
    std::vector<StartupItem> items = listFolder(_folder, StartupConstants::ENABLED);
    StartupApproval(_type).markSwitchedOff(items);
    std::vector<StartupItem> disabled;
    try {
        disabled = listFolder(_disabledFolder, StartupConstants::DISABLED);
    } catch (const exceptions::Exception& e) {
        // The active entries are still what Windows starts; only the disabled side is unknown.
        _problem = "The disabled entries of this folder could not be listed.\n\n" + e.getMessage();
        return items;
    }
    std::set<std::string> active;
    for (const StartupItem& item : items)
        active.insert(Utf8::foldCase(item.getValue()));
    for (StartupItem& item : disabled) {
        // A copy that is active again with the same bytes adds nothing; one that differs is
        // kept and shown, so nothing is lost.
        if (active.count(Utf8::foldCase(item.getValue())) && sameBytes(item.getValue()))
            continue;
        items.push_back(std::move(item));
    }
    return items;
}

bool AutostartDatabase::sameBytes(const std::string& name) const
{
    try {
        return io::file::FileHelper::loadFile(_folder + name) == io::file::FileHelper::loadFile(_disabledFolder + name);
    } catch (const exceptions::Exception&) {
        return false;
    }
}

void AutostartDatabase::enable(const StartupItem& item)
{
    if (item.isDisabledBySystem()) {
        StartupApproval(_type).switchOn(item.getValue()); // the file stays where it is
        return;
    }
    refuseTaken(_folder, item.getValue(), "disabled");
    WindowsFileHelper::moveFile(_disabledFolder + item.getValue(), _folder + item.getValue());
}

void AutostartDatabase::refuseTaken(const std::string& folder, const std::string& name, const std::string& what) const
{
    if (WindowsFileHelper::exists(folder + name))
        throw AutostartDatabaseException(
            std::string(folder == _folder ? "The Startup folder" : "The folder of disabled files") +
            " already holds a file named " + name + ", so the " + what +
            " one is left where it is. Rename or delete one of them first.\nFolder: " + folder);
}

void AutostartDatabase::disable(const StartupItem& item)
{
    const std::string& name = item.getValue();
    if (WindowsFileHelper::exists(_disabledFolder + name)) {
        // A copy with the same bytes was never shown and adds nothing; another one is an entry.
        if (!sameBytes(name))
            throw AutostartDatabaseException("The folder of disabled files already holds another file named " + name +
                                             ", so the entry is left where it is. Rename or delete one of them "
                                             "first.\nFolder: " +
                                             _disabledFolder);
        WindowsFileHelper::deleteFile(_disabledFolder + name);
    }
    WindowsFileHelper::moveFile(_folder + name, _disabledFolder + name);
}

void AutostartDatabase::run(const StartupItem& item)
{
    const bool disabled = item.getInitialState() == StartupConstants::DISABLED;
    ProcessHelper::shellExecute((disabled ? _disabledFolder : _folder) + item.getValue(), "open");
}

void AutostartDatabase::remove(const StartupItem& item)
{
    const std::string& name = item.getValue();
    // One the system's settings switched off is still in the Startup folder.
    const bool disabled = item.getInitialState() == StartupConstants::DISABLED && !item.isDisabledBySystem();
    const std::string file = (disabled ? _disabledFolder : _folder) + name;
    // A disabled copy with the same bytes was never shown; it goes with the entry.
    const bool twin = !disabled && WindowsFileHelper::exists(_disabledFolder + name) && sameBytes(name);
    if (WindowsFileHelper::exists(file)) {
        const std::string deleted = Moment::now();
        const std::string kept = DELETED_FOLDER + deleted + "\\";
        const StartupItem entry(_type, disabled ? StartupConstants::DISABLED : StartupConstants::ENABLED, name,
                                kept + name);
        _backup->keepThenTakeOut(DeletedCopy::of(entry, deleted), {}, [&file, &kept, &name] {
            WindowsFileHelper::createDirectory(DELETED_FOLDER);
            WindowsFileHelper::createDirectory(kept);
            WindowsFileHelper::moveFile(file, kept + name);
        });
    }
    if (twin)
        WindowsFileHelper::deleteFile(_disabledFolder + name);
}

StartupItem AutostartDatabase::restore(const StartupItem& entry, const StartupItem& copy)
{
    const std::string kept(copy.getData());
    const bool disabled = DeletedCopy::nameOf(copy).disabled; // back among the disabled files
    const std::string& into = disabled ? _disabledFolder : _folder;
    const std::string file = into + entry.getValue();
    refuseTaken(into, entry.getValue(), "deleted");
    const std::string folder = ArgumentParserHelpers::getDirectory(kept);
    WindowsFileHelper::moveFile(kept, file);
    WindowsFileHelper::removeIfEmpty(folder);
    _backup->drop(copy, [kept, file, folder] {
        WindowsFileHelper::createDirectory(folder);
        WindowsFileHelper::moveFile(file, kept);
    });
    return StartupItem(_type, disabled ? StartupConstants::DISABLED : StartupConstants::ENABLED, entry.getValue(),
                       file);
}

void AutostartDatabase::forget(const StartupItem& copy)
{
    // A record whose file is gone says so, and is forgotten again.
    const std::string kept(copy.getData());
    if (WindowsFileHelper::exists(kept))
        WindowsFileHelper::deleteFile(kept);
    WindowsFileHelper::removeIfEmpty(ArgumentParserHelpers::getDirectory(kept));
    _backup->drop(copy);
    _backup->commit();
}

std::string AutostartDatabase::damage(const StartupItem& copy)
{
    const std::string kept(copy.getData());
    return WindowsFileHelper::exists(kept) ? std::string() : "Its file " + kept + " is gone, so it cannot be restored.";
}

} // namespace products::bootwarden::database
