#include "products/bootwarden/LocationTable.h"

#include "products/bootwarden/StartupConstants.h"

namespace products::bootwarden {

namespace {

const char* const RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RUN_ONCE = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const RUN_ONCE_EX = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char* const RUN_SERVICES = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char* const RUN_SERVICES_ONCE = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
const char* const POLICY_RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
// What a terminal server in install mode copies into every user's own keys.
const char* const INSTALL_RUN = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\"
                                "Microsoft\\Windows\\CurrentVersion\\Run";
const char* const INSTALL_RUN_ONCE = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\"
                                     "Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const WINDOWS = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char* const WINDOWS_VALUES[] = {"Load", "Run", nullptr};
const char* const WINLOGON = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char* const MACHINE_WINLOGON_VALUES[] = {"Shell", "Userinit", nullptr};
const char* const MACHINE_WINLOGON_DEFAULTS[] = {"explorer.exe", "%SystemRoot%\\system32\\userinit.exe,", nullptr};
const char* const USER_WINLOGON_VALUES[] = {"Shell", nullptr};
const char* const USER_WINLOGON_DEFAULTS[] = {"explorer.exe", nullptr};
const char* const ACTIVE_SETUP = "Software\\Microsoft\\Active Setup\\Installed Components";
const char* const ACTIVE_SETUP_VALUES[] = {"StubPath", nullptr};
const char* const SERVICES = "System\\CurrentControlSet\\Services";
const char* const SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const STARTUP_APPROVED = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
const char* const USER_SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

const char* const ALL_USERS = "Registry/All users";
const char* const CURRENT_USER = "Registry/Current User";
const char* const AUTOSTART = "Autostart";

const char* const RUN_TEXT =
    "Each time the system boots, it executes all commands stored under this key. You might find "
    "command lines for applications that are started every time the computer reboots. Examples "
    "of programs are Anti-Virus programs, Volume Control and ICQ.";
const char* const RUN_ONCE_TEXT =
    "Each time the system boots, it executes all commands stored under this key, then removes "
    "them. Typical candidates are setup programs that require that you reboot your system to "
    "continue the installation.";
const char* const POLICY_RUN_TEXT =
    "Each time a user signs in, the system executes all commands stored under this key, which "
    "the system's policies fill. Administrators place programs here, and so do programs that want "
    "to be hard to find.";
const char* const TERMINAL_SERVER_TEXT =
    "A terminal server copies the commands stored under this key into the Run key of every user "
    "who signs in. Programs installed while the server was in install mode place themselves here.";
const char* const WINDOWS_TEXT =
    "Each time a user signs in, the system runs the programs named by the values Load and Run of "
    "this key, as Windows did before the Run keys. Few programs use them; some that want to be hard "
    "to find do.";
const char* const WINLOGON_TEXT =
    "Windows starts the program named by Shell as the desktop of every user who signs in, and the "
    "programs named by Userinit to sign the user in. Windows cannot sign in without them, so they "
    "are shown, never disabled or deleted; one that is not Windows' own is marked.";
const char* const ACTIVE_SETUP_TEXT =
    "Windows runs the command of each component stored under this key once for every user, when "
    "the user first signs in after the component was installed or updated. Installers place the "
    "steps here that each user's own settings need.";
const char* const SERVICES_TEXT =
    "Windows starts these services each time the system boots, before anyone signs in; a delayed "
    "one shortly after the others. A disabled service starts only when a program asks for it.";
const char* const RUN_SERVICES_TEXT =
    "Run Services is run in the background when the logon dialog box first appears or at this "
    "stage of the boot process if there is no logon. These keys are for background services such "
    "as remote registry service and are run only once per boot.";
const char* const RUN_SERVICES_ONCE_TEXT =
    "Run Services Once is run in the background when the logon dialog box first appears or at "
    "this stage of the boot process if there is no logon. These keys are for background services "
    "such as remote registry service and are run only once per boot. This key is removed after "
    "execution.";
const char* const AUTOSTART_ALL_USERS_TEXT = "Each time the system boots, it runs all executables "
                                             "stored under this directory. These are executed for "
                                             "all users.";
const char* const AUTOSTART_CURRENT_USER_TEXT =
    "Each time the system boots, it runs all executables stored under this directory. These are "
    "executed for the current user only.";

using C = StartupConstants;
using L = Location;
const L::Kind KEY = L::Kind::RegistryKey;
const L::Kind FOLDER = L::Kind::StartupFolder;
const L::Root MACHINE = L::Root::LocalMachine;
const L::Root USER = L::Root::CurrentUser;

// Read through all(), made at its first call: other files' constants may read it while the
// program's globals are still being made.
std::vector<Location> makeLocations()
{
    return {
        // type, record type, kind, root, key, view, systems, group, label, description,
        // folder value, disabled folder, switches[, same key as, values, defaults, essential, layout]
        {C::LOCAL_MACHINE_RUN, C::LOCAL_MACHINE_RUN, KEY, MACHINE, RUN, L::View::Native, L::Systems::All, ALL_USERS,
         "Run", RUN_TEXT, nullptr, nullptr, "Run"},
        {C::LOCAL_MACHINE_RUN_ONCE, C::LOCAL_MACHINE_RUN_ONCE, KEY, MACHINE, RUN_ONCE, L::View::Native, L::Systems::All,
         ALL_USERS, "Run Once", RUN_ONCE_TEXT, nullptr, nullptr, nullptr},
        {C::LOCAL_MACHINE_RUN_ONCE_EX, C::LOCAL_MACHINE_RUN_ONCE_EX, KEY, MACHINE, RUN_ONCE_EX, L::View::Native,
         L::Systems::All, ALL_USERS, "Run Once Ex", RUN_ONCE_TEXT, nullptr, nullptr, nullptr, -1, nullptr, nullptr, false,
         L::Layout::Sections},
        {C::LOCAL_MACHINE_RUN_SERVICES, C::LOCAL_MACHINE_RUN_SERVICES, KEY, MACHINE, RUN_SERVICES, L::View::Native,
         L::Systems::OutsideNt, ALL_USERS, "Run Services", RUN_SERVICES_TEXT, nullptr, nullptr, nullptr},
        {C::LOCAL_MACHINE_RUN_SERVICES_ONCE, C::LOCAL_MACHINE_RUN_SERVICES_ONCE, KEY, MACHINE, RUN_SERVICES_ONCE,
         L::View::Native, L::Systems::OutsideNt, ALL_USERS, "Run Services Once", RUN_SERVICES_ONCE_TEXT, nullptr,
         nullptr, nullptr},
        {C::CURRENT_USER_RUN, C::CURRENT_USER_RUN, KEY, USER, RUN, L::View::Shared, L::Systems::All, CURRENT_USER, "Run",
         RUN_TEXT, nullptr, nullptr, "Run"},
        {C::CURRENT_USER_RUN_ONCE, C::CURRENT_USER_RUN_ONCE, KEY, USER, RUN_ONCE, L::View::Shared, L::Systems::All,
         CURRENT_USER, "Run Once", RUN_ONCE_TEXT, nullptr, nullptr, nullptr},
        {C::COMMON_STARTUP, C::COMMON_STARTUP, FOLDER, MACHINE, SHELL_FOLDERS, L::View::Shared, L::Systems::All,
         AUTOSTART, "All users", AUTOSTART_ALL_USERS_TEXT, "Common Startup", ".\\lmas\\", "StartupFolder"},
        // The same folders as the shell's own settings name them; the tree shows them by the rows above.
        {C::COMMON_STARTUP_USER_SHELL, C::COMMON_STARTUP_USER_SHELL, FOLDER, MACHINE, USER_SHELL_FOLDERS,
         L::View::Shared, L::Systems::None, nullptr, nullptr, nullptr, "Common Startup", ".\\lmas\\", nullptr},
        {C::USER_STARTUP, C::USER_STARTUP, FOLDER, USER, SHELL_FOLDERS, L::View::Shared, L::Systems::All, AUTOSTART,
         "Current user", AUTOSTART_CURRENT_USER_TEXT, "Startup", ".\\cuas\\", "StartupFolder"},
        {C::USER_STARTUP_USER_SHELL, C::USER_STARTUP_USER_SHELL, FOLDER, USER, USER_SHELL_FOLDERS, L::View::Shared,
         L::Systems::None, nullptr, nullptr, nullptr, "Startup", ".\\cuas\\", nullptr},
        {C::LOCAL_MACHINE_RUN_32, C::LOCAL_MACHINE_RUN, KEY, MACHINE, RUN, L::View::Redirected32,
         L::Systems::On64BitWindows, ALL_USERS, "Run (32-bit)", RUN_TEXT, nullptr, nullptr, "Run32"},
        {C::LOCAL_MACHINE_RUN_ONCE_32, C::LOCAL_MACHINE_RUN_ONCE, KEY, MACHINE, RUN_ONCE, L::View::Redirected32,
         L::Systems::On64BitWindows, ALL_USERS, "Run Once (32-bit)", RUN_ONCE_TEXT, nullptr, nullptr, nullptr},
        {C::LOCAL_MACHINE_RUN_ONCE_EX_32, C::LOCAL_MACHINE_RUN_ONCE_EX, KEY, MACHINE, RUN_ONCE_EX, L::View::Redirected32,
         L::Systems::On64BitWindows, ALL_USERS, "Run Once Ex (32-bit)", RUN_ONCE_TEXT, nullptr, nullptr, nullptr, -1,
         nullptr, nullptr, false, L::Layout::Sections},
        {C::LOCAL_MACHINE_POLICY_RUN, C::NO_RECORD, KEY, MACHINE, POLICY_RUN, L::View::Native, L::Systems::All,
         ALL_USERS, "Policies Run", POLICY_RUN_TEXT, nullptr, nullptr, nullptr},
        {C::LOCAL_MACHINE_POLICY_RUN_32, C::NO_RECORD, KEY, MACHINE, POLICY_RUN, L::View::Shared, L::Systems::None,
         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, C::LOCAL_MACHINE_POLICY_RUN},
        {C::CURRENT_USER_POLICY_RUN, C::NO_RECORD, KEY, USER, POLICY_RUN, L::View::Shared, L::Systems::All, CURRENT_USER,
         "Policies Run", POLICY_RUN_TEXT, nullptr, nullptr, nullptr},
        {C::TERMINAL_SERVER_RUN, C::NO_RECORD, KEY, MACHINE, INSTALL_RUN, L::View::Native, L::Systems::All,
         ALL_USERS, "Terminal Server Run", TERMINAL_SERVER_TEXT, nullptr, nullptr, nullptr},
        {C::TERMINAL_SERVER_RUN_ONCE, C::NO_RECORD, KEY, MACHINE, INSTALL_RUN_ONCE, L::View::Native,
         L::Systems::All, ALL_USERS, "Terminal Server Run Once", TERMINAL_SERVER_TEXT, nullptr, nullptr, nullptr},
        {C::CURRENT_USER_WINDOWS, C::NO_RECORD, KEY, USER, WINDOWS, L::View::Shared, L::Systems::All, CURRENT_USER,
         "Windows", WINDOWS_TEXT, nullptr, nullptr, nullptr, -1, WINDOWS_VALUES},
        {C::LOCAL_MACHINE_WINLOGON, C::NO_RECORD, KEY, MACHINE, WINLOGON, L::View::Native, L::Systems::All, ALL_USERS,
         "Winlogon", WINLOGON_TEXT, nullptr, nullptr, nullptr, -1, MACHINE_WINLOGON_VALUES, MACHINE_WINLOGON_DEFAULTS,
         true},
        {C::CURRENT_USER_WINLOGON, C::NO_RECORD, KEY, USER, WINLOGON, L::View::Shared, L::Systems::All, CURRENT_USER,
         "Winlogon", WINLOGON_TEXT, nullptr, nullptr, nullptr, -1, USER_WINLOGON_VALUES, USER_WINLOGON_DEFAULTS, true},
        {C::LOCAL_MACHINE_ACTIVE_SETUP, C::NO_RECORD, KEY, MACHINE, ACTIVE_SETUP, L::View::Native, L::Systems::All,
         ALL_USERS, "Active Setup", ACTIVE_SETUP_TEXT, nullptr, nullptr, nullptr, -1, ACTIVE_SETUP_VALUES, nullptr,
         false, L::Layout::Components},
        {C::LOCAL_MACHINE_ACTIVE_SETUP_32, C::NO_RECORD, KEY, MACHINE, ACTIVE_SETUP, L::View::Redirected32,
         L::Systems::On64BitWindows, ALL_USERS, "Active Setup (32-bit)", ACTIVE_SETUP_TEXT, nullptr, nullptr, nullptr,
         -1, ACTIVE_SETUP_VALUES, nullptr, false, L::Layout::Components},
        {C::AUTOMATIC_SERVICES, C::NO_RECORD, L::Kind::Services, MACHINE, SERVICES, L::View::Native, L::Systems::All,
         "Services", "Automatic", SERVICES_TEXT, nullptr, nullptr, nullptr},
    };
}

} // namespace

const std::vector<Location>& LocationTable::all()
{
    static const std::vector<Location> locations = makeLocations();
    return locations;
}

const Location* LocationTable::find(int type)
{
    // The rows stand in the order of their types, so a row is found at once: the data file's
    // reader asks once per entry.
    const std::vector<Location>& locations = all();
    if (type >= 0 && static_cast<std::size_t>(type) < locations.size() && locations[type].type == type)
        return &locations[type];
    for (const Location& location : locations)
        if (location.type == type)
            return &location;
    return nullptr;
}

int LocationTable::owner(int type)
{
    const Location* location = find(type);
    return location && location->sameKeyAs >= 0 ? location->sameKeyAs : type;
}

int LocationTable::recordType(int type)
{
    const Location* location = find(type);
    return location ? location->recordType : StartupConstants::NO_RECORD;
}

std::string LocationTable::switchesKey(int type)
{
    const Location* location = find(type);
    if (!location || !location->switches)
        return std::string();
    return STARTUP_APPROVED + std::string(location->switches);
}

std::string LocationTable::treePath(int type)
{
    const Location* location = find(type);
    if (!location || !location->label)
        return std::string();
    return std::string(location->group) + "/" + location->label;
}

} // namespace products::bootwarden
