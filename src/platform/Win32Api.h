#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <fstream>
#include <functional>
#include <string>
#include <utility>

namespace platform {

// Every call the program makes into Windows, COM and the file streams, one slot each. The
// slots start as the real functions; a test replaces one for a scope (ScopedOverride) to make
// it fail, while everything else stays real.
struct Win32Api {
    // Registry
    std::function<LONG(HKEY, LPCSTR, DWORD, REGSAM, PHKEY)> RegOpenKeyExA = ::RegOpenKeyExA;
    std::function<LONG(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                       LPDWORD)>
        RegCreateKeyExA = ::RegCreateKeyExA;
    std::function<LONG(HKEY)> RegCloseKey = ::RegCloseKey;
    std::function<LONG(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD)> RegQueryValueExA =
        ::RegQueryValueExA;
    std::function<LONG(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD)>
        RegEnumValueA = ::RegEnumValueA;
    std::function<LONG(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD)> RegSetValueExA =
        ::RegSetValueExA;
    std::function<LONG(HKEY, LPCSTR)> RegDeleteValueA = ::RegDeleteValueA;
    std::function<DWORD(LPCSTR, LPSTR, DWORD)> ExpandEnvironmentStringsA =
        ::ExpandEnvironmentStringsA;

    // Files
    std::function<DWORD(HMODULE, LPSTR, DWORD)> GetModuleFileNameA = ::GetModuleFileNameA;
    std::function<DWORD(DWORD, LPSTR)> GetCurrentDirectoryA = ::GetCurrentDirectoryA;
    std::function<BOOL(LPCSTR)> SetCurrentDirectoryA = ::SetCurrentDirectoryA;
    std::function<BOOL(LPCSTR, LPSECURITY_ATTRIBUTES)> CreateDirectoryA = ::CreateDirectoryA;
    std::function<DWORD(LPCSTR)> GetFileAttributesA = ::GetFileAttributesA;
    std::function<BOOL(LPCSTR)> DeleteFileA = ::DeleteFileA;
    std::function<BOOL(LPCSTR, LPCSTR)> MoveFileA = ::MoveFileA;
    std::function<BOOL(LPCSTR, LPCSTR, DWORD)> MoveFileExA = ::MoveFileExA;
    std::function<HANDLE(LPCSTR, LPWIN32_FIND_DATAA)> FindFirstFileA = ::FindFirstFileA;
    std::function<BOOL(HANDLE, LPWIN32_FIND_DATAA)> FindNextFileA = ::FindNextFileA;
    std::function<BOOL(HANDLE)> FindClose = ::FindClose;
    // Writes all bytes to an open stream and flushes them; throws as the stream does.
    std::function<void(std::ofstream&, const std::string&)> writeFileStream =
        [](std::ofstream& stream, const std::string& bytes) {
            stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            stream.flush();
        };

    // Shell and COM
    std::function<HRESULT(LPVOID)> CoInitialize = ::CoInitialize;
    std::function<void()> CoUninitialize = ::CoUninitialize;
    std::function<HRESULT(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*)> CoCreateInstance =
        ::CoCreateInstance;
    std::function<HRESULT(IShellLinkA*, REFIID, void**)> ShellLinkQueryInterface =
        [](IShellLinkA* link, REFIID iid, void** out) { return link->QueryInterface(iid, out); };
    std::function<HRESULT(IPersistFile*, LPCOLESTR, DWORD)> PersistFileLoad =
        [](IPersistFile* file, LPCOLESTR name, DWORD mode) { return file->Load(name, mode); };
    std::function<HRESULT(IShellLinkA*, HWND, DWORD)> ShellLinkResolve =
        [](IShellLinkA* link, HWND owner, DWORD flags) { return link->Resolve(owner, flags); };
    std::function<HRESULT(IShellLinkA*, LPSTR, int, WIN32_FIND_DATAA*, DWORD)> ShellLinkGetPath =
        [](IShellLinkA* link, LPSTR path, int size, WIN32_FIND_DATAA* data, DWORD flags) {
            return link->GetPath(path, size, data, flags);
        };
    std::function<int(UINT, DWORD, LPCCH, int, LPWSTR, int)> MultiByteToWideChar =
        ::MultiByteToWideChar;
    std::function<HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)> ShellExecuteA =
        ::ShellExecuteA;
    std::function<HICON(HINSTANCE, LPSTR, LPWORD)> ExtractAssociatedIconA =
        ::ExtractAssociatedIconA;

    // Processes and system
    std::function<BOOL(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                       LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION)>
        CreateProcessA = ::CreateProcessA;
    std::function<BOOL(HANDLE)> CloseHandle = ::CloseHandle;
    std::function<BOOL(LPOSVERSIONINFOA)> GetVersionExA = ::GetVersionExA;
    // Insert arguments are never passed.
    std::function<DWORD(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, std::nullptr_t)> FormatMessageA =
        ::FormatMessageA;
    std::function<HLOCAL(HLOCAL)> LocalFree = ::LocalFree;
    std::function<DWORD()> GetLastError = ::GetLastError;

    // User interface
    std::function<int(HWND, LPCSTR, LPCSTR, UINT)> MessageBoxA = ::MessageBoxA;
    std::function<void()> InitCommonControls = ::InitCommonControls;
    std::function<HMODULE(LPCSTR)> GetModuleHandleA = ::GetModuleHandleA;
    std::function<INT_PTR(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)> DialogBoxParamA =
        ::DialogBoxParamA;
    std::function<BOOL(HWND, INT_PTR)> EndDialog = ::EndDialog;
    std::function<HWND(HWND, int)> GetDlgItem = ::GetDlgItem;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> SendMessageA = ::SendMessageA;
    std::function<BOOL(HWND, LPCSTR)> SetWindowTextA = ::SetWindowTextA;
    std::function<int(HWND)> GetWindowTextLengthA = ::GetWindowTextLengthA;
    std::function<int(HWND, LPSTR, int)> GetWindowTextA = ::GetWindowTextA;
    std::function<HICON(HINSTANCE, LPCSTR)> LoadIconA = ::LoadIconA;
    std::function<BOOL(HICON)> DestroyIcon = ::DestroyIcon;
    std::function<HBITMAP(HINSTANCE, LPCSTR)> LoadBitmapA = ::LoadBitmapA;
    std::function<BOOL(HGDIOBJ)> DeleteObject = ::DeleteObject;
    std::function<HIMAGELIST(int, int, UINT, int, int)> ImageList_Create = ::ImageList_Create;
    std::function<int(HIMAGELIST, HBITMAP, COLORREF)> ImageList_AddMasked = ::ImageList_AddMasked;
    std::function<int(HIMAGELIST, int, HICON)> ImageList_ReplaceIcon = ::ImageList_ReplaceIcon;
    std::function<BOOL(HIMAGELIST)> ImageList_Destroy = ::ImageList_Destroy;
    std::function<HMENU(HWND, BOOL)> GetSystemMenu = ::GetSystemMenu;
    std::function<BOOL(HMENU, UINT, UINT_PTR, LPCSTR)> AppendMenuA = ::AppendMenuA;
    std::function<HMENU()> CreatePopupMenu = ::CreatePopupMenu;
    std::function<BOOL(HMENU, UINT, int, int, int, HWND, const RECT*)> TrackPopupMenu =
        ::TrackPopupMenu;
    std::function<BOOL(HMENU)> DestroyMenu = ::DestroyMenu;
    std::function<BOOL(LPPOINT)> GetCursorPos = ::GetCursorPos;
    std::function<HWND()> GetFocus = ::GetFocus;
    std::function<SHORT(int)> GetKeyState = ::GetKeyState;
    std::function<BOOL(HWND, LPPOINT)> ClientToScreen = ::ClientToScreen;
    std::function<BOOL(HWND, LPPOINT)> ScreenToClient = ::ScreenToClient;
    std::function<BOOL(HWND)> IsIconic = ::IsIconic;
    std::function<HDC(HWND, LPPAINTSTRUCT)> BeginPaint = ::BeginPaint;
    std::function<BOOL(HWND, const PAINTSTRUCT*)> EndPaint = ::EndPaint;
    std::function<BOOL(HWND, LPRECT)> GetClientRect = ::GetClientRect;
    std::function<int(int)> GetSystemMetrics = ::GetSystemMetrics;
    std::function<BOOL(HDC, int, int, HICON)> DrawIcon = ::DrawIcon;
};

// The calls in force.
Win32Api& win32();

// Replaces one slot of win32() until the end of the scope.
template <class Signature>
class ScopedOverride {
public:
    using Slot = std::function<Signature> Win32Api::*;

    ScopedOverride(Slot slot, std::function<Signature> replacement)
        : _slot(slot), _saved(std::move(win32().*slot))
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
ScopedOverride(std::function<Signature> Win32Api::*,
               typename NotDeduced<std::function<Signature>>::type) -> ScopedOverride<Signature>;

} // namespace platform
