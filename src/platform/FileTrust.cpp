#include "platform/FileTrust.h"

#include "platform/Text.h"
#include "platform/UniqueResource.h"

#include <mscat.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace platform {

namespace {

// One WinVerifyTrust verification: its state is closed whatever happens between.
class TrustCheck {
public:
    explicit TrustCheck(WINTRUST_DATA& data) : _data(data)
    {
        _data.cbStruct = sizeof _data;
        _data.dwUIChoice = WTD_UI_NONE;
        _data.fdwRevocationChecks = WTD_REVOKE_NONE;
        _data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
        _data.dwStateAction = WTD_STATEACTION_VERIFY;
        _result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &_action, &_data);
    }
    ~TrustCheck()
    {
        _data.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &_action, &_data);
    }
    TrustCheck(const TrustCheck&) = delete;
    TrustCheck& operator=(const TrustCheck&) = delete;

    LONG result() const { return _result; }

    std::string signer() const
    {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(_data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signature = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        if (!signature || signature->csCertChain == 0 || !signature->pasCertChain)
            return std::string();
        const PCCERT_CONTEXT certificate = signature->pasCertChain[0].pCert;
        const DWORD length = ::CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
        std::vector<wchar_t> name(length + 1);
        ::CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length + 1);
        return Text::toUtf8(name.data());
    }

private:
    GUID _action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_DATA& _data;
    LONG _result;
};

LONG verified(WINTRUST_DATA& data, std::string& signer)
{
    const TrustCheck check(data);
    if (check.result() == ERROR_SUCCESS)
        signer = check.signer();
    return check.result();
}

LONG embeddedTrust(const std::wstring& path, std::string& signer)
{
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data = {};
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    return verified(data, signer);
}

class CatalogAdmin {
public:
    // SHA-256 catalogs, which Windows 8 and later sign their files with, when the system has
    // them; SHA-1 ones otherwise.
    explicit CatalogAdmin(bool sha256)
    {
        const HMODULE wintrust = ::GetModuleHandleW(L"wintrust.dll");
        using Acquire2 = BOOL(WINAPI*)(HCATADMIN*, const GUID*, PCWSTR, PCCERT_STRONG_SIGN_PARA, DWORD);
        if (!sha256) {
            ::CryptCATAdminAcquireContext(&_admin, nullptr, 0);
            return;
        }
        const auto acquire = reinterpret_cast<Acquire2>(
            reinterpret_cast<void*>(::GetProcAddress(wintrust, "CryptCATAdminAcquireContext2")));
        _hash2 = reinterpret_cast<Hash2>(
            reinterpret_cast<void*>(::GetProcAddress(wintrust, "CryptCATAdminCalcHashFromFileHandle2")));
        if (acquire && _hash2 && !acquire(&_admin, nullptr, BCRYPT_SHA256_ALGORITHM, nullptr, 0))
            _admin = nullptr;
    }
    ~CatalogAdmin()
    {
        if (_admin)
            ::CryptCATAdminReleaseContext(_admin, 0);
    }
    CatalogAdmin(const CatalogAdmin&) = delete;
    CatalogAdmin& operator=(const CatalogAdmin&) = delete;

    HCATADMIN get() const { return _admin; }

    std::vector<BYTE> hashOf(HANDLE file) const
    {
        DWORD size = 0;
        hash(file, &size, nullptr);
        std::vector<BYTE> bytes(size);
        if (size == 0 || !hash(file, &size, bytes.data()))
            return {};
        return bytes;
    }

private:
    using Hash2 = BOOL(WINAPI*)(HCATADMIN, HANDLE, DWORD*, BYTE*, DWORD);

    BOOL hash(HANDLE file, DWORD* size, BYTE* bytes) const
    {
        ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        return _hash2 ? _hash2(_admin, file, size, bytes, 0)
                      : ::CryptCATAdminCalcHashFromFileHandle(file, size, bytes, 0);
    }

    HCATADMIN _admin = nullptr;
    Hash2 _hash2 = nullptr;
};

LONG catalogTrust(const std::wstring& path, std::string& signer)
{
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    if (!file.valid())
        return static_cast<LONG>(TRUST_E_NOSIGNATURE);
    LONG result = static_cast<LONG>(TRUST_E_NOSIGNATURE);
    for (const bool sha256 : {true, false}) {
        const CatalogAdmin admin(sha256);
        std::vector<BYTE> hash = admin.get() ? admin.hashOf(file.get()) : std::vector<BYTE>();
        HCATINFO catalog = hash.empty() ? nullptr
                                        : ::CryptCATAdminEnumCatalogFromHash(
                                              admin.get(), hash.data(), static_cast<DWORD>(hash.size()), 0, nullptr);
        if (!catalog)
            continue;
        CATALOG_INFO info = {};
        info.cbStruct = sizeof info;
        if (::CryptCATCatalogInfoFromContext(catalog, &info, 0)) {
            std::wstring tag;
            for (BYTE byte : hash) {
                wchar_t digits[3];
                swprintf(digits, 3, L"%02X", byte);
                tag += digits;
            }
            WINTRUST_CATALOG_INFO member = {};
            member.cbStruct = sizeof member;
            member.pcwszCatalogFilePath = info.wszCatalogFile;
            member.pcwszMemberFilePath = path.c_str();
            member.pcwszMemberTag = tag.c_str();
            member.pbCalculatedFileHash = hash.data();
            member.cbCalculatedFileHash = static_cast<DWORD>(hash.size());
            member.hCatAdmin = admin.get();
            WINTRUST_DATA data = {};
            data.dwUnionChoice = WTD_CHOICE_CATALOG;
            data.pCatalog = &member;
            result = verified(data, signer);
        }
        ::CryptCATAdminReleaseCatalogContext(admin.get(), catalog, 0);
        break;
    }
    return result;
}

} // namespace

LONG verifyFileTrust(const std::wstring& path, std::string& signer)
{
    const LONG result = embeddedTrust(path, signer);
    if (result != static_cast<LONG>(TRUST_E_NOSIGNATURE))
        return result;
    return catalogTrust(path, signer);
}

} // namespace platform
