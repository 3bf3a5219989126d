#include "products/bootwarden/database/StartupApproval.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "util/Utf8.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/registry/RegistryWriterImpl.h"

using util::Utf8;

namespace products::bootwarden::database {

namespace {

const std::size_t SWITCH_SIZE = 12;

} // namespace

StartupApproval::StartupApproval(int type)
{
    const Location* location = LocationTable::find(type);
    if (!location || !location->switches)
        return;
    _root = registryRoot(*location);
    _subKey = LocationTable::switchesKey(type);
}

std::set<std::string> StartupApproval::switchedOff() const
{
    std::set<std::string> names;
    if (!_root)
        return names;
    try {
        windows::registry::RegistryKeyImpl key(_root, _subKey, KEY_READ | KEY_WOW64_64KEY,
                                               windows::registry::RegistryKeyImpl::OPEN);
        for (const auto& value : windows::registry::RegistryReaderImpl(key).getValues())
            if (value.bytes.size() >= SWITCH_SIZE && (value.bytes[0] & 1))
                names.insert(Utf8::foldCase(value.name));
    } catch (const windows::registry::RegistryKeyNotFoundException&) {
    }
    return names;
}

void StartupApproval::markSwitchedOff(std::vector<StartupItem>& items) const
{
    const std::set<std::string> names = switchedOff();
    for (StartupItem& item : items)
        if (names.count(Utf8::foldCase(item.getValue())))
            item.markDisabledBySystem();
}

void StartupApproval::switchOn(const std::string& name) const
{
    windows::registry::RegistryKeyImpl key(_root, _subKey, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY,
                                           windows::registry::RegistryKeyImpl::OPEN);
    std::string on(SWITCH_SIZE, '\0');
    on[0] = 0x02;
    windows::registry::RegistryWriterImpl(key).writeValue(name, REG_BINARY, on);
}

} // namespace products::bootwarden::database
