#include "products/bootwarden/LocationTable.h"

#include "products/bootwarden/StartupConstants.h"
#include "util/Utf8.h"

#include <array>
#include <iterator>
#include <vector>

namespace products::bootwarden {

namespace {

constexpr const char* RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* RUN_ONCE = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* RUN_ONCE_EX = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
constexpr const char* RUN_SERVICES = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr const char* RUN_SERVICES_ONCE = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
constexpr const char* POLICY_RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
// What a terminal server in install mode copies into every user's own keys.
constexpr const char* INSTALL_RUN =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\"
    "Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* INSTALL_RUN_ONCE =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Terminal Server\\Install\\Software\\"
    "Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* WINDOWS = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
constexpr const char* WINDOWS_VALUES[] = {"Load", "Run", nullptr};
constexpr const char* WINLOGON = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* MACHINE_WINLOGON_VALUES[] = {"Shell", "Userinit", nullptr};
constexpr const char* MACHINE_WINLOGON_DEFAULTS[] = {"explorer.exe", "%SystemRoot%\\system32\\userinit.exe,", nullptr};
constexpr const char* USER_WINLOGON_VALUES[] = {"Shell", nullptr};
constexpr const char* USER_WINLOGON_DEFAULTS[] = {"explorer.exe", nullptr};
constexpr const char* ACTIVE_SETUP = "Software\\Microsoft\\Active Setup\\Installed Components";
constexpr const char* ACTIVE_SETUP_VALUES[] = {"StubPath", nullptr};
constexpr const char* SERVICES = "System\\CurrentControlSet\\Services";
constexpr const char* DEBUGGERS = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
constexpr const char* DEBUGGER_VALUES[] = {"Debugger", nullptr};
constexpr const char* APPINIT_VALUES[] = {"AppInit_DLLs", nullptr};
constexpr const char* SESSION_MANAGER = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* BOOT_EXECUTE_VALUES[] = {"BootExecute", nullptr};
constexpr const char* BOOT_EXECUTE_DEFAULTS[] = {"autocheck autochk *", nullptr};
constexpr const char* POLICY_SYSTEM = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* SHELL_VALUES[] = {"Shell", nullptr};
constexpr const char* SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* STARTUP_APPROVED = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
constexpr const char* USER_SHELL_FOLDERS = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

constexpr const char* RUN_TEXT =
    "Each time the system boots, it executes all commands stored under this key. You might find "
    "command lines for applications that are started every time the computer reboots. Examples "
    "of programs are Anti-Virus programs, Volume Control and ICQ.";
constexpr const char* RUN_ONCE_TEXT =
    "Each time the system boots, it executes all commands stored under this key, then removes "
    "them. Typical candidates are setup programs that require that you reboot your system to "
    "continue the installation.";
constexpr const char* POLICY_RUN_TEXT =
    "Each time a user signs in, the system executes all commands stored under this key, which "
    "the system's policies fill. Administrators place programs here, and so do programs that want "
    "to be hard to find.";
constexpr const char* TERMINAL_SERVER_TEXT =
    "A terminal server copies the commands stored under this key into the Run key of every user "
    "who signs in. Programs installed while the server was in install mode place themselves here.";
constexpr const char* WINDOWS_TEXT =
    "Each time a user signs in, the system runs the programs named by the values Load and Run of "
    "this key, as Windows did before the Run keys. Few programs use them; some that want to be hard "
    "to find do.";
constexpr const char* WINLOGON_TEXT =
    "Windows starts the program named by Shell as the desktop of every user who signs in, and the "
    "programs named by Userinit to sign the user in. Windows cannot sign in without them, so they "
    "are shown, never disabled or deleted; one that is not Windows' own is marked.";
constexpr const char* ACTIVE_SETUP_TEXT =
    "Windows runs the command of each component stored under this key once for every user, when "
    "the user first signs in after the component was installed or updated. Installers place the "
    "steps here that each user's own settings need.";
constexpr const char* SERVICES_TEXT =
    "Windows starts these services each time the system boots, before anyone signs in; a delayed "
    "one shortly after the others. A disabled service starts only when a program asks for it.";
constexpr const char* DEBUGGERS_TEXT =
    "Windows starts the debugger named by a program's key here instead of the program, whoever starts "
    "it, and hands it the program's command line; 32-bit programs and 64-bit ones read the same key. Developers use it "
    "to debug a program from its first "
    "step; programs that want to be hard to find use it to start in another's place.";
constexpr const char* APPINIT_TEXT =
    "Windows loads each DLL named by AppInit_DLLs into every program that loads user32.dll, when "
    "LoadAppInit_DLLs is 1 (and, with Secure Boot on, only DLLs that are signed). Few programs need it; "
    "programs that want to be hard to find use it to run inside every other.";
constexpr const char* BOOT_EXECUTE_TEXT =
    "Windows runs these commands each time the system boots, before Windows itself starts: its own "
    "checks the disks (autocheck autochk *), which is shown, never disabled or deleted. Any other "
    "command is marked.";
constexpr const char* POLICY_SHELL_TEXT =
    "Windows starts the program named by Shell as the desktop of the current user in place of the "
    "Winlogon shell, where a policy names one (kiosks and locked-down machines do).";
constexpr const char* SIGN_IN_TASKS_TEXT =
    "The task service runs these tasks when a user signs in or the machine starts: updaters, cloud "
    "drives and vendors' helpers start this way more often than from a Run key.";
constexpr const char* OTHER_TASKS_TEXT =
    "The task service runs these tasks at their times, when the computer is idle, on an event of the "
    "event log or when a session changes; they too start programs without anyone asking.";
constexpr const char* RUN_SERVICES_TEXT =
    "Run Services is run in the background when the logon dialog box first appears or at this "
    "stage of the boot process if there is no logon. These keys are for background services such "
    "as remote registry service and are run only once per boot.";
constexpr const char* RUN_SERVICES_ONCE_TEXT =
    "Run Services Once is run in the background when the logon dialog box first appears or at "
    "this stage of the boot process if there is no logon. These keys are for background services "
    "such as remote registry service and are run only once per boot. This key is removed after "
    "execution.";
constexpr const char* AUTOSTART_ALL_USERS_TEXT = "Each time the system boots, it runs all executables "
                                                 "stored under this directory. These are executed for "
                                                 "all users.";
constexpr const char* AUTOSTART_CURRENT_USER_TEXT =
    "Each time the system boots, it runs all executables stored under this directory. These are "
    "executed for the current user only.";

constexpr const char* REGISTRY_TEXT =
    "Entries under this key will be executed from the registry everytime the computer starts up.";
constexpr const char* AUTOSTART_TEXT = "Entries under this key will be executed from the autostart "
                                       "directories everytime the computer starts up.";
constexpr const char* REGISTRY_ALL_USERS_TEXT =
    "Entries under this key will be executed for all users everytime the computer starts up.";
constexpr const char* REGISTRY_CURRENT_USER_TEXT = "Entries under this key will be executed for the "
                                                   "current user everytime the computer starts up.";
constexpr const char* TASKS_GROUP_TEXT = "Entries under this key are the scheduled tasks that run a program.";
constexpr const char* DELETED_GROUP_TEXT =
    "The entries deleted here, each under the location it came from. Restore puts one back where and as it was; "
    "Forget removes its copy for good.";
constexpr const char* DELETED_TEXT = "The entries deleted from this location, kept until they are restored or "
                                     "forgotten.";
constexpr const char* SERVICES_GROUP_TEXT = "Entries under this key are services that Windows starts everytime "
                                            "the computer starts up, before anyone signs in.";

constexpr LocationGroup REGISTRY{.name = "Registry", .description = REGISTRY_TEXT, .shownWhenEmpty = true};
constexpr LocationGroup AUTOSTART{.name = "Autostart", .description = AUTOSTART_TEXT, .shownWhenEmpty = true};
constexpr LocationGroup ALL_USERS{
    .name = "All users", .parent = &REGISTRY, .description = REGISTRY_ALL_USERS_TEXT, .shownWhenEmpty = true};
constexpr LocationGroup CURRENT_USER{
    .name = "Current User", .parent = &REGISTRY, .description = REGISTRY_CURRENT_USER_TEXT, .shownWhenEmpty = true};
constexpr LocationGroup SERVICES_GROUP{.name = "Services", .description = SERVICES_GROUP_TEXT};
constexpr LocationGroup TASKS_GROUP{.name = "Scheduled Tasks", .description = TASKS_GROUP_TEXT};
constexpr LocationGroup DELETED_GROUP{.name = "Deleted", .description = DELETED_GROUP_TEXT};
constexpr const LocationGroup* GROUPS[] = {&REGISTRY,       &AUTOSTART,   &ALL_USERS,    &CURRENT_USER,
                                           &SERVICES_GROUP, &TASKS_GROUP, &DELETED_GROUP};

constexpr AllowedActions ESSENTIAL{.disable = false, .remove = false, .because = "Windows cannot sign in without it"};
constexpr AllowedActions SERVICE{
    .remove = false,
    .run = false,
    .because = "the system's own tools install, remove and start services; disabling one keeps it from starting "
               "with Windows"};

using C = StartupConstants;
using L = Location;
constexpr L::Kind FOLDER = L::Kind::StartupFolder;
constexpr L::Kind TASKS = L::Kind::Tasks;
constexpr L::Root MACHINE = L::Root::LocalMachine;
constexpr L::Root USER = L::Root::CurrentUser;
constexpr L::View NATIVE = L::View::Native;
constexpr L::View VIEW_32 = L::View::Redirected32;
constexpr L::Systems ON_64_BIT = L::Systems::On64BitWindows;
constexpr AllowedActions DEBUGGER{.run = false, .because = "Windows starts a debugger only in place of its program"};
constexpr AllowedActions LOADED{.run = false, .because = "programs load a DLL, it is not started"};
constexpr AllowedActions BEFORE_WINDOWS{.run = false, .because = "Windows runs these commands only before it starts"};
constexpr AllowedActions COPY{
    .disable = false, .remove = false, .run = false, .because = "it is the copy of a deleted entry; restore it first"};
constexpr AllowedActions DISK_CHECK{
    .disable = false, .remove = false, .run = false, .because = "Windows checks its disks with it before it starts"};

// A row to a few lines, its fields packed as they fit.
// clang-format off
constexpr Location LOCATIONS[] = {
    {.type = C::LOCAL_MACHINE_RUN, .recordType = C::LOCAL_MACHINE_RUN, .root = MACHINE, .key = RUN, .view = NATIVE,
     .group = &ALL_USERS, .label = "Run", .description = RUN_TEXT, .shownWhenEmpty = true, .switches = "Run"},
    {.type = C::LOCAL_MACHINE_RUN_ONCE, .recordType = C::LOCAL_MACHINE_RUN_ONCE, .root = MACHINE, .key = RUN_ONCE,
     .view = NATIVE, .group = &ALL_USERS, .label = "Run Once", .description = RUN_ONCE_TEXT, .shownWhenEmpty = true},
    {.type = C::LOCAL_MACHINE_RUN_ONCE_EX, .recordType = C::LOCAL_MACHINE_RUN_ONCE_EX, .root = MACHINE,
     .key = RUN_ONCE_EX, .view = NATIVE, .group = &ALL_USERS, .label = "Run Once Ex", .description = RUN_ONCE_TEXT,
     .shownWhenEmpty = true, .layout = L::Layout::Sections},
    {.type = C::LOCAL_MACHINE_RUN_SERVICES, .recordType = C::LOCAL_MACHINE_RUN_SERVICES, .root = MACHINE,
     .key = RUN_SERVICES, .view = NATIVE, .systems = L::Systems::OutsideNt, .group = &ALL_USERS,
     .label = "Run Services", .description = RUN_SERVICES_TEXT, .shownWhenEmpty = true},
    {.type = C::LOCAL_MACHINE_RUN_SERVICES_ONCE, .recordType = C::LOCAL_MACHINE_RUN_SERVICES_ONCE, .root = MACHINE,
     .key = RUN_SERVICES_ONCE, .view = NATIVE, .systems = L::Systems::OutsideNt, .group = &ALL_USERS,
     .label = "Run Services Once", .description = RUN_SERVICES_ONCE_TEXT, .shownWhenEmpty = true},
    {.type = C::CURRENT_USER_RUN, .recordType = C::CURRENT_USER_RUN, .root = USER, .key = RUN,
     .group = &CURRENT_USER, .label = "Run", .description = RUN_TEXT, .shownWhenEmpty = true, .switches = "Run"},
    {.type = C::CURRENT_USER_RUN_ONCE, .recordType = C::CURRENT_USER_RUN_ONCE, .root = USER, .key = RUN_ONCE,
     .group = &CURRENT_USER, .label = "Run Once", .description = RUN_ONCE_TEXT, .shownWhenEmpty = true},
    {.type = C::COMMON_STARTUP, .recordType = C::COMMON_STARTUP, .kind = FOLDER, .root = MACHINE, .key = SHELL_FOLDERS,
     .group = &AUTOSTART, .label = "All users", .description = AUTOSTART_ALL_USERS_TEXT, .shownWhenEmpty = true,
     .folderValue = "Common Startup", .disabledFolder = ".\\lmas\\", .switches = "StartupFolder"},
    // The same folders as the shell's own settings name them; the tree shows them by the rows around.
    {.type = C::COMMON_STARTUP_USER_SHELL, .recordType = C::COMMON_STARTUP_USER_SHELL, .kind = FOLDER, .root = MACHINE,
     .key = USER_SHELL_FOLDERS, .systems = L::Systems::None, .folderValue = "Common Startup",
     .disabledFolder = ".\\lmas\\"},
    {.type = C::USER_STARTUP, .recordType = C::USER_STARTUP, .kind = FOLDER, .root = USER, .key = SHELL_FOLDERS,
     .group = &AUTOSTART, .label = "Current user", .description = AUTOSTART_CURRENT_USER_TEXT, .shownWhenEmpty = true,
     .folderValue = "Startup", .disabledFolder = ".\\cuas\\", .switches = "StartupFolder"},
    {.type = C::USER_STARTUP_USER_SHELL, .recordType = C::USER_STARTUP_USER_SHELL, .kind = FOLDER, .root = USER,
     .key = USER_SHELL_FOLDERS, .systems = L::Systems::None, .folderValue = "Startup", .disabledFolder = ".\\cuas\\"},
    {.type = C::LOCAL_MACHINE_RUN_32, .recordType = C::LOCAL_MACHINE_RUN, .root = MACHINE, .key = RUN,
     .view = VIEW_32, .systems = ON_64_BIT, .group = &ALL_USERS, .label = "Run (32-bit)", .description = RUN_TEXT,
     .switches = "Run32"},
    {.type = C::LOCAL_MACHINE_RUN_ONCE_32, .recordType = C::LOCAL_MACHINE_RUN_ONCE, .root = MACHINE, .key = RUN_ONCE,
     .view = VIEW_32, .systems = ON_64_BIT, .group = &ALL_USERS, .label = "Run Once (32-bit)",
     .description = RUN_ONCE_TEXT},
    {.type = C::LOCAL_MACHINE_RUN_ONCE_EX_32, .recordType = C::LOCAL_MACHINE_RUN_ONCE_EX, .root = MACHINE,
     .key = RUN_ONCE_EX, .view = VIEW_32, .systems = ON_64_BIT, .group = &ALL_USERS, .label = "Run Once Ex (32-bit)",
     .description = RUN_ONCE_TEXT, .layout = L::Layout::Sections},
    {.type = C::LOCAL_MACHINE_POLICY_RUN, .recordType = C::NO_RECORD, .root = MACHINE, .key = POLICY_RUN,
     .view = NATIVE, .group = &ALL_USERS, .label = "Policies Run", .description = POLICY_RUN_TEXT},
    {.type = C::LOCAL_MACHINE_POLICY_RUN_32, .recordType = C::NO_RECORD, .root = MACHINE, .key = POLICY_RUN,
     .systems = L::Systems::None, .sameKeyAs = C::LOCAL_MACHINE_POLICY_RUN},
    {.type = C::CURRENT_USER_POLICY_RUN, .recordType = C::NO_RECORD, .root = USER, .key = POLICY_RUN,
     .group = &CURRENT_USER, .label = "Policies Run", .description = POLICY_RUN_TEXT},
    {.type = C::TERMINAL_SERVER_RUN, .recordType = C::NO_RECORD, .root = MACHINE, .key = INSTALL_RUN, .view = NATIVE,
     .group = &ALL_USERS, .label = "Terminal Server Run", .description = TERMINAL_SERVER_TEXT},
    {.type = C::TERMINAL_SERVER_RUN_ONCE, .recordType = C::NO_RECORD, .root = MACHINE, .key = INSTALL_RUN_ONCE,
     .view = NATIVE, .group = &ALL_USERS, .label = "Terminal Server Run Once", .description = TERMINAL_SERVER_TEXT},
    {.type = C::CURRENT_USER_WINDOWS, .recordType = C::NO_RECORD, .root = USER, .key = WINDOWS, .group = &CURRENT_USER,
     .label = "Windows", .description = WINDOWS_TEXT, .values = WINDOWS_VALUES},
    {.type = C::LOCAL_MACHINE_WINLOGON, .recordType = C::NO_RECORD, .root = MACHINE, .key = WINLOGON, .view = NATIVE,
     .group = &ALL_USERS, .label = "Winlogon", .description = WINLOGON_TEXT, .values = MACHINE_WINLOGON_VALUES,
     .defaults = MACHINE_WINLOGON_DEFAULTS, .allowed = ESSENTIAL},
    {.type = C::CURRENT_USER_WINLOGON, .recordType = C::NO_RECORD, .root = USER, .key = WINLOGON,
     .group = &CURRENT_USER, .label = "Winlogon", .description = WINLOGON_TEXT, .values = USER_WINLOGON_VALUES,
     .defaults = USER_WINLOGON_DEFAULTS, .allowed = ESSENTIAL},
    {.type = C::LOCAL_MACHINE_ACTIVE_SETUP, .recordType = C::NO_RECORD, .root = MACHINE, .key = ACTIVE_SETUP,
     .view = NATIVE, .group = &ALL_USERS, .label = "Active Setup", .description = ACTIVE_SETUP_TEXT,
     .values = ACTIVE_SETUP_VALUES, .layout = L::Layout::Components},
    {.type = C::LOCAL_MACHINE_ACTIVE_SETUP_32, .recordType = C::NO_RECORD, .root = MACHINE, .key = ACTIVE_SETUP,
     .view = VIEW_32, .systems = ON_64_BIT, .group = &ALL_USERS, .label = "Active Setup (32-bit)",
     .description = ACTIVE_SETUP_TEXT, .values = ACTIVE_SETUP_VALUES, .layout = L::Layout::Components},
    {.type = C::AUTOMATIC_SERVICES, .recordType = C::NO_RECORD, .kind = L::Kind::Services, .root = MACHINE,
     .key = SERVICES, .view = NATIVE, .group = &SERVICES_GROUP, .label = "Automatic", .description = SERVICES_TEXT,
     .allowed = SERVICE},
    {.type = C::LOCAL_MACHINE_DEBUGGERS, .recordType = C::NO_RECORD, .root = MACHINE, .key = DEBUGGERS, .view = NATIVE,
     .group = &ALL_USERS, .label = "Image File Execution Options", .description = DEBUGGERS_TEXT,
     .values = DEBUGGER_VALUES, .allowed = DEBUGGER, .layout = L::Layout::Programs},
    {.type = C::LOCAL_MACHINE_APPINIT_DLLS, .recordType = C::NO_RECORD, .root = MACHINE, .key = WINDOWS,
     .view = NATIVE, .group = &ALL_USERS, .label = "AppInit_DLLs", .description = APPINIT_TEXT,
     .values = APPINIT_VALUES, .allowed = LOADED, .layout = L::Layout::List, .listSwitch = "LoadAppInit_DLLs"},
    {.type = C::LOCAL_MACHINE_APPINIT_DLLS_32, .recordType = C::NO_RECORD, .root = MACHINE, .key = WINDOWS,
     .view = VIEW_32, .systems = ON_64_BIT, .group = &ALL_USERS, .label = "AppInit_DLLs (32-bit)",
     .description = APPINIT_TEXT, .values = APPINIT_VALUES, .allowed = LOADED, .layout = L::Layout::List,
     .listSwitch = "LoadAppInit_DLLs"},
    {.type = C::BOOT_EXECUTE, .recordType = C::NO_RECORD, .root = MACHINE, .key = SESSION_MANAGER, .view = NATIVE,
     .group = &ALL_USERS, .label = "Boot Execute", .description = BOOT_EXECUTE_TEXT, .values = BOOT_EXECUTE_VALUES,
     .defaults = BOOT_EXECUTE_DEFAULTS, .allowed = BEFORE_WINDOWS, .windowsOwnAllowed = &DISK_CHECK,
     .layout = L::Layout::List},
    {.type = C::CURRENT_USER_POLICY_SHELL, .recordType = C::NO_RECORD, .root = USER, .key = POLICY_SYSTEM,
     .group = &CURRENT_USER, .label = "Policies Shell", .description = POLICY_SHELL_TEXT, .values = SHELL_VALUES},
    {.type = C::SIGN_IN_TASKS, .recordType = C::NO_RECORD, .kind = TASKS, .root = MACHINE, .key = "\\",
     .group = &TASKS_GROUP, .label = "At sign-in or startup", .description = SIGN_IN_TASKS_TEXT},
    {.type = C::OTHER_TASKS, .recordType = C::NO_RECORD, .kind = TASKS, .root = MACHINE, .key = "\\",
     .group = &TASKS_GROUP, .label = "Other", .description = OTHER_TASKS_TEXT},
    {.type = C::DELETED_TASKS, .recordType = C::NO_RECORD, .kind = TASKS, .root = MACHINE, .key = "\\",
     .systems = L::Systems::None, .group = &DELETED_GROUP, .label = "Scheduled Tasks", .description = DELETED_TEXT,
     .allowed = COPY},
};
// clang-format on

// A row is found by its type at once: the data file's reader asks once per entry.
constexpr bool inTypeOrder()
{
    for (std::size_t i = 0; i < std::size(LOCATIONS); ++i)
        if (LOCATIONS[i].type != static_cast<int>(i))
            return false;
    return true;
}
static_assert(inTypeOrder(), "the rows stand in the order of their types");

// The place of each location's deleted entries: a row like the location's, shown under Deleted
// by the location's path, whose entries allow nothing but being restored and forgotten.
class DeletedPlaces {
public:
    DeletedPlaces()
    {
        for (const Location& origin : LOCATIONS) {
            if (!origin.label || !origin.allowed.remove)
                continue;
            _labels.push_back(origin.group->path() + "/" + origin.label);
            Location place = origin;
            place.type = StartupConstants::DELETED_FROM + origin.type;
            place.recordType = StartupConstants::NO_RECORD;
            place.group = &DELETED_GROUP;
            place.description = DELETED_TEXT;
            place.shownWhenEmpty = false;
            place.allowed = COPY;
            place.windowsOwnAllowed = nullptr;
            _places[origin.type] = place;
        }
        // The labels no longer move.
        std::size_t label = 0;
        for (Location& place : _places)
            if (place.group == &DELETED_GROUP)
                place.label = _labels[label++].c_str();
    }

    const Location* find(int type) const
    {
        // Any number may stand in a damaged file: it is compared before anything is subtracted from it.
        if (type < StartupConstants::DELETED_FROM ||
            type - StartupConstants::DELETED_FROM >= static_cast<int>(std::size(LOCATIONS)))
            return nullptr;
        const Location& place = _places[type - StartupConstants::DELETED_FROM];
        return place.group == &DELETED_GROUP ? &place : nullptr;
    }

private:
    std::array<Location, std::size(LOCATIONS)> _places{};
    std::vector<std::string> _labels;
};

} // namespace

bool Location::isWindowsOwn(const std::string& item) const
{
    for (const char* const* own = defaults; own && *own; ++own)
        if (util::Utf8::sameName(item, *own))
            return true;
    return false;
}

std::string LocationGroup::path() const
{
    return parent ? parent->path() + "/" + name : name;
}

std::span<const Location> LocationTable::all()
{
    return LOCATIONS;
}

std::span<const LocationGroup* const> LocationTable::groups()
{
    return GROUPS;
}

const Location* LocationTable::find(int type)
{
    if (type >= 0 && static_cast<std::size_t>(type) < std::size(LOCATIONS))
        return &LOCATIONS[type];
    static const DeletedPlaces deleted;
    return deleted.find(type);
}

int LocationTable::deletedFrom(int type)
{
    if (type == StartupConstants::DELETED_TASKS)
        return StartupConstants::SIGN_IN_TASKS; // the task service puts a task where its triggers say
    return type >= StartupConstants::DELETED_FROM && find(type) ? type - StartupConstants::DELETED_FROM : -1;
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
    return location->group->path() + "/" + location->label;
}

} // namespace products::bootwarden
