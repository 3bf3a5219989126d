// Works a running Bootwarden.exe from outside, as a user would: for the end-to-end test, and
// to seed and show the demo that the README's run command starts.
//
//   BootwardenDriver seed                  puts sample entries into the current Wine prefix
//   BootwardenDriver show <Bootwarden.exe> <ready-file>
//                                          starts the program, waits until its tree is listed,
//                                          expands it and then writes ready-file
//   BootwardenDriver e2e <Bootwarden.exe>  disables an entry and presses OK, then re-enables
//                                          it and presses Cancel, checking registry and data file
//   BootwardenDriver undelete <Bootwarden.exe>
//                                          deletes a seeded entry of each kind in the window,
//                                          restores each from Deleted in a second one, then
//                                          the same with the console, checking every byte
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "support/Files.h"
#include "treereader/TreeReader.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using products::bootwarden::Location;
using products::bootwarden::LocationTable;
using products::bootwarden::StartupConstants;

namespace {

const char* const RUN_KEY = LocationTable::find(StartupConstants::CURRENT_USER_RUN)->key;
const char* const CAPTION = "Bootwarden Center";

int failures = 0;

void expect(bool condition, const std::string& what)
{
    std::printf("%s %s\n", condition ? "ok:  " : "FAIL:", what.c_str());
    if (!condition)
        ++failures;
}

std::wstring wideText(const std::string& utf8)
{
    std::wstring text(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                          static_cast<int>(text.size()));
    return text;
}

std::string utf8Text(const wchar_t* wide)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
    return text;
}

std::string windowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

void setValue(HKEY root, const char* key, const std::string& name, const std::string& data)
{
    ::RegSetKeyValueA(root, key, name.c_str(), REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
}

bool valueExists(HKEY root, const char* key, const std::string& name)
{
    return ::RegGetValueA(root, key, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// A disabled registry entry as the data file stores it.
std::string record(char type, const std::string& name, const std::string& data)
{
    return std::string(1, type) + std::string("\0\0\0\x01\0\0\0", 7) + name + '\0' + data + '\0';
}

HWND waitForWindow(int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND window = ::FindWindowA(nullptr, CAPTION))
            return window;
        ::Sleep(100);
    }
    return nullptr;
}

// Input reaches the program on its own time: wait up to five seconds for what it should do.
bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 50 && !condition(); ++i)
        ::Sleep(100);
    return condition();
}

void clickAt(POINT screen, bool right = false)
{
    // Far enough apart in time that no two clicks make a double click.
    ::SetCursorPos(screen.x, screen.y);
    ::Sleep(700);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

// Starts the program, lets act work its window, and waits for the program to end.
bool session(const std::string& program, const std::function<void(HWND, const TreeReader&)>& act)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        expect(false, "start " + program);
        return false;
    }
    const HWND dialog = waitForWindow(30);
    expect(dialog != nullptr, "the window \"Bootwarden Center\" appears");
    if (dialog) {
        ::SetForegroundWindow(dialog);
        const TreeReader tree(::GetDlgItem(dialog, 1000));
        act(dialog, tree);
    }
    const bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    expect(ended, "the program ends when its dialog closes");
    if (!ended)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return dialog != nullptr;
}

// Under Wine the first click into a window that has just appeared is sometimes lost; a click
// that changed nothing within seconds is given again.
bool clickUntil(POINT screen, const std::function<bool()>& done)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        clickAt(screen);
        if (eventually(done))
            return true;
    }
    return false;
}

void typeKey(WORD key)
{
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

// Opens the menu of what lies at the point and picks the command of that key (its underlined
// letter); a right click that opened no menu is given again.
bool chooseFromMenu(POINT screen, WORD key)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        clickAt(screen, true);
        if (eventually([] { return ::FindWindowA("#32768", nullptr) != nullptr; })) {
            typeKey(key);
            return true;
        }
    }
    return false;
}

void press(HWND dialog, int button)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

int endToEnd(const std::string& program)
{
    const std::string folder = program.substr(0, program.rfind('\\') + 1);
    const std::string dataFile = folder + "bootwarden.dat";
    const std::string name = "E2E Tool";
    const std::string command = "C:\\windows\\system32\\notepad.exe /e2e";
    ::DeleteFileA(dataFile.c_str());
    setValue(HKEY_CURRENT_USER, RUN_KEY, name, command);
    const std::string path = "Registry/Current User/Run/" + name;

    session(program, [&](HWND dialog, const TreeReader& tree) {
        const HTREEITEM item = tree.find(path);
        expect(item != nullptr, "the entry is listed under " + path);
        expect(tree.stateImage(item) == 1, "it shows the ticked box");
        expect(clickUntil(tree.pointOn(item, TVHT_ONITEMSTATEICON), [&] { return tree.stateImage(item) == 2; }),
               "a click on the box clears it");
        press(dialog, IDOK);
    });
    expect(!valueExists(HKEY_CURRENT_USER, RUN_KEY, name), "OK deleted the value from the Run key");
    const std::string expected = std::string("\x01\0\0\0", 4) + record(5, name, command);
    expect(readFile(dataFile).compare(0, expected.size(), expected) == 0,
           "the data file holds exactly the disabled entry, as older versions read it");
    const std::string afterOk = readFile(dataFile);

    session(program, [&](HWND dialog, const TreeReader& tree) {
        const HTREEITEM item = tree.find(path);
        expect(item != nullptr && tree.stateImage(item) == 2, "the entry is listed as disabled");
        expect(clickUntil(tree.pointOn(item, TVHT_ONITEMSTATEICON), [&] { return tree.stateImage(item) == 1; }),
               "a click ticks it again");
        press(dialog, IDCANCEL);
    });
    expect(!valueExists(HKEY_CURRENT_USER, RUN_KEY, name), "Cancel left the registry alone");
    expect(readFile(dataFile) == afterOk, "Cancel left the data file alone");
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, RUN_KEY, name.c_str());
    ::DeleteFileA(dataFile.c_str());
    std::printf("end to end: %s\n", failures == 0 ? "every check held" : "CHECKS FAILED");
    return failures == 0 ? 0 : 1;
}

std::string startupFolder();

// What a registry value holds, its type first; empty when it is not there.
std::string valueBytes(HKEY root, const std::string& key, const std::string& name)
{
    DWORD type = 0, size = 0;
    if (::RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::string();
    std::string bytes(size, '\0');
    ::RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, &bytes[0], &size);
    return std::to_string(type) + ":" + bytes.substr(0, size);
}

int runConsole(const std::string& program, const std::string& arguments)
{
    const std::string console = program.substr(0, program.rfind('\\') + 1) + "bootwarden-cli.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + console + "\" " + arguments;
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process))
        return -1;
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 99;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

int undelete(const std::string& program)
{
    struct Kind {
        std::string location; // as the tree names it
        std::string name;
        std::function<std::string()> bytes;
    };
    const std::string debuggers = std::string(LocationTable::find(StartupConstants::LOCAL_MACHINE_DEBUGGERS)->key);
    const std::string folder = startupFolder() + "\\";
    const Kind kinds[] = {
        {"Registry/Current User/Run", "Updater", [] { return valueBytes(HKEY_CURRENT_USER, RUN_KEY, "Updater"); }},
        {LocationTable::treePath(StartupConstants::LOCAL_MACHINE_DEBUGGERS), "wordpad.exe",
         [&] { return valueBytes(HKEY_LOCAL_MACHINE, debuggers + "\\wordpad.exe", "Debugger"); }},
        {LocationTable::treePath(StartupConstants::USER_STARTUP), "Notes.lnk",
         [&] {
             return ::GetFileAttributesA((folder + "Notes.lnk").c_str()) == INVALID_FILE_ATTRIBUTES
                        ? std::string()
                        : readFile(folder + "Notes.lnk");
         }},
    };
    std::vector<std::string> before;
    for (const Kind& kind : kinds) {
        before.push_back(kind.bytes());
        expect(!before.back().empty(), kind.location + "/" + kind.name + " is seeded");
    }
    session(program, [&](HWND dialog, const TreeReader& tree) {
        for (const Kind& kind : kinds) {
            HTREEITEM item = nullptr;
            expect(eventually([&] { return (item = tree.find(kind.location + "/" + kind.name)) != nullptr; }),
                   "the window lists " + kind.name);
            if (!item)
                continue;
            const auto selected = [&] {
                return reinterpret_cast<HTREEITEM>(::SendMessageA(tree.handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
            };
            expect(clickUntil(tree.pointOn(item, TVHT_ONITEMLABEL), [&] { return selected() == item; }),
                   "a click selects " + kind.name);
            typeKey(VK_DELETE);
            HWND question = nullptr;
            expect(eventually([&] { return (question = ::FindWindowA(nullptr, "Question")) != nullptr; }),
                   "Delete asks first");
            ::PostMessageA(question, WM_COMMAND, IDYES, 0);
            expect(eventually([&] { return !tree.find(kind.location + "/" + kind.name, false); }),
                   kind.name + " leaves its location");
        }
        press(dialog, IDCANCEL);
    });
    for (const Kind& kind : kinds)
        expect(kind.bytes().empty(), kind.name + " is gone from where it was");
    session(program, [&](HWND dialog, const TreeReader& tree) {
        for (const Kind& kind : kinds) {
            const std::string place = "Deleted/" + kind.location;
            HTREEITEM copy = nullptr;
            expect(eventually([&] {
                       const HTREEITEM within = tree.find(place);
                       copy = within ? TreeView_GetChild(tree.handle(), within) : nullptr;
                       return copy && tree.text(copy).rfind(kind.name + "   (deleted ", 0) == 0;
                   }),
                   "after a restart " + place + " lists " + kind.name + " with when it was deleted");
            if (!copy)
                continue;
            expect(chooseFromMenu(tree.pointOn(copy, TVHT_ONITEMLABEL), 'R'), "its menu opens");
            expect(eventually([&] { return tree.find(kind.location + "/" + kind.name, false) != nullptr; }),
                   "Restore puts " + kind.name + " back in its location");
        }
        expect(!tree.find("Deleted", false), "Deleted goes with its last entry");
        press(dialog, IDCANCEL);
    });
    for (std::size_t i = 0; i < std::size(kinds); ++i)
        expect(kinds[i].bytes() == before[i], kinds[i].name + " is back byte for byte");
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        const std::string named = " --location \"" + kinds[i].location + "\" \"" + kinds[i].name + "\"";
        expect(runConsole(program, "delete" + named) == 0 && kinds[i].bytes().empty(),
               "the console deletes " + kinds[i].name);
        expect(runConsole(program, "restore" + named) == 0 && kinds[i].bytes() == before[i],
               "the console restores " + kinds[i].name + " byte for byte");
    }
    std::printf("undelete: %s\n", failures == 0 ? "every check held" : "CHECKS FAILED");
    return failures == 0 ? 0 : 1;
}

std::string startupFolder()
{
    char folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    const Location& startup = *LocationTable::find(StartupConstants::USER_STARTUP);
    ::RegGetValueA(HKEY_CURRENT_USER, startup.key, startup.folderValue, RRF_RT_REG_SZ, nullptr, folder, &size);
    return folder;
}

int seed()
{
    setValue(HKEY_CURRENT_USER, RUN_KEY, "Updater", "\"C:\\windows\\system32\\notepad.exe\" /background");
    setValue(HKEY_CURRENT_USER, RUN_KEY, "Sync Helper",
             "C:\\windows\\regedit.exe --sync --profile=\"C:\\users\\Public\\Documents\\"
             "Sync Helper\\profiles\\default\" --log-folder=\"C:\\users\\Public\\Documents\\Sync "
             "Helper\\logs\" --retry=5 --interval=3600 --exclude=\"*.tmp;*.bak;*.swp\" "
             "--notify-on-error --quiet --server=sync.example.invalid --port=8443 --cache-size=256 "
             "--language=en-GB --theme=dark");
    setValue(HKEY_LOCAL_MACHINE, RUN_KEY, "Audio Tray", "C:\\windows\\system32\\winecfg.exe /tray");
    // A debugger that takes over a program, as programs that want to be hard to find use one.
    setValue(
        HKEY_LOCAL_MACHINE,
        (std::string(LocationTable::find(StartupConstants::LOCAL_MACHINE_DEBUGGERS)->key) + "\\wordpad.exe").c_str(),
        "Debugger", "C:\\windows\\system32\\notepad.exe");
    // An updater's task that starts at sign-in, registered by its definition file, and the task
    // service started with the prefix as with Windows.
    const DWORD automatic = SERVICE_AUTO_START;
    ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Schedule", "Start", REG_DWORD,
                      &automatic, sizeof automatic);
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64); // the 64-bit system's folder, whichever build seeds
    const std::string tasks = std::string(windows) + (wow64 ? "\\Sysnative" : "\\System32") + "\\Tasks\\Contoso";
    ::SHCreateDirectoryExA(nullptr, tasks.c_str(), nullptr);
    std::string definition = "\xFF\xFE";
    for (const char c : std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\" "
             "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><RegistrationInfo><Author>Contoso"
             "</Author></RegistrationInfo><Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>"
             "<Actions><Exec><Command>C:\\windows\\system32\\notepad.exe</Command><Arguments>/update</Arguments>"
             "</Exec></Actions></Task>"))
        definition += {c, '\0'};
    writeFile(tasks + "\\Updater", definition);
    // Switched off in the system's own startup settings, as its task manager does it.
    setValue(HKEY_CURRENT_USER, RUN_KEY, "Cloud Drive", "C:\\windows\\system32\\notepad.exe /cloud");
    const BYTE off[12] = {0x03, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 0x01};
    ::RegSetKeyValueA(HKEY_CURRENT_USER, LocationTable::switchesKey(StartupConstants::CURRENT_USER_RUN).c_str(),
                      "Cloud Drive", REG_BINARY, off, sizeof off);
    // Empty keys, as most machines have them.
    for (const int type : {StartupConstants::CURRENT_USER_RUN_ONCE, StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX}) {
        const char* const key = LocationTable::find(type)->key;
        HKEY created = nullptr;
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            if (::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) == ERROR_SUCCESS)
                ::RegCloseKey(created);
    }
    const std::string folder = startupFolder();
    ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    ::CopyFileA("C:\\windows\\system32\\winver.exe", (folder + "\\winver.exe").c_str(), FALSE);
    ::CoInitialize(nullptr);
    createShortcut(folder + "\\Notes.lnk", "C:\\windows\\system32\\notepad.exe");
    ::CoUninitialize();
    // One entry disabled earlier, kept where the program will find it.
    const std::string program = "C:\\Program Files\\Bootwarden";
    ::SHCreateDirectoryExA(nullptr, program.c_str(), nullptr);
    writeFile(program + "\\bootwarden.dat",
              std::string("\x01\0\0\0", 4) + record(5, "Old Helper", "C:\\windows\\notepad.exe /old"));
    std::printf("seeded the Run keys, a debugger, a task, %s and a disabled entry\n", folder.c_str());
    return 0;
}

// Shows the demo for a picture: the program started, its tree listed, expanded and an entry
// selected with who made its program, the window maximized; the ready file says when. The program goes on until the
// Wine session ends.
// filter: typed into the window's filter box before the picture; none when empty.
int show(const std::string& program, const std::string& readyFile, const std::string& filter)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + wideText(program) + L"\"";
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "show: cannot start %s\n", program.c_str());
        return 1;
    }
    // The first start in a new prefix takes Wine many seconds.
    const HWND dialog = waitForWindow(120);
    if (!dialog) {
        std::fprintf(stderr, "show: the window never appeared\n");
        return 1;
    }
    const TreeReader tree(::GetDlgItem(dialog, 1000));
    HTREEITEM selected = nullptr;
    if (!eventually([&] { return (selected = tree.find("Registry/Current User/Run/Sync Helper")) != nullptr; })) {
        std::fprintf(stderr, "show: the tree was never listed\n");
        return 1;
    }
    tree.expandAll();
    ::SendMessageA(tree.handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected));
    // Who made the selected entry's program is learned in the background.
    eventually([&] {
        char line[512] = {};
        ::GetWindowTextA(::GetDlgItem(dialog, 1015), line, sizeof line);
        return line[0] != '\0' && std::string(line).rfind("Checking", 0) != 0;
    });
    if (!filter.empty()) {
        ::SetWindowTextW(::GetDlgItem(dialog, 1018), wideText(filter).c_str());
        ::SetFocus(::GetDlgItem(dialog, 1018));
    }
    // As large as the screen lets it be: the tree and the command line take the room.
    ::ShowWindow(dialog, SW_MAXIMIZE);
    ::Sleep(500); // one paint
    writeFile(readyFile, "ready\n");
    ::WaitForSingleObject(process.hProcess, INFINITE);
    return 0;
}

} // namespace

int main()
{
    // The arguments as the system holds them: a folder may have a name in any language.
    int argc = 0;
    LPWSTR* wideArguments = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(utf8Text(wideArguments[i]));
    ::LocalFree(wideArguments);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed")
        return seed();
    if (mode == "show" && argc > 3)
        return show(windowsPath(argv[2]), windowsPath(argv[3]), argc > 4 ? argv[4] : "");
    if (mode == "e2e" && argc > 2)
        return endToEnd(windowsPath(argv[2]));
    if (mode == "undelete" && argc > 2)
        return undelete(windowsPath(argv[2]));
    std::fprintf(stderr, "usage: BootwardenDriver seed | show <Bootwarden.exe> <ready-file> [filter] | e2e "
                         "<Bootwarden.exe> | undelete <Bootwarden.exe>\n");
    return 2;
}
