#include "products/bootwarden/StartupLocations.h"

#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "windows/info/WindowsVersion.h"

namespace products::bootwarden {

namespace {

enum class Where { Always, OutsideNt, On64BitWindows };

// The registry keys Windows starts programs from, and on which systems it has them.
const struct {
    int type;
    Where where;
} REGISTRY_KEYS[] = {
    {StartupConstants::LOCAL_MACHINE_RUN, Where::Always},
    {StartupConstants::LOCAL_MACHINE_RUN_ONCE, Where::Always},
    {StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX, Where::Always},
    {StartupConstants::CURRENT_USER_RUN, Where::Always},
    {StartupConstants::CURRENT_USER_RUN_ONCE, Where::Always},
    {StartupConstants::LOCAL_MACHINE_POLICY_RUN, Where::Always},
    {StartupConstants::CURRENT_USER_POLICY_RUN, Where::Always},
    {StartupConstants::LOCAL_MACHINE_RUN_SERVICES, Where::OutsideNt},
    {StartupConstants::LOCAL_MACHINE_RUN_SERVICES_ONCE, Where::OutsideNt},
    {StartupConstants::LOCAL_MACHINE_RUN_32, Where::On64BitWindows},
    {StartupConstants::LOCAL_MACHINE_RUN_ONCE_32, Where::On64BitWindows},
    {StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX_32, Where::On64BitWindows},
    {StartupConstants::LOCAL_MACHINE_POLICY_RUN_32, Where::On64BitWindows},
};

} // namespace

StartupLocations::StartupLocations(ErrorReporter* reporter)
    : _startupInterface(reporter), _registryBackup(DATA_FILE_NAME),
      _commonStartup(StartupConstants::COMMON_STARTUP, ".\\lmas\\"),
      _userStartup(StartupConstants::USER_STARTUP, ".\\cuas\\")
{
    // The RunServices keys exist only outside the NT family; the machine's keys have a 32-bit
    // view of their own only on 64-bit Windows.
    const bool nt = windows::info::isWindowsNT();
    const bool sixtyFour = windows::info::is64BitWindows();
    for (const auto& key : REGISTRY_KEYS) {
        if ((key.where == Where::OutsideNt && nt) || (key.where == Where::On64BitWindows && !sixtyFour))
            continue;
        _registryKeys.push_back(std::make_unique<database::RegistryDatabase>(key.type, _registryBackup));
        _startupInterface.addDatabase(_registryKeys.back().get());
    }
    _startupInterface.addDatabase(&_commonStartup);
    _startupInterface.addDatabase(&_userStartup);
}

} // namespace products::bootwarden
