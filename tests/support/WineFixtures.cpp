#include "support/WineFixtures.h"

#include "support/Files.h"

#include <wincrypt.h>

#include <cstring>
#include <stdexcept>
#include <vector>

std::wstring wide(const std::string& utf8)
{
    std::wstring text(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                          static_cast<int>(text.size()));
    return text;
}

std::string utf8(const std::wstring& wide)
{
    std::string text(
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr),
        '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                          static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

std::string utf16(const std::string& utf8)
{
    const std::wstring text = wide(utf8);
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

namespace {

// The view a scratch key is made in: the 64-bit one, whatever the test program's build, as its
// name says. The 32-bit view's keys are named by their path there (Software\Wow6432Node\...),
// so a 32-bit test writes exactly where it means and not through the system's redirection.

std::string keyOf(const std::string& service)
{
    return "System\\CurrentControlSet\\Services\\" + service;
}

} // namespace

RegistryScratch::RegistryScratch(HKEY root, const std::string& subKey) : _root(root), _subKey(subKey)
{
    deleteKey();
    HKEY key = nullptr;
    if (::RegCreateKeyExW(_root, wide(_subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | _view, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create test key " + subKey);
    ::RegCloseKey(key);
}

RegistryScratch::RegistryScratch(HKEY root, const std::string& subKey, std::vector<std::string> values, REGSAM view)
    : _root(root), _subKey(subKey), _view(view), _values(std::move(values))
{
    for (const std::string& name : _values) {
        DWORD type = 0;
        _saved.emplace_back(0, bytes(name, &type));
        _saved.back().first = type;
        deleteValue(name);
    }
}

RegistryScratch::~RegistryScratch()
{
    if (_values.empty()) {
        deleteKey();
        return;
    }
    for (std::size_t i = 0; i < _values.size(); ++i) {
        deleteValue(_values[i]);
        if (_saved[i].first != 0)
            set(_values[i], _saved[i].first, _saved[i].second);
    }
}

void RegistryScratch::deleteValue(const std::string& name) const
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(_root, wide(_subKey).c_str(), 0, KEY_SET_VALUE | _view, &key) != ERROR_SUCCESS)
        return;
    ::RegDeleteValueW(key, wide(name).c_str());
    ::RegCloseKey(key);
}

void RegistryScratch::deleteKey() const
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(_root, wide(_subKey).c_str(), 0, KEY_ALL_ACCESS | _view, &key) != ERROR_SUCCESS)
        return;
    ::RegDeleteTreeW(key, nullptr);
    ::RegCloseKey(key);
    ::RegDeleteKeyExW(_root, wide(_subKey).c_str(), _view, 0);
}

void RegistryScratch::set(const ValueName& name, DWORD type, const std::string& bytes) const
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(_root, wide(_subKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE | _view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot write to test key " + _subKey);
    ::RegSetValueExW(key, name.text.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
}

void RegistryScratch::setString(const std::string& name, const std::string& text, DWORD type) const
{
    set(name, type, utf16(text + '\0'));
}

bool RegistryScratch::read(const ValueName& name, DWORD& type, std::string& data) const
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(_root, wide(_subKey).c_str(), 0, KEY_READ | _view, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool found = ::RegQueryValueExW(key, name.text.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    data.resize(size);
    if (found && size)
        found = ::RegQueryValueExW(key, name.text.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
                ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

std::string RegistryScratch::bytes(const ValueName& name, DWORD* type) const
{
    DWORD found = 0;
    std::string data;
    if (!read(name, found, data))
        found = 0;
    if (type)
        *type = found;
    return data;
}

std::string RegistryScratch::get(const ValueName& name, DWORD* type) const
{
    DWORD found = 0;
    const std::string data = bytes(name, &found);
    if (type)
        *type = found;
    if (found != REG_SZ && found != REG_EXPAND_SZ)
        return data;
    const std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
    return utf8(text.substr(0, text.find(L'\0')));
}

bool RegistryScratch::has(const ValueName& name) const
{
    DWORD type = 0;
    std::string data;
    return read(name, type, data);
}

const char* const TestService::PROGRAM = "C:\\windows\\system32\\notepad.exe";

TestService::TestService(const std::string& name, const std::string& displayName, DWORD startType, bool delayed)
    : _name(name)
{
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    const SC_HANDLE service = ::CreateServiceW(
        manager, wide(name).c_str(), wide(displayName).c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        startType, SERVICE_ERROR_IGNORE, wide(PROGRAM).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service)
        throw std::runtime_error("cannot create test service " + name + ": " + std::to_string(::GetLastError()));
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    if (delayed) {
        const DWORD mark = 1;
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, wide(keyOf(name)).c_str(), L"DelayedAutoStart", REG_DWORD, &mark,
                          sizeof mark);
    }
}

DWORD TestService::delayedMark() const
{
    DWORD mark = 0, size = sizeof mark;
    ::RegGetValueW(HKEY_LOCAL_MACHINE, wide(keyOf(_name)).c_str(), L"DelayedAutoStart", RRF_RT_REG_DWORD, nullptr,
                   &mark, &size);
    return mark;
}

TestService::~TestService()
{
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (const SC_HANDLE service = ::OpenServiceW(manager, wide(_name).c_str(), DELETE)) {
        ::DeleteService(service);
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
}

DWORD TestService::startType() const
{
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service = ::OpenServiceW(manager, wide(_name).c_str(), SERVICE_QUERY_CONFIG);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    DWORD startType = 0;
    if (service && ::QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                         static_cast<DWORD>(buffer.size()), &needed))
        startType = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data())->dwStartType;
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return startType;
}

std::string SignedPrograms::path(const std::string& name)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string program = utf8(self);
    return program.substr(0, program.rfind('\\') + 1) + "signed\\" + name;
}

void SignedPrograms::writeChangedCopy(const std::string& to)
{
    std::string bytes = readFile(path("contoso-updater.exe"));
    bytes[0x400] ^= 0x01;
    writeFile(to, bytes);
}

namespace {

HCERTSTORE machineRoot()
{
    return ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
}

} // namespace

SignedPrograms::SignedPrograms() : _root(readFile(path("root.cer")))
{
    const HCERTSTORE store = machineRoot();
    const BOOL added =
        ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(_root.data()),
                                           static_cast<DWORD>(_root.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(store, 0);
    if (!added)
        throw std::runtime_error("the test root could not be trusted: " + std::to_string(::GetLastError()));
}

SignedPrograms::~SignedPrograms()
{
    const HCERTSTORE store = machineRoot();
    if (const PCCERT_CONTEXT found = ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_STR_W,
                                                                  L"Bootwarden Test Root", nullptr))
        ::CertDeleteCertificateFromStore(found);
    ::CertCloseStore(store, 0);
}
