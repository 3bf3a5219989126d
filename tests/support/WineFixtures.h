#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// UTF-8 and the UTF-16 of Windows, for tests that make and read what the program meets.
std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& wide);
// The bytes of a text in UTF-16, as the registry stores the string types (NULs included).
std::string utf16(const std::string& utf8);

// A value's name in UTF-8, or in any UTF-16, valid text or not.
struct ValueName {
    ValueName(const std::string& utf8) : text(wide(utf8)) {}
    ValueName(const char* utf8) : text(wide(utf8)) {}
    ValueName(std::wstring utf16) : text(std::move(utf16)) {}
    ValueName(const wchar_t* utf16) : text(utf16) {}
    std::wstring text;
};

// Real keys and values in the test prefix, made with the system's own wide calls so the code
// under test meets them as it would on a user's machine. Names are UTF-8. Keys are made in the
// 64-bit registry view, whichever build runs the test, unless a view is named: OWN_VIEW is the
// test program's, where the code under test reads its settings (the folders of the shell, say).
class RegistryScratch {
public:
    // Deletes and re-creates root\subKey; deletes it again at the end of the scope.
    RegistryScratch(HKEY root, const std::string& subKey);
    static constexpr REGSAM OWN_VIEW = 0;

    // In a key of settings that the prefix needs: deletes only the values named, and puts them
    // back as they were at the end of the scope.
    RegistryScratch(HKEY root, const std::string& subKey, std::vector<std::string> values,
                    REGSAM view = KEY_WOW64_64KEY);
    ~RegistryScratch();

    RegistryScratch(const RegistryScratch&) = delete;
    RegistryScratch& operator=(const RegistryScratch&) = delete;

    void set(const ValueName& name, DWORD type, const std::string& bytes) const;
    // A string value, in UTF-16 with its terminator as Windows writes it.
    void setString(const std::string& name, const std::string& text, DWORD type = REG_SZ) const;
    // The stored bytes and type of a value; type 0 when it is missing.
    std::string bytes(const ValueName& name, DWORD* type = nullptr) const;
    // A string value's text (up to its first NUL) as UTF-8, any other value's bytes.
    std::string get(const ValueName& name, DWORD* type = nullptr) const;
    bool has(const ValueName& name) const;
    void deleteValue(const std::string& name) const;

    HKEY root() const { return _root; }
    const std::string& subKey() const { return _subKey; }

private:
    // The stored bytes exactly (RegGetValue would add a missing terminator); false when missing.
    bool read(const ValueName& name, DWORD& type, std::string& data) const;
    void deleteKey() const;

    HKEY _root;
    std::string _subKey;
    REGSAM _view = KEY_WOW64_64KEY;
    std::vector<std::string> _values;                  // empty: the whole key
    std::vector<std::pair<DWORD, std::string>> _saved; // type 0: there was none
};

// A service of the prefix's service manager, made for the test (an automatic one delayed as
// Windows marks it, in its key) and removed at the end of the scope. Nothing starts it.
class TestService {
public:
    TestService(const std::string& name, const std::string& displayName, DWORD startType, bool delayed = false);
    ~TestService();

    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    const std::string& name() const { return _name; }
    // As the service manager says now.
    DWORD startType() const;
    // The DelayedAutoStart value of its key; 0 when there is none.
    DWORD delayedMark() const;
    // The program it would start.
    static const char* const PROGRAM;

private:
    std::string _name;
};

// The test program as its publishers sign it (see tests/signing/sign), beside the test
// programs, and the test root its signatures chain to, trusted in the prefix's machine Root
// store for the length of the scope.
class SignedPrograms {
public:
    SignedPrograms();
    ~SignedPrograms();

    SignedPrograms(const SignedPrograms&) = delete;
    SignedPrograms& operator=(const SignedPrograms&) = delete;

    // signed\contoso-updater.exe, signed\microsoft-signed.exe or signed\unsigned.exe.
    static std::string path(const std::string& name);
    // Writes the program signed by "Contoso Ltd" with one byte of its code changed, which the
    // signature's hash covers, to path.
    static void writeChangedCopy(const std::string& path);

private:
    std::string _root; // the root certificate's bytes
};
