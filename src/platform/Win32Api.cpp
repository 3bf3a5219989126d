#include "platform/Win32Api.h"

#include "platform/ComCalls.h"
#include "platform/FileTrust.h"
#include "platform/Text.h"
#include "platform/UniqueResource.h"

#include <vector>

namespace platform {

namespace {

const DWORD NO_TRANSLATION = ERROR_NO_UNICODE_TRANSLATION;
// The registry's own limit for a value name, terminator included.
const DWORD MAX_VALUE_NAME = 16384;
// A key's name has at most 255 characters, and its terminator.
const DWORD MAX_KEY_NAME = 256;

// A UTF-8 text as Windows takes it; valid() is false when it is no UTF-8, or when it holds a NUL:
// the system would read it only that far and name another value or file.
class Wide {
public:
    explicit Wide(const std::string& utf8) : _valid(utf8.find('\0') == std::string::npos && Text::toWide(utf8, _text))
    {
    }
    bool valid() const { return _valid; }
    LPCWSTR get() const { return _text.c_str(); }
    std::wstring& text() { return _text; }

private:
    std::wstring _text;
    bool _valid;
};

// The failure value of a call whose text could not be converted, with the reason set.
template <class Result>
Result untranslatable(Result failure)
{
    ::SetLastError(NO_TRANSLATION);
    return failure;
}

// Calls fill with a growing buffer until the text it reports fits; its length, or 0.
template <class Fill>
DWORD growingText(std::string& utf8, Fill fill)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return 0;
        if (length < buffer.size()) {
            utf8 = Text::toUtf8(std::wstring(buffer.data(), length));
            return static_cast<DWORD>(utf8.size());
        }
        buffer.resize(std::max<std::size_t>(length + 1, buffer.size() * 2));
    }
}

FoundFile found(const WIN32_FIND_DATAW& data)
{
    return {Text::toUtf8(data.cFileName), data.dwFileAttributes};
}

} // namespace

Win32Api::Win32Api()
{
    installTaskServiceCalls(*this);
    installXmlLiteCalls(*this);
    RegOpenKeyExU = [](HKEY root, const std::string& subKey, REGSAM access, PHKEY key) {
        const Wide name(subKey);
        return name.valid() ? ::RegOpenKeyExW(root, name.get(), 0, access, key) : LONG(NO_TRANSLATION);
    };
    RegCreateKeyExU = [](HKEY root, const std::string& subKey, REGSAM access, PHKEY key) {
        const Wide name(subKey);
        return name.valid() ? ::RegCreateKeyExW(root, name.get(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                                key, nullptr)
                            : LONG(NO_TRANSLATION);
    };
    RegQueryValueExU = [](HKEY key, const std::string& value, LPDWORD type, LPBYTE data, LPDWORD size) {
        const Wide name(value);
        return name.valid() ? ::RegQueryValueExW(key, name.get(), nullptr, type, data, size) : LONG(NO_TRANSLATION);
    };
    RegEnumValueU = [](HKEY key, DWORD index, std::string& value, LPDWORD type, LPBYTE data, LPDWORD size) {
        std::vector<wchar_t> name(MAX_VALUE_NAME);
        DWORD length = MAX_VALUE_NAME;
        const LONG result = ::RegEnumValueW(key, index, name.data(), &length, nullptr, type, data, size);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
            return result;
        value = Text::toUtf8(std::wstring(name.data(), length));
        return result;
    };
    RegEnumKeyExU = [](HKEY key, DWORD index, std::string& subKey) {
        wchar_t name[MAX_KEY_NAME];
        DWORD length = MAX_KEY_NAME;
        const LONG result = ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS)
            subKey = Text::toUtf8(std::wstring(name, length));
        return result;
    };
    RegSetValueExU = [](HKEY key, const std::string& value, DWORD type, const BYTE* data, DWORD size) {
        const Wide name(value);
        return name.valid() ? ::RegSetValueExW(key, name.get(), 0, type, data, size) : LONG(NO_TRANSLATION);
    };
    RegDeleteValueU = [](HKEY key, const std::string& value) {
        const Wide name(value);
        return name.valid() ? ::RegDeleteValueW(key, name.get()) : LONG(NO_TRANSLATION);
    };
    RegLoadMUIStringU = [](HKEY key, const std::string& value, std::string& text) {
        const Wide name(value);
        if (!name.valid())
            return LONG(NO_TRANSLATION);
        DWORD size = 0;
        LONG result = ::RegLoadMUIStringW(key, name.get(), nullptr, 0, &size, 0, nullptr);
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
        if (result == ERROR_MORE_DATA || result == ERROR_SUCCESS)
            result = ::RegLoadMUIStringW(key, name.get(), buffer.data(),
                                         static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), &size, 0, nullptr);
        if (result == ERROR_SUCCESS)
            text = Text::toUtf8(buffer.data());
        return result;
    };
    ExpandEnvironmentStringsU = [](const std::string& text, std::string& expanded) {
        const Wide source(text);
        if (!source.valid())
            return untranslatable(DWORD(0));
        // The answer counts the terminator.
        return growingText(expanded, [&source](wchar_t* buffer, DWORD size) {
            const DWORD length = ::ExpandEnvironmentStringsW(source.get(), buffer, size);
            return length == 0 ? 0 : length <= size ? length - 1 : length;
        });
    };

    GetModuleFileNameU = [](HMODULE module, std::string& path) {
        return growingText(path, [module](wchar_t* buffer, DWORD size) {
            const DWORD length = ::GetModuleFileNameW(module, buffer, size);
            return length == size ? size : length; // cut short: ask again with more room
        });
    };
    GetCurrentDirectoryU = [](std::string& path) {
        return growingText(path, [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
    };
    SetCurrentDirectoryU = [](const std::string& path) {
        const Wide name(path);
        return name.valid() ? ::SetCurrentDirectoryW(name.get()) : untranslatable(FALSE);
    };
    CreateDirectoryU = [](const std::string& path) {
        const Wide name(path);
        return name.valid() ? ::CreateDirectoryW(name.get(), nullptr) : untranslatable(FALSE);
    };
    RemoveDirectoryU = [](const std::string& path) {
        const Wide name(path);
        return name.valid() ? ::RemoveDirectoryW(name.get()) : untranslatable(FALSE);
    };
    GetFileAttributesU = [](const std::string& path) {
        const Wide name(path);
        return name.valid() ? ::GetFileAttributesW(name.get()) : untranslatable(INVALID_FILE_ATTRIBUTES);
    };
    DeleteFileU = [](const std::string& path) {
        const Wide name(path);
        return name.valid() ? ::DeleteFileW(name.get()) : untranslatable(FALSE);
    };
    MoveFileU = [](const std::string& from, const std::string& to) {
        const Wide source(from), target(to);
        return source.valid() && target.valid() ? ::MoveFileW(source.get(), target.get()) : untranslatable(FALSE);
    };
    MoveFileExU = [](const std::string& from, const std::string& to, DWORD flags) {
        const Wide source(from), target(to);
        return source.valid() && target.valid() ? ::MoveFileExW(source.get(), target.get(), flags)
                                                : untranslatable(FALSE);
    };
    GetFileAttributesExU = [](const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
        const Wide name(path);
        return name.valid() ? ::GetFileAttributesExW(name.get(), GetFileExInfoStandard, &data) : untranslatable(FALSE);
    };
    SearchPathU = [](const std::string& file, const std::string& extension, std::string& found) {
        const Wide name(file), suffix(extension);
        if (!name.valid() || !suffix.valid())
            return untranslatable(DWORD(0));
        return growingText(found, [&](wchar_t* buffer, DWORD size) {
            return ::SearchPathW(nullptr, name.get(), extension.empty() ? nullptr : suffix.get(), size, buffer,
                                 nullptr);
        });
    };
    GetFileVersionInfoU = [](const std::string& path, std::string& resource) {
        const Wide name(path);
        if (!name.valid())
            return untranslatable(FALSE);
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(name.get(), &ignored);
        if (size == 0)
            return FALSE;
        resource.assign(size, '\0');
        return ::GetFileVersionInfoW(name.get(), 0, size, &resource[0]);
    };
    VerQueryValueU = [](const std::string& resource, const std::string& name, const void*& value, UINT& size) {
        const Wide path(name);
        void* found = nullptr;
        if (!path.valid() || !::VerQueryValueW(resource.data(), path.get(), &found, &size))
            return FALSE;
        value = found;
        return TRUE;
    };
    WinVerifyTrustU = [](const std::string& path, std::string& signer) {
        Wide name(path);
        return name.valid() ? verifyFileTrust(name.text(), signer) : LONG(NO_TRANSLATION);
    };
    CreateFileU = [](const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
        const Wide name(path);
        return name.valid() ? ::CreateFileW(name.get(), access, share, nullptr, disposition, flags, nullptr)
                            : untranslatable(INVALID_HANDLE_VALUE);
    };
    FindFirstFileU = [](const std::string& pattern, FoundFile& file) {
        const Wide name(pattern);
        if (!name.valid())
            return untranslatable(INVALID_HANDLE_VALUE);
        WIN32_FIND_DATAW data = {};
        const HANDLE find = ::FindFirstFileW(name.get(), &data);
        if (find != INVALID_HANDLE_VALUE)
            file = found(data);
        return find;
    };
    FindNextFileU = [](HANDLE find, FoundFile& file) {
        WIN32_FIND_DATAW data = {};
        if (!::FindNextFileW(find, &data))
            return FALSE;
        file = found(data);
        return TRUE;
    };
    PersistFileLoadU = [](IPersistFile* file, const std::string& path, DWORD mode) {
        const Wide name(path);
        return name.valid() ? file->Load(name.get(), mode) : HRESULT_FROM_WIN32(NO_TRANSLATION);
    };
    ShellLinkGetPathU = [](IShellLinkW* link, std::string& path, DWORD flags) {
        std::vector<wchar_t> buffer(32768);
        // No find data: filling it looks the target up on disk, which costs more than the rest
        // of reading the link.
        const HRESULT result = link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, flags);
        if (result != S_OK)
            return result;
        path = Text::toUtf8(buffer.data());
        return S_OK;
    };
    ShellLinkGetArgumentsU = [](IShellLinkW* link, std::string& arguments) {
        std::vector<wchar_t> buffer(32768);
        const HRESULT result = link->GetArguments(buffer.data(), static_cast<int>(buffer.size()));
        if (result != S_OK)
            return result;
        arguments = Text::toUtf8(buffer.data());
        return S_OK;
    };
    ShellExecuteU = [](HWND owner, const std::string& verb, const std::string& file) {
        const Wide operation(verb), name(file);
        if (!operation.valid() || !name.valid())
            return untranslatable(reinterpret_cast<HINSTANCE>(SE_ERR_FNF));
        return ::ShellExecuteW(owner, operation.get(), name.get(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    ExtractAssociatedIconU = [](HINSTANCE instance, const std::string& path, LPWORD index) -> HICON {
        // The shell writes into the path it is given, and never more than MAX_PATH characters.
        Wide name(path);
        if (!name.valid() || name.text().size() >= MAX_PATH)
            return nullptr;
        wchar_t buffer[MAX_PATH] = {};
        name.text().copy(buffer, name.text().size());
        return ::ExtractAssociatedIconW(instance, buffer, index);
    };

    CreateProcessU = [](const std::string& commandLine, DWORD flags, LPPROCESS_INFORMATION process) {
        // The system may write into the command line, so it gets a copy of its own.
        Wide command(commandLine);
        if (!command.valid())
            return untranslatable(FALSE);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        return ::CreateProcessW(nullptr, &command.text()[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                                process);
    };
    FormatMessageU = [](DWORD code, std::string& text) {
        wchar_t* buffer = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
            MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
        const LocalMemory owner(buffer);
        if (length == 0 || !buffer)
            return DWORD(0);
        text = Text::toUtf8(std::wstring(buffer, length));
        return static_cast<DWORD>(text.size());
    };

    OpenServiceU = [](SC_HANDLE manager, const std::string& name, DWORD access) {
        const Wide wide(name);
        return wide.valid() ? ::OpenServiceW(manager, wide.get(), access) : untranslatable(SC_HANDLE(nullptr));
    };
    MessageBoxU = [](HWND owner, const std::string& text, const std::string& title, UINT flags) {
        const Wide message(text), caption(title);
        return message.valid() && caption.valid() ? ::MessageBoxW(owner, message.get(), caption.get(), flags)
                                                  : untranslatable(0);
    };
    SetWindowTextU = [](HWND window, const std::string& text) {
        const Wide wide(text);
        return wide.valid() ? ::SetWindowTextW(window, wide.get()) : untranslatable(FALSE);
    };
    GetWindowTextU = [](HWND window, std::string& text) {
        std::vector<wchar_t> buffer(::GetWindowTextLengthW(window) + 1);
        const int length = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
        text = Text::toUtf8(std::wstring(buffer.data(), length > 0 ? length : 0));
    };
    AppendMenuU = [](HMENU menu, UINT flags, UINT_PTR id, const std::string& text) {
        const Wide wide(text);
        return wide.valid() ? ::AppendMenuW(menu, flags, id, text.empty() ? nullptr : wide.get())
                            : untranslatable(FALSE);
    };
}

Win32Api& win32()
{
    static Win32Api api;
    return api;
}

} // namespace platform
