#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ITaskService;
struct IXmlReader;

namespace platform {

// A file or folder as a directory listing names it.
struct FoundFile {
    std::string name;
    DWORD attributes = 0;
};

// A task the task service has registered, as one of its folders lists it.
struct RegisteredTask {
    std::string path; // "\\Contoso\\Updater"
    std::string xml;  // its whole definition, as the service gives it
    bool enabled = true;
};

// One node of an XML document as XmlLite reads it.
struct XmlNode {
    int type = 0;       // an XmlNodeType
    std::string name;   // an element's local name
    std::string value;  // a text's
    bool empty = false; // an element without an end tag
};

// Every call the program makes into Windows and COM, one slot each. The
// slots start as the real functions; a test replaces one for a scope (ScopedOverride) to make
// it fail, while everything else stays real.
//
// A slot whose name ends in U takes and gives text as UTF-8 and calls the function's wide (W)
// form: no code page can garble a name, a path or a command line. A text that cannot be
// converted exactly fails the call with ERROR_NO_UNICODE_TRANSLATION, like any other failure.
struct Win32Api {
    // Registry; value data are the registry's own bytes (UTF-16 for the string types).
    std::function<LONG(HKEY, const std::string&, REGSAM, PHKEY)> RegOpenKeyExU;
    std::function<LONG(HKEY, const std::string&, REGSAM, PHKEY)> RegCreateKeyExU;
    std::function<LONG(HKEY)> RegCloseKey = ::RegCloseKey;
    std::function<LONG(HKEY, const std::string&, LPDWORD, LPBYTE, LPDWORD)> RegQueryValueExU;
    // The name never lacks room; ERROR_MORE_DATA is about the data only.
    std::function<LONG(HKEY, DWORD, std::string&, LPDWORD, LPBYTE, LPDWORD)> RegEnumValueU;
    // The index-th subkey's name (ERROR_NO_MORE_ITEMS past the last).
    std::function<LONG(HKEY, DWORD, std::string&)> RegEnumKeyExU;
    std::function<LONG(HKEY, const std::string&, DWORD, const BYTE*, DWORD)> RegSetValueExU;
    std::function<LONG(HKEY, const std::string&)> RegDeleteValueU;
    // RegQueryInfoKeyW for the time the key last changed, a value added, changed or deleted.
    std::function<LONG(HKEY, PFILETIME)> RegQueryInfoKey = [](HKEY key, PFILETIME written) {
        return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, written);
    };
    // A text value in the user's language: an indirect one ("@file.dll,-100") from its file.
    std::function<LONG(HKEY, const std::string&, std::string&)> RegLoadMUIStringU;
    // 0 when it fails, otherwise the length of the expanded text.
    std::function<DWORD(const std::string&, std::string&)> ExpandEnvironmentStringsU;

    // Files; each answers 0 or FALSE when it fails, with the reason in the last error.
    std::function<DWORD(HMODULE, std::string&)> GetModuleFileNameU;
    std::function<DWORD(std::string&)> GetCurrentDirectoryU;
    std::function<BOOL(const std::string&)> SetCurrentDirectoryU;
    std::function<BOOL(const std::string&)> CreateDirectoryU;
    std::function<BOOL(const std::string&)> RemoveDirectoryU;
    std::function<DWORD(const std::string&)> GetFileAttributesU;
    std::function<BOOL(const std::string&)> DeleteFileU;
    std::function<BOOL(const std::string&, const std::string&)> MoveFileU;
    std::function<BOOL(const std::string&, const std::string&, DWORD)> MoveFileExU;
    std::function<HANDLE(const std::string&, FoundFile&)> FindFirstFileU;
    std::function<BOOL(HANDLE, FoundFile&)> FindNextFileU;
    std::function<BOOL(HANDLE)> FindClose = ::FindClose;
    // INVALID_HANDLE_VALUE when it fails.
    std::function<HANDLE(const std::string&, DWORD access, DWORD share, DWORD disposition, DWORD flags)> CreateFileU;
    std::function<void(DWORD)> Sleep = ::Sleep;
    // An open file's bytes and size.
    std::function<BOOL(HANDLE, void*, DWORD, LPDWORD)> ReadFile =
        [](HANDLE file, void* into, DWORD size, LPDWORD read) { return ::ReadFile(file, into, size, read, nullptr); };
    std::function<BOOL(HANDLE, const void*, DWORD, LPDWORD)> WriteFile = [](HANDLE file, const void* bytes, DWORD size,
                                                                            LPDWORD written) {
        return ::WriteFile(file, bytes, size, written, nullptr);
    };
    std::function<BOOL(HANDLE)> FlushFileBuffers = ::FlushFileBuffers;
    std::function<BOOL(HANDLE, PLARGE_INTEGER)> GetFileSizeEx = ::GetFileSizeEx;
    // Size, times and attributes without opening the file.
    std::function<BOOL(const std::string&, WIN32_FILE_ATTRIBUTE_DATA&)> GetFileAttributesExU;
    // A program's name looked up as CreateProcess looks it up (the program's folder, the system
    // folders, then PATH), extension added when the name has none; the length found, 0 for none.
    std::function<DWORD(const std::string&, const std::string& extension, std::string&)> SearchPathU;
    // The whole version resource of a file; FALSE when it has none.
    std::function<BOOL(const std::string&, std::string&)> GetFileVersionInfoU;
    // A value inside a version resource; value points into the resource.
    std::function<BOOL(const std::string& resource, const std::string& name, const void*& value, UINT& size)>
        VerQueryValueU;
    // WinVerifyTrust of a file: its own signature, or a system catalog's (see verifyFileTrust).
    std::function<LONG(const std::string&, std::string& signer)> WinVerifyTrustU;

    // Service manager; each answers null or FALSE when it fails, with the reason in the last error.
    std::function<SC_HANDLE(DWORD)> OpenSCManager = [](DWORD access) {
        return ::OpenSCManagerW(nullptr, nullptr, access);
    };
    std::function<SC_HANDLE(SC_HANDLE, const std::string&, DWORD)> OpenServiceU;
    // ChangeServiceConfigW for the start type alone.
    std::function<BOOL(SC_HANDLE, DWORD)> ChangeServiceStartType = [](SC_HANDLE service, DWORD startType) {
        return ::ChangeServiceConfigW(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr);
    };
    // ChangeServiceConfig2W for the delay of an automatic service's start.
    std::function<BOOL(SC_HANDLE, BOOL)> ChangeServiceDelayedStart = [](SC_HANDLE service, BOOL delayed) {
        SERVICE_DELAYED_AUTO_START_INFO info = {delayed};
        return ::ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info);
    };
    std::function<BOOL(SC_HANDLE, LPSERVICE_STATUS)> QueryServiceStatus = ::QueryServiceStatus;
    std::function<BOOL(SC_HANDLE)> CloseServiceHandle = ::CloseServiceHandle;

    // Shell and COM
    std::function<HRESULT(LPVOID)> CoInitialize = ::CoInitialize;
    std::function<void()> CoUninitialize = ::CoUninitialize;
    std::function<HRESULT(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*)> CoCreateInstance = ::CoCreateInstance;
    std::function<HRESULT(IShellLinkW*, REFIID, void**)> ShellLinkQueryInterface =
        [](IShellLinkW* link, REFIID iid, void** out) { return link->QueryInterface(iid, out); };
    std::function<HRESULT(IPersistFile*, const std::string&, DWORD)> PersistFileLoadU;
    std::function<HRESULT(IShellLinkW*, HWND, DWORD)> ShellLinkResolve =
        [](IShellLinkW* link, HWND owner, DWORD flags) { return link->Resolve(owner, flags); };
    std::function<HRESULT(IShellLinkW*, std::string&, DWORD)> ShellLinkGetPathU;
    std::function<HRESULT(IShellLinkW*, std::string&)> ShellLinkGetArgumentsU;
    std::function<HINSTANCE(HWND, const std::string&, const std::string&)> ShellExecuteU;

    // Task Scheduler 2.0 (ITaskService) on this machine; each answers the service's HRESULT. A
    // folder's or task's path is the service's own ("\\", "\\Contoso\\Updater").
    std::function<HRESULT(ITaskService**)> TaskServiceConnect;
    // A folder's subfolders (their paths) and its tasks, hidden ones too.
    std::function<HRESULT(ITaskService*, const std::string&, std::vector<std::string>&, std::vector<RegisteredTask>&)>
        TaskFolderListU;
    std::function<HRESULT(ITaskService*, const std::string&, bool)> TaskSetEnabledU;
    std::function<HRESULT(ITaskService*, const std::string&)> TaskDeleteU;
    // Registers a new task of that path from its definition; one of that path refuses it.
    std::function<HRESULT(ITaskService*, const std::string&, const std::string&)> TaskRegisterU;
    std::function<HRESULT(ITaskService*, const std::string&)> TaskRunU;
    // XmlLite (xmllite.dll, which Windows ships): a reader of the text, then its nodes one by one
    // (S_FALSE past the last).
    std::function<HRESULT(const std::string&, IXmlReader**)> XmlReaderCreateU;
    std::function<HRESULT(IXmlReader*, XmlNode&)> XmlReaderReadU;
    std::function<HICON(HINSTANCE, const std::string&, LPWORD)> ExtractAssociatedIconU;

    // Processes and system
    std::function<BOOL(const std::string&, DWORD, LPPROCESS_INFORMATION)> CreateProcessU;
    std::function<BOOL(HANDLE)> CloseHandle = ::CloseHandle;
    std::function<BOOL(LPOSVERSIONINFOA)> GetVersionExA = ::GetVersionExA;
    std::function<BOOL(HANDLE, PBOOL)> IsWow64Process = ::IsWow64Process;
    // The system's text for an error code; 0 when it has none.
    std::function<DWORD(DWORD, std::string&)> FormatMessageU;
    std::function<HLOCAL(HLOCAL)> LocalFree = ::LocalFree;
    std::function<DWORD()> GetLastError = ::GetLastError;
    // The code page older versions of the program wrote their data file in.
    std::function<UINT()> GetACP = ::GetACP;
    std::function<void(LPSYSTEMTIME)> GetSystemTime = ::GetSystemTime;
    std::function<BOOL(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, LPSYSTEMTIME)>
        SystemTimeToTzSpecificLocalTime = ::SystemTimeToTzSpecificLocalTime;

    // User interface
    std::function<int(HWND, const std::string&, const std::string&, UINT)> MessageBoxU;
    std::function<void()> InitCommonControls = ::InitCommonControls;
    std::function<HMODULE(LPCSTR)> GetModuleHandleA = ::GetModuleHandleA;
    std::function<INT_PTR(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM)> DialogBoxParamW = ::DialogBoxParamW;
    std::function<BOOL(HWND, INT_PTR)> EndDialog = ::EndDialog;
    std::function<HWND(HWND, int)> GetDlgItem = ::GetDlgItem;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> SendMessageW = ::SendMessageW;
    std::function<BOOL(HWND, UINT, WPARAM, LPARAM)> PostMessageW = ::PostMessageW;
    std::function<UINT_PTR(HWND, UINT_PTR, UINT, TIMERPROC)> SetTimer = ::SetTimer;
    std::function<BOOL(HWND, UINT_PTR)> KillTimer = ::KillTimer;
    // A top-level window of the class; null when none is open.
    std::function<HWND(LPCWSTR)> FindWindowClass = [](LPCWSTR windowClass) {
        return ::FindWindowW(windowClass, nullptr);
    };
    std::function<BOOL(HWND, const RECT*, BOOL)> InvalidateRect = ::InvalidateRect;
    std::function<BOOL(HWND, const std::string&)> SetWindowTextU;
    std::function<void(HWND, std::string&)> GetWindowTextU;
    std::function<HICON(HINSTANCE, LPCSTR)> LoadIconA = ::LoadIconA;
    std::function<BOOL(HICON)> DestroyIcon = ::DestroyIcon;
    // A bitmap of the resources drawn at the size asked for.
    std::function<HANDLE(HINSTANCE, LPCSTR, UINT, int, int, UINT)> LoadImageA = ::LoadImageA;
    std::function<HDC(HWND)> GetDC = ::GetDC;
    std::function<int(HWND, HDC)> ReleaseDC = ::ReleaseDC;
    std::function<int(HDC, int)> GetDeviceCaps = ::GetDeviceCaps;
    std::function<BOOL(HGDIOBJ)> DeleteObject = ::DeleteObject;
    std::function<HIMAGELIST(int, int, UINT, int, int)> ImageList_Create = ::ImageList_Create;
    std::function<int(HIMAGELIST, HBITMAP, COLORREF)> ImageList_AddMasked = ::ImageList_AddMasked;
    std::function<int(HIMAGELIST, int, HICON)> ImageList_ReplaceIcon = ::ImageList_ReplaceIcon;
    std::function<BOOL(HIMAGELIST)> ImageList_Destroy = ::ImageList_Destroy;
    std::function<HMENU(HWND, BOOL)> GetSystemMenu = ::GetSystemMenu;
    std::function<BOOL(HMENU, UINT, UINT_PTR, const std::string&)> AppendMenuU;
    std::function<HMENU()> CreatePopupMenu = ::CreatePopupMenu;
    std::function<BOOL(HMENU, UINT, int, int, int, HWND, const RECT*)> TrackPopupMenu = ::TrackPopupMenu;
    std::function<BOOL(HMENU)> DestroyMenu = ::DestroyMenu;
    std::function<BOOL(LPPOINT)> GetCursorPos = ::GetCursorPos;
    std::function<HWND()> GetFocus = ::GetFocus;
    std::function<HWND(HWND)> SetFocus = ::SetFocus;
    std::function<UINT(UINT, UINT)> MapVirtualKeyW = ::MapVirtualKeyW;
    // A control's messages go to proc first (comctl32's subclassing).
    std::function<BOOL(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR)> SetWindowSubclass = ::SetWindowSubclass;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> DefSubclassProc = ::DefSubclassProc;
    std::function<BOOL(HWND, SUBCLASSPROC, UINT_PTR)> RemoveWindowSubclass = ::RemoveWindowSubclass;
    std::function<SHORT(int)> GetKeyState = ::GetKeyState;
    std::function<BOOL(HWND, LPPOINT)> ClientToScreen = ::ClientToScreen;
    std::function<BOOL(HWND, LPPOINT)> ScreenToClient = ::ScreenToClient;
    std::function<BOOL(HWND)> IsIconic = ::IsIconic;
    std::function<HDC(HWND, LPPAINTSTRUCT)> BeginPaint = ::BeginPaint;
    std::function<BOOL(HWND, const PAINTSTRUCT*)> EndPaint = ::EndPaint;
    std::function<BOOL(HWND, LPRECT)> GetClientRect = ::GetClientRect;
    std::function<BOOL(HWND, LPRECT)> GetWindowRect = ::GetWindowRect;
    std::function<int(HWND, HWND, LPPOINT, UINT)> MapWindowPoints = ::MapWindowPoints;
    std::function<BOOL(HWND, HWND, int, int, int, int, UINT)> SetWindowPos = ::SetWindowPos;
    std::function<int(int)> GetSystemMetrics = ::GetSystemMetrics;
    std::function<BOOL(HDC, int, int, HICON)> DrawIcon = ::DrawIcon;

    Win32Api();
};

// The calls in force.
Win32Api& win32();

// Replaces one slot of win32() until the end of the scope.
template <class Signature>
class ScopedOverride {
public:
    using Slot = std::function<Signature> Win32Api::*;

    ScopedOverride(Slot slot, std::function<Signature> replacement) : _slot(slot), _saved(std::move(win32().*slot))
    {
        win32().*_slot = std::move(replacement);
    }

    ~ScopedOverride() { win32().*_slot = std::move(_saved); }

    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    Slot _slot;
    std::function<Signature> _saved;
};

template <class T>
struct NotDeduced {
    using type = T;
};

// Lets a lambda stand for the replacement: the signature comes from the slot alone.
template <class Signature>
ScopedOverride(std::function<Signature> Win32Api::*, typename NotDeduced<std::function<Signature>>::type)
    -> ScopedOverride<Signature>;

} // namespace platform
