#include "products/bootwarden/database/ServiceDatabase.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "util/LittleEndian.h"
#include "util/Utf8.h"
#include "util/assertion/Assertion.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/service/ServiceManager.h"

#include <functional>
#include <optional>

using util::LittleEndian;
using util::Utf8;
using util::assertion::reportAssertion;

namespace products::bootwarden::database {

using windows::registry::RegistryKeyImpl;
using windows::registry::RegistryReaderImpl;
using windows::service::ServiceManager;

namespace {

const char* const SOURCE = "products/bootwarden/database/ServiceDatabase";

struct StartSettings {
    DWORD startType = SERVICE_AUTO_START;
    bool delayed = false;
};

std::string encode(const StartSettings& settings)
{
    std::string bytes(8, '\0');
    LittleEndian::writeWord(LittleEndian::writeWord(&bytes[0], settings.startType), settings.delayed ? 1 : 0);
    return bytes;
}

// An entry whose bytes are missing or short (written by hand) was automatic, without delay.
StartSettings decode(const StartupItem& item)
{
    const std::optional<std::string_view> bytes = item.getRawData();
    if (!bytes || bytes->size() < 8)
        return {};
    return {LittleEndian::readWord(bytes->data()), LittleEndian::readWord(bytes->data() + 4) != 0};
}

const Location& row(int type)
{
    return *LocationTable::find(type);
}

// A service as its key holds it. The service manager keeps its services there, and reading the
// keys costs a fraction of connecting to the manager and asking it service by service; the key is
// also where the delay is found at all when the manager does not answer for it (Wine 8).
struct Configuration {
    DWORD serviceType = 0;
    StartSettings start{0, false};
    std::string imagePath;
    std::string displayName;

    bool startsWithWindows() const
    {
        return (serviceType & SERVICE_WIN32) != 0 && start.startType == SERVICE_AUTO_START;
    }
};

// None when the key has gone with its service. Only what decides whether the service starts with
// Windows is read of the many services that do not, unless all is asked for (a disabled one's
// display name); an indirect display name is loaded from its file.
std::optional<Configuration> configurationOf(int type, const std::string& service, bool all = false)
{
    try {
        RegistryKeyImpl key(registryRoot(row(type)), std::string(row(type).key) + "\\" + service,
                            KEY_READ | KEY_WOW64_64KEY, RegistryKeyImpl::OPEN);
        RegistryReaderImpl reader(key);
        const auto number = [&reader](const char* name) -> DWORD {
            const std::optional<RegistryReaderImpl::Value> value = reader.findValue(name);
            return value && value->bytes.size() >= 4 ? LittleEndian::readWord(value->bytes.data()) : 0;
        };
        // Most services do not start automatically: their start type alone says so.
        Configuration found;
        found.start.startType = number("Start");
        if (!all && found.start.startType != SERVICE_AUTO_START)
            return found;
        found.serviceType = number("Type");
        if (!all && !found.startsWithWindows())
            return found;
        found.start.delayed = number("DelayedAutoStart") != 0;
        if (const std::optional<RegistryReaderImpl::Value> imagePath = reader.findValue("ImagePath"))
            found.imagePath = imagePath->text;
        try {
            found.displayName = reader.readLocalizedString("DisplayName");
        } catch (const windows::registry::RegistryException&) {
            // None, or one that cannot be loaded: the service is known by its name, then.
        }
        return found;
    } catch (const windows::registry::RegistryKeyNotFoundException&) {
        return std::nullopt;
    }
}

StartupItem entryOf(int type, int state, const std::string& service, const Configuration& configuration)
{
    return StartupItem(type, state, service, configuration.imagePath, StartupConstants::TEXT_VALUE,
                       encode(configuration.start));
}

} // namespace

ServiceDatabase::ServiceDatabase(int type, RegistryBackup& backup) : StoredDatabase(type, backup) {}

std::string ServiceDatabase::getWhere() const
{
    return windows::registry::RegistryHelpers::getKeyPath(registryRoot(row(_type)), row(_type).key, 0);
}

std::string ServiceDatabase::getRegistryKey(const StartupItem& item)
{
    return windows::registry::RegistryHelpers::getEditorPath(registryRoot(row(_type)),
                                                             std::string(row(_type).key) + "\\" + item.getValue(), 0);
}

std::vector<StartupItem> ServiceDatabase::getItems()
{
    _displayNames.clear();
    std::vector<StartupItem> items;
    RegistryKeyImpl services(registryRoot(row(_type)), row(_type).key, KEY_READ | KEY_WOW64_64KEY,
                             RegistryKeyImpl::OPEN);
    for (const std::string& name : RegistryReaderImpl(services).getSubkeys()) {
        const std::optional<Configuration> found = configurationOf(_type, name);
        if (!found || !found->startsWithWindows())
            continue;
        _displayNames[Utf8::foldCase(name)] = found->displayName;
        items.push_back(entryOf(_type, StartupConstants::ENABLED, name, *found));
    }
    items = _backup->withStored(_type, std::move(items));
    // A disabled service starts on demand now; it keeps the name people know it by.
    for (const StartupItem& item : items) {
        if (_displayNames.count(Utf8::foldCase(item.getValue())))
            continue;
        const std::optional<Configuration> found = configurationOf(_type, item.getValue(), true);
        _displayNames[Utf8::foldCase(item.getValue())] = found ? found->displayName : std::string();
    }
    return items;
}

std::string ServiceDatabase::getLabel(const StartupItem& item)
{
    const auto name = _displayNames.find(Utf8::foldCase(item.getValue()));
    return name == _displayNames.end() || name->second.empty() ? item.getValue() : name->second;
}

std::string ServiceDatabase::getCommand(const StartupItem& item)
{
    const std::string_view path = item.getData();
    if (path.substr(0, 4) == "\\??\\")
        return std::string(path.substr(4));
    const std::string_view systemRoot = "\\SystemRoot\\";
    if (Utf8::sameName(std::string(path.substr(0, systemRoot.size())), std::string(systemRoot)))
        return "%SystemRoot%\\" + std::string(path.substr(systemRoot.size()));
    return std::string(path);
}

ServiceDatabase::Note ServiceDatabase::getNote(const StartupItem& item)
{
    return {"Service " + item.getValue() + (decode(item).delayed ? ", started after the others" : ""), false};
}

void ServiceDatabase::disable(const StartupItem& item)
{
    // As it is now, which may have changed since it was listed.
    const std::optional<Configuration> found = configurationOf(_type, item.getValue());
    // One that another program has set to start otherwise since (disabled, say) is its choice:
    // making it start on demand would undo that.
    if (found && found->start.startType != SERVICE_AUTO_START)
        throw ServiceDatabaseException("The service " + item.getValue() +
                                       " no longer starts with Windows; another program changed it since it was "
                                       "listed, so it is left as it is.");
    const StartupItem current = found ? entryOf(_type, item.getState(), item.getValue(), *found) : item;
    const ServiceManager manager;
    // The delay stays in the service's key: it counts only for an automatic service.
    _backup->storeThenTakeOut(item, current,
                              [&manager, &item] { manager.setStartType(item.getValue(), SERVICE_DEMAND_START); });
}

void ServiceDatabase::enable(const StartupItem& item)
{
    const ServiceManager manager;
    const StartSettings settings = decode(item);
    const std::optional<Configuration> before = configurationOf(_type, item.getValue());
    manager.setStartType(item.getValue(), settings.startType);
    if (settings.delayed)
        manager.setDelayedStart(item.getValue(), true);
    // The delay was never taken from the key, so only the start type goes back: to what it was,
    // unless another program has set it otherwise since.
    std::function<void()> takeBack;
    if (before && before->start.startType != settings.startType)
        takeBack = [type = _type, name = item.getValue(), settings, was = before->start.startType] {
            const std::optional<Configuration> now = configurationOf(type, name);
            if (now && now->start.startType == settings.startType)
                ServiceManager().setStartType(name, was);
        };
    _backup->drop(item, std::move(takeBack));
}

void ServiceDatabase::remove(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

StartupItem ServiceDatabase::restore(const StartupItem& entry, const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__); // never deleted, so never restored
    return entry;
}

void ServiceDatabase::run(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

} // namespace products::bootwarden::database
