#include "products/bootwarden/database/ServiceDatabase.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "util/LittleEndian.h"
#include "util/Utf8.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/service/ServiceManager.h"

namespace products::bootwarden::database {

using windows::service::ServiceManager;

namespace {

const char* const DELAYED_VALUE = "DelayedAutoStart";

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

// The delay is read from the service's key: not every system answers for it through the
// service manager (Wine 8 does not). A key or value that is missing means no delay.
bool isDelayed(int type, const std::string& service)
{
    try {
        windows::registry::RegistryKeyImpl key(registryRoot(row(type)), std::string(row(type).key) + "\\" + service,
                                               KEY_READ | KEY_WOW64_64KEY, windows::registry::RegistryKeyImpl::OPEN);
        windows::registry::RegistryReaderImpl reader(key);
        return reader.valueExists(DELAYED_VALUE) && reader.readInt(DELAYED_VALUE) != 0;
    } catch (const windows::registry::RegistryException&) {
        return false;
    }
}

StartupItem entryOf(int type, int state, const ServiceManager::Service& service, bool delayed)
{
    return StartupItem(type, state, service.name, service.imagePath, StartupConstants::TEXT_VALUE,
                       encode({service.startType, delayed}));
}

} // namespace

ServiceDatabase::ServiceDatabase(int type, RegistryBackup& backup)
    : _type(type), _backup(&backup)
{
}

std::string ServiceDatabase::getWhere() const
{
    return windows::registry::RegistryHelpers::getKeyPath(registryRoot(row(_type)), row(_type).key, 0);
}

std::vector<StartupItem> ServiceDatabase::getItems()
{
    _displayNames.clear();
    std::vector<StartupItem> items;
    for (const ServiceManager::Service& service : ServiceManager().list()) {
        _displayNames[Utf8::foldCase(service.name)] = service.displayName;
        if (service.startType == SERVICE_AUTO_START)
            items.push_back(entryOf(_type, StartupConstants::ENABLED, service, isDelayed(_type, service.name)));
    }
    return _backup->withStored(_type, std::move(items));
}

std::string ServiceDatabase::getLabel(const StartupItem& item)
{
    const auto name = _displayNames.find(Utf8::foldCase(item.getValue()));
    return name == _displayNames.end() || name->second.empty() ? item.getValue() : name->second;
}

ServiceDatabase::Note ServiceDatabase::getNote(const StartupItem& item)
{
    return {"Service " + item.getValue() + (decode(item).delayed ? ", started after the others" : ""), false};
}

void ServiceDatabase::stageDisable(const StartupItem& item)
{
    _backup->put(item);
}

void ServiceDatabase::disable(const StartupItem& item)
{
    const ServiceManager manager;
    // As it is now, which may have changed since it was listed.
    const StartupItem current =
        entryOf(_type, item.getState(), manager.query(item.getValue()), isDelayed(_type, item.getValue()));
    // The delay stays in the service's key: it counts only for an automatic service.
    _backup->storeThenTakeOut(item, current,
                              [&manager, &item] { manager.setStartType(item.getValue(), SERVICE_DEMAND_START); });
}

void ServiceDatabase::enable(const StartupItem& item)
{
    const ServiceManager manager;
    const StartSettings settings = decode(item);
    manager.setStartType(item.getValue(), settings.startType);
    if (settings.delayed)
        manager.setDelayedStart(item.getValue(), true);
    _backup->drop(item);
}

void ServiceDatabase::commit()
{
    _backup->commit();
}

void ServiceDatabase::remove(const StartupItem&)
{
    throw ServiceDatabaseException("Bootwarden never deletes a service; the system's own tools remove it.");
}

void ServiceDatabase::run(const StartupItem&)
{
    throw ServiceDatabaseException("Bootwarden never starts a service; the system's own tools start it.");
}

} // namespace products::bootwarden::database
