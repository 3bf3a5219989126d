#pragma once

#include <cstdint>

namespace products::bootwarden {

class StartupConstants {
public:
    static constexpr std::int32_t ENABLED = 0;
    static constexpr std::int32_t DISABLED = 1;

    // Where an entry lives; each type is one registry key or one Startup folder.
    static constexpr std::int32_t LOCAL_MACHINE_RUN = 0;
    static constexpr std::int32_t LOCAL_MACHINE_RUN_ONCE = 1;
    static constexpr std::int32_t LOCAL_MACHINE_RUN_ONCE_EX = 2;
    static constexpr std::int32_t LOCAL_MACHINE_RUN_SERVICES = 3;
    static constexpr std::int32_t LOCAL_MACHINE_RUN_SERVICES_ONCE = 4;
    static constexpr std::int32_t CURRENT_USER_RUN = 5;
    static constexpr std::int32_t CURRENT_USER_RUN_ONCE = 6;
    static constexpr std::int32_t COMMON_STARTUP = 7;
    static constexpr std::int32_t COMMON_STARTUP_USER_SHELL = 8;
    static constexpr std::int32_t USER_STARTUP = 9;
    static constexpr std::int32_t USER_STARTUP_USER_SHELL = 10;
    static constexpr std::int32_t MAX_TYPES = 11;

    // The machine-wide keys of the 32-bit registry view of 64-bit Windows. A record of the
    // data file names them by the key they share a path with (MAX_TYPES is the limit there);
    // the extension block says which view.
    static constexpr std::int32_t LOCAL_MACHINE_RUN_32 = 11;
    static constexpr std::int32_t LOCAL_MACHINE_RUN_ONCE_32 = 12;
    static constexpr std::int32_t LOCAL_MACHINE_RUN_ONCE_EX_32 = 13;
    // The Run keys that the system's policies fill; older versions know nothing of them, so
    // their disabled entries live in the extension block alone.
    static constexpr std::int32_t LOCAL_MACHINE_POLICY_RUN = 14;
    static constexpr std::int32_t LOCAL_MACHINE_POLICY_RUN_32 = 15; // read as LOCAL_MACHINE_POLICY_RUN
    static constexpr std::int32_t CURRENT_USER_POLICY_RUN = 16;
    // What a terminal server in install mode starts at every sign-in; older versions know
    // nothing of them either.
    static constexpr std::int32_t TERMINAL_SERVER_RUN = 17;
    static constexpr std::int32_t TERMINAL_SERVER_RUN_ONCE = 18;
    // The values Load and Run of the current user's Windows settings, which Windows starts at
    // sign-in as it did before the Run keys.
    static constexpr std::int32_t CURRENT_USER_WINDOWS = 19;
    // The shell and the programs Windows starts to sign a user in.
    static constexpr std::int32_t LOCAL_MACHINE_WINLOGON = 20;
    static constexpr std::int32_t CURRENT_USER_WINLOGON = 21;
    // The components whose setup Windows runs once for each user, in both registry views.
    static constexpr std::int32_t LOCAL_MACHINE_ACTIVE_SETUP = 22;
    static constexpr std::int32_t LOCAL_MACHINE_ACTIVE_SETUP_32 = 23;
    // The services that start with Windows.
    static constexpr std::int32_t AUTOMATIC_SERVICES = 24;
    // The places programs hide in: a debugger Windows starts instead of a program (a key both
    // registry views share); the DLLs loaded into every program, in both views; the commands run
    // before Windows starts; a shell the user's policy names.
    static constexpr std::int32_t LOCAL_MACHINE_DEBUGGERS = 25;
    static constexpr std::int32_t LOCAL_MACHINE_APPINIT_DLLS = 26;
    static constexpr std::int32_t LOCAL_MACHINE_APPINIT_DLLS_32 = 27;
    static constexpr std::int32_t BOOT_EXECUTE = 28;
    static constexpr std::int32_t CURRENT_USER_POLICY_SHELL = 29;
    // The scheduled tasks that run a program: those a sign-in or the machine's start triggers,
    // and all others; and the definitions of the tasks an earlier version deleted here, kept
    // without the day they went.
    static constexpr std::int32_t SIGN_IN_TASKS = 30;
    static constexpr std::int32_t OTHER_TASKS = 31;
    static constexpr std::int32_t DELETED_TASKS = 32;
    // The copy of an entry deleted here has the type DELETED_FROM + its location's type: each
    // location has a place of its deleted entries, which only the extension block holds.
    static constexpr std::int32_t DELETED_FROM = 64;
    static constexpr std::int32_t NO_RECORD = -1;

    // The registry value types a command line can have (REG_SZ and REG_EXPAND_SZ); every other
    // type is kept and shown, but is no command.
    static constexpr std::uint32_t TEXT_VALUE = 1;
    static constexpr std::uint32_t EXPANDABLE_TEXT_VALUE = 2;
};

} // namespace products::bootwarden
