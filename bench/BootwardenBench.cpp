// Measures how fast Bootwarden.exe shows a tree of many entries, against a baseline that does
// only the unavoidable work (list the Run key and the Startup folder, fill a tree, no icons),
// and how fast the data file of 100,000 entries is written and read through the program's own
// classes, against raw file input and output of the same bytes.
//
//   BootwardenBench seed N                    N values in the current user's Run key, and
//                                             2,000 files in the user's Startup folder
//   BootwardenBench window <program> N        ms from start to a tree that holds them all
//   BootwardenBench baseline                  the baseline's own window (started by "window")
//   BootwardenBench filter <program> N WORD   the slowest ms from a key typed into the filter box
//                                             to its result drawn, typing WORD a key at a time
//                                             from 1.5 s after the tree is shown; and the count
//                                             beside the box then
//   BootwardenBench select <program>          ms until the window answers again once the
//                                             entry of a large signed program is selected, and
//                                             until the line under the command line says who
//                                             signed it
//   BootwardenBench tasks <folder> N          ms to list N scheduled tasks and read their
//                                             definitions on the thread the window lists them on,
//                                             and then ms of the window's own thread to put them
//                                             into both task locations and describe each; from
//                                             definitions as Windows registers them (Wine 8's
//                                             service lists none: the service's calls are left out)
//   BootwardenBench datafile <folder>         ms to save and load 100,000 entries; to write the
//                                             same bytes raw, over a file and beside it renamed
//                                             over it; to read them raw

#include "io/file/FileHelper.h"
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/TaskCatalog.h"
#include "products/bootwarden/database/TaskDatabase.h"
#include "treereader/TreeReader.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>

namespace {

// The current user's Run key, as the program's location table names it (its text is ASCII).
const std::string RUN_KEY_TEXT = products::bootwarden::LocationTable::find(
    products::bootwarden::StartupConstants::CURRENT_USER_RUN)->key;
const std::wstring RUN_KEY_WIDE(RUN_KEY_TEXT.begin(), RUN_KEY_TEXT.end());
const wchar_t* const RUN_KEY = RUN_KEY_WIDE.c_str();
const char* const CAPTION = "Bootwarden Center";
const int FOLDER_FILES = 2000;
// Most entries start one of a few programs, as on a real machine; some are gone.
const wchar_t* const PROGRAMS[] = {L"C:\\windows\\system32\\notepad.exe", L"C:\\windows\\regedit.exe",
                                   L"C:\\windows\\system32\\winecfg.exe", L"C:\\windows\\system32\\cmd.exe",
                                   L"C:\\windows\\system32\\winver.exe", L"C:\\windows\\system32\\msiexec.exe"};

const wchar_t* const LARGE_PROGRAM = L"C:\\bench\\signed\\contoso-updater.exe";
const wchar_t* const LARGE_ENTRY = L"A large signed program";

std::wstring startupFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Half of the folder's files are shortcuts to the programs, half are programs of their own. Six
// shortcuts are made through the shell, the rest are their copies, which keeps seeding quick.
void seedStartupFolder()
{
    const std::wstring folder = startupFolder();
    ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (::GetFileAttributesW((folder + L"\\Tool " + std::to_wstring(FOLDER_FILES - 1) + L".exe").c_str()) !=
        INVALID_FILE_ATTRIBUTES)
        return;
    ::CoInitialize(nullptr);
    for (int program = 0; program < 6; ++program) {
        IShellLinkW* link = nullptr;
        IPersistFile* file = nullptr;
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&link));
        link->SetPath(PROGRAMS[program]);
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
        file->Save((folder + L"\\Link " + std::to_wstring(program) + L".lnk").c_str(), TRUE);
        file->Release();
        link->Release();
    }
    ::CoUninitialize();
    for (int i = 6; i < FOLDER_FILES; ++i) {
        const std::wstring name = folder + (i % 2 ? L"\\Tool " : L"\\Link ") + std::to_wstring(i);
        if (i % 2 == 0) {
            ::CopyFileW((folder + L"\\Link " + std::to_wstring(i % 6) + L".lnk").c_str(), (name + L".lnk").c_str(), FALSE);
            continue;
        }
        const HANDLE file = ::CreateFileW((name + L".exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, "MZ", 2, &written, nullptr);
        ::CloseHandle(file);
    }
}

int seed(int count)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, RUN_KEY);
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::wstring name = L"Entry " + std::to_wstring(100000 + i);
        const std::wstring data = i % 5 == 4 ? L"C:\\Missing\\tool" + std::to_wstring(i % 40) + L".exe /q"
                                             : std::wstring(PROGRAMS[i % 6]) + L" /task" + std::to_wstring(i);
        ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    // A large program the window is asked about (scripts/bench signs it).
    const std::wstring large = std::wstring(L"\"") + LARGE_PROGRAM + L"\" /update";
    ::RegSetValueExW(key, LARGE_ENTRY, 0, REG_SZ, reinterpret_cast<const BYTE*>(large.c_str()),
                     static_cast<DWORD>((large.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    seedStartupFolder();
    return 0;
}

// Starts program and waits until its tree holds the seeded entries, at most two minutes; the
// window, or null. populated: ms from start until the control held them.
HWND startWithTree(const std::string& program, int count, PROCESS_INFORMATION& process, double& populated)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + program + "\"" + (program.find("BootwardenBench") != std::string::npos ? " baseline" : "");
    const auto start = std::chrono::steady_clock::now();
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    while (since(start) < 120000) {
        const HWND dialog = ::FindWindowA(nullptr, CAPTION);
        const HWND control = dialog ? ::GetDlgItem(dialog, 1000) : nullptr;
        // Walking thousands of items from another process costs more than listing them: the
        // walk waits until the control holds at least as many items as entries, and the time
        // is the moment it did, not the end of the walk that confirms it.
        if (control && ::IsWindowVisible(dialog) &&
            static_cast<int>(::SendMessageA(control, TVM_GETCOUNT, 0, 0)) >= count + FOLDER_FILES + 5) {
            populated = since(start);
            const TreeReader tree(control);
            // Counted as the window shows it at first: collapsed.
            const HTREEITEM run = tree.find("Registry/Current User/Run", false);
            const HTREEITEM folder = tree.find("Autostart/Current user", false);
            if (run && folder && static_cast<int>(tree.childCount(run)) >= count &&
                static_cast<int>(tree.childCount(folder)) >= FOLDER_FILES)
                return dialog;
        }
        ::Sleep(5);
    }
    return nullptr;
}

void closeWindow(HWND dialog, PROCESS_INFORMATION& process)
{
    if (dialog)
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ::WaitForSingleObject(process.hProcess, 30000);
    ::TerminateProcess(process.hProcess, 0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

int window(const std::string& program, int count)
{
    PROCESS_INFORMATION process = {};
    double populated = -1;
    const HWND dialog = startWithTree(program, count, process, populated);
    closeWindow(dialog, process);
    const double shown = dialog ? populated : -1;
    std::printf("%.0f\n", shown);
    return shown < 0 ? 1 : 0;
}

// Types word into the filter box a key at a time, each key's result drawn before the next.
int filter(const std::string& program, int count, const std::string& word)
{
    PROCESS_INFORMATION process = {};
    double populated = -1;
    const HWND dialog = startWithTree(program, count, process, populated);
    double slowest = -1;
    char counted[64] = {};
    if (dialog) {
        // As people read the tree before they type: the window reads what the filter needs meanwhile.
        ::Sleep(1500);
        const HWND box = ::GetDlgItem(dialog, 1018);
        for (const char typed : word) {
            const auto start = std::chrono::steady_clock::now();
            ::SendMessageW(box, WM_CHAR, static_cast<WPARAM>(typed), 0);
            ::UpdateWindow(::GetDlgItem(dialog, 1000));
            slowest = std::max(slowest, since(start));
        }
        ::GetWindowTextA(::GetDlgItem(dialog, 1019), counted, sizeof counted);
    }
    closeWindow(dialog, process);
    std::printf("%.0f %s\n", slowest, counted);
    return slowest < 0 ? 1 : 0;
}

int select(const std::string& program)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    double answered = -1, checked = -1;
    HWND dialog = nullptr;
    HTREEITEM entry = nullptr;
    for (const auto start = std::chrono::steady_clock::now(); !entry && since(start) < 120000; ::Sleep(20)) {
        dialog = ::FindWindowA(nullptr, CAPTION);
        const HWND control = dialog ? ::GetDlgItem(dialog, 1000) : nullptr;
        if (control && ::IsWindowVisible(dialog))
            entry = TreeReader(control).find("Registry/Current User/Run/A large signed program", false);
    }
    if (entry) {
        const auto start = std::chrono::steady_clock::now();
        ::SendMessageA(::GetDlgItem(dialog, 1000), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(entry));
        DWORD_PTR ignored = 0;
        if (::SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 60000, &ignored))
            answered = since(start);
        char line[512] = {};
        while (since(start) < 60000 && checked < 0) {
            ::GetWindowTextA(::GetDlgItem(dialog, 1015), line, sizeof line);
            if (std::string(line).find("verified") != std::string::npos)
                checked = since(start);
            ::Sleep(5);
        }
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    ::WaitForSingleObject(process.hProcess, 30000);
    ::TerminateProcess(process.hProcess, 0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    std::printf("%.0f %.0f\n", answered, checked);
    return checked < 0 ? 1 : 0;
}

LRESULT CALLBACK baselineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HTREEITEM insert(HWND tree, HTREEITEM parent, const std::wstring& text)
{
    TVINSERTSTRUCTW item = {};
    item.hParent = parent;
    item.hInsertAfter = TVI_LAST;
    item.item.mask = TVIF_TEXT;
    item.item.pszText = const_cast<wchar_t*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

// A window that lists the current user's Run key and Startup folder into a tree and nothing more.
int baseline()
{
    ::InitCommonControls();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = baselineProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BootwardenBaseline";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowW(L"BootwardenBaseline", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 500, nullptr,
                                        nullptr, windowClass.hInstance, nullptr);
    const HWND tree = ::CreateWindowW(WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASLINES, 0, 0, 380, 460, window,
                                      reinterpret_cast<HMENU>(1000), windowClass.hInstance, nullptr);
    const HTREEITEM run = insert(tree, insert(tree, insert(tree, nullptr, L"Registry"), L"Current User"), L"Run");
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, RUN_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        wchar_t name[16384];
        BYTE data[65536];
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = 16384, size = sizeof data, type = 0;
            if (::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
                break;
            insert(tree, run, name);
        }
        ::RegCloseKey(key);
    }
    ::SendMessageW(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(run));
    const HTREEITEM folder = insert(tree, insert(tree, nullptr, L"Autostart"), L"Current user");
    WIN32_FIND_DATAW found = {};
    const HANDLE search = ::FindFirstFileW((startupFolder() + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                insert(tree, folder, found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::SendMessageW(tree, TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(folder));
    ::SetWindowTextA(window, CAPTION);
    ::ShowWindow(window, SW_SHOW);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}

// ms for work, timed once.
double timed(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return since(start);
}

// registryBytes: the entries as this version disables them, with their registry bytes in the
// file's block; otherwise as older versions wrote them, records alone.
int tasks(const std::string& folder, int count)
{
    using products::bootwarden::StartupConstants;
    using namespace products::bootwarden::database;
    std::vector<platform::RegisteredTask> registered;
    for (int i = 0; i < count; ++i) {
        // Half start at sign-in, half daily, as updaters and vendors' helpers register them.
        const std::string trigger = i % 2 ? "<LogonTrigger><Enabled>true</Enabled></LogonTrigger>"
                                          : "<CalendarTrigger><StartBoundary>2024-01-01T03:00:00</StartBoundary>"
                                            "<ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay>"
                                            "</CalendarTrigger>";
        registered.push_back(
            {"\\Vendor" + std::to_string(i % 10) + "\\Task " + std::to_string(i),
             "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.4\" "
             "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n  <RegistrationInfo>"
             "<Author>Vendor</Author><Description>Keeps the vendor's program up to date.</Description>"
             "</RegistrationInfo>\r\n  <Triggers>" +
                 trigger +
                 "</Triggers>\r\n  <Principals><Principal id=\"Author\"><UserId>S-1-5-18</UserId></Principal>"
                 "</Principals>\r\n  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
                 "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries><Enabled>true</Enabled></Settings>\r\n"
                 "  <Actions Context=\"Author\"><Exec><Command>C:\\Program Files\\Vendor\\update" +
                 std::to_string(i) + ".exe</Command><Arguments>/background</Arguments></Exec></Actions>\r\n</Task>",
             true});
    }
    const platform::ScopedOverride running(&platform::Win32Api::QueryServiceStatus, [](SC_HANDLE, LPSERVICE_STATUS status) {
        status->dwCurrentState = SERVICE_RUNNING;
        return TRUE;
    });
    const platform::ScopedOverride connect(&platform::Win32Api::TaskServiceConnect, [](ITaskService** service) {
        *service = nullptr;
        return S_OK;
    });
    const platform::ScopedOverride list(
        &platform::Win32Api::TaskFolderListU,
        [&registered](ITaskService*, const std::string& path, std::vector<std::string>& folders,
                      std::vector<platform::RegisteredTask>& found) {
            for (int i = 0; path == "\\" && i < 10 && i < static_cast<int>(registered.size()); ++i)
                folders.push_back("\\Vendor" + std::to_string(i));
            for (const platform::RegisteredTask& task : registered)
                if (task.path.rfind(path + "\\", 0) == 0)
                    found.push_back(task);
            return S_OK;
        });
    double bestListing = 1e30;
    double bestShowing = 1e30;
    std::size_t listed = 0;
    for (int round = 0; round < 5; ++round) {
        RegistryBackup backup(folder + "\\tasks.dat");
        TaskCatalog catalog;
        TaskDatabase signIn(StartupConstants::SIGN_IN_TASKS, backup, catalog);
        TaskDatabase other(StartupConstants::OTHER_TASKS, backup, catalog);
        std::promise<void> done;
        bestListing = std::min(bestListing, timed([&] {
            catalog.refreshInBackground([&done] { done.set_value(); });
            done.get_future().wait();
        }));
        bestShowing = std::min(bestShowing, timed([&] {
            listed = 0;
            for (TaskDatabase* database : {&signIn, &other})
                for (const products::bootwarden::StartupItem& item : database->getItems()) {
                    listed += database->getNote(item).text.empty() ? 0 : 1;
                }
        }));
    }
    std::printf("%.0f %.0f %zu\n", bestListing, bestShowing, listed);
    return listed == registered.size() ? 0 : 1;
}

int datafile(const std::string& folder, bool registryBytes)
{
    using products::bootwarden::StartupItem;
    using products::bootwarden::database::DataFileCodec;
    std::vector<StartupItem> items;
    items.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        const std::string command = "C:\\Program Files\\Vendor\\tool" + std::to_string(i) + ".exe /background";
        std::string utf16;
        for (const char c : command + '\0')
            utf16 += std::string{c, '\0'};
        items.emplace_back(5, 1, "Entry " + std::to_string(i), command, REG_SZ,
                           registryBytes ? std::optional<std::string>(utf16) : std::nullopt);
    }
    const std::string path = folder + "\\bench.dat", raw = folder + "\\raw.dat", replaced = folder + "\\replaced.dat";
    const std::string bytes = DataFileCodec::encode(items);
    // The program and the raw copy take turns, so that both meet the same file system (whose
    // writing back of earlier files slows whatever comes at that moment); each counts its best.
    double save = 1e30, rawSave = 1e30, rawReplace = 1e30, load = 1e30, rawLoad = 1e30;
    std::size_t loaded = 0;
    for (int round = 0; round < 15; ++round) {
        save = std::min(save, timed([&] {
            io::file::FileHelper::saveFile(path, [&](const io::file::FileHelper::Write& write) { DataFileCodec::encode(items, write); });
        }));
        rawSave = std::min(rawSave, timed([&] { std::ofstream(raw, std::ios::binary).write(bytes.data(), bytes.size()); }));
        // What any save that never leaves a half-written file costs: the same bytes written
        // beside the file, which then takes its place.
        rawReplace = std::min(rawReplace, timed([&] {
            std::ofstream(replaced + ".tmp", std::ios::binary).write(bytes.data(), bytes.size());
            ::MoveFileExA((replaced + ".tmp").c_str(), replaced.c_str(), MOVEFILE_REPLACE_EXISTING);
        }));
        load = std::min(load, timed([&] {
            io::file::FileHelper::readFile(path, [&loaded](const io::file::FileHelper::Read& read, std::size_t size) {
                loaded = DataFileCodec::decode(read, size).items.size();
            });
        }));
        // One read of the whole file into memory: what the disk and the system can do.
        rawLoad = std::min(rawLoad, timed([&] {
            const HANDLE file = ::CreateFileA(raw.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            std::string read(::GetFileSize(file, nullptr), '\0');
            DWORD got = 0;
            ::ReadFile(file, &read[0], static_cast<DWORD>(read.size()), &got, nullptr);
            ::CloseHandle(file);
        }));
    }
    std::printf("%.1f %.1f %.1f %.1f %.1f %zu\n", save, rawSave, rawReplace, load, rawLoad, loaded);
    return loaded == items.size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "seed" && argc > 2)
        return seed(std::atoi(argv[2]));
    if (mode == "window" && argc > 3)
        return window(argv[2], std::atoi(argv[3]));
    if (mode == "baseline")
        return baseline();
    if (mode == "filter" && argc > 4)
        return filter(argv[2], std::stoi(argv[3]), argv[4]);
    if (mode == "select" && argc > 2)
        return select(argv[2]);
    if (mode == "tasks" && argc > 3)
        return tasks(argv[2], std::stoi(argv[3]));
    if (mode == "datafile" && argc > 2)
        return datafile(argv[2], argc > 3 && std::string(argv[3]) == "registry");
    std::fprintf(stderr, "usage: BootwardenBench seed N | window <program> N | filter <program> N WORD | baseline | select <program> | datafile <folder> "
                         "[registry]\n");
    return 2;
}
