#include "products/bootwarden/inspection/ProgramInspector.h"

#include "exceptions/Exception.h"
#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/StringHelper.h"
#include "util/Utf8.h"
#include "windows/file/VersionInfo.h"
#include "windows/info/WindowsVersion.h"
#include "windows/registry/RegistryHelpers.h"

#include <softpub.h>
#include <wintrust.h>

#include <algorithm>
#include <iterator>

using platform::errorresources::SystemErrors;
using util::StringHelper;
using util::Utf8;

namespace products::bootwarden::inspection {

namespace {

using Signature = ProgramFacts::Signature;

std::string expanded(const std::string& text)
{
    try {
        return windows::registry::RegistryHelpers::expandEnvironmentStrings(text);
    } catch (const exceptions::Exception&) {
        return text; // Windows starts it as it is written
    }
}

// The file a path names for Windows. A 32-bit program on 64-bit Windows sees the 32-bit system
// folder under the name System32; Sysnative names the one the system starts programs from.
std::string nativePath(const std::string& path)
{
    static const bool redirected = sizeof(void*) == 4 && windows::info::is64BitWindows();
    static const std::string system32 = StringHelper::toLower(expanded("%SystemRoot%\\System32\\"));
    if (!redirected || StringHelper::toLower(path.substr(0, system32.size())) != system32)
        return path;
    return path.substr(0, system32.size() - 9) + "Sysnative\\" + path.substr(system32.size());
}

bool isFile(const std::string& path)
{
    const DWORD attributes = platform::win32().GetFileAttributesU(nativePath(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where CreateProcess would find the program: ".exe" added to a name without an extension, a
// name without a folder looked for in the system's folders and on PATH.
std::string found(const std::string& name)
{
    std::string path;
    if (platform::win32().SearchPathU(name, ".exe", path) == 0 || !isFile(path))
        return std::string();
    return path;
}

bool isMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_PATHNAME || error == ERROR_INVALID_DRIVE;
}

// Windows' programs that run what their arguments name: a DLL, a script, a command.
bool startsOthers(const std::string& path)
{
    static const char* const HOSTS[] = {"rundll32.exe",   "regsvr32.exe", "mshta.exe", "wscript.exe", "cscript.exe",
                                        "powershell.exe", "pwsh.exe",     "cmd.exe",   "msiexec.exe", "conhost.exe"};
    const std::string name = StringHelper::toLower(path.substr(path.find_last_of("\\/") + 1));
    return std::any_of(std::begin(HOSTS), std::end(HOSTS), [&name](const char* host) { return name == host; });
}

// A program for Windows begins as every executable image does.
bool isImage(const std::string& path)
{
    const platform::UniqueFileHandle file(platform::win32().CreateFileU(
        path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, 0));
    char start[2] = {};
    DWORD read = 0;
    return file.valid() && platform::win32().ReadFile(file.get(), start, sizeof start, &read) && read == 2 &&
           start[0] == 'M' && start[1] == 'Z';
}

std::string problemOf(LONG result)
{
    switch (result) {
    case TRUST_E_BAD_DIGEST:
        return "the file was changed after it was signed";
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case TRUST_E_EXPLICIT_DISTRUST:
        return "its certificate chain is not trusted";
    case CERT_E_EXPIRED:
        return "its certificate has expired";
    case CERT_E_REVOKED:
        return "its certificate was revoked";
    default:
        return "the signature does not hold. " + SystemErrors::map(result);
    }
}

} // namespace

std::string ProgramInspector::locate(const std::string& commandLine)
{
    std::string command = expanded(commandLine);
    command.erase(0, command.find_first_not_of(" \t"));
    if (command.empty())
        return std::string();
    if (command[0] == '"') {
        const std::string quoted = command.substr(1, command.find('"', 1) - 1);
        const std::string path = found(quoted);
        return path.empty() ? quoted : path;
    }
    // Unquoted, the program ends at the first space where a file is, as CreateProcess reads it.
    for (std::size_t space = command.find(' '); space != std::string::npos; space = command.find(' ', space + 1))
        if (const std::string path = found(command.substr(0, space)); !path.empty())
            return path;
    if (const std::string path = found(command); !path.empty())
        return path;
    const std::string::size_type exe = StringHelper::toLower(command).find(".exe");
    return exe != std::string::npos ? command.substr(0, exe + 4) : command.substr(0, command.find(' '));
}

bool ProgramInspector::exists(const std::string& path)
{
    return isFile(path);
}

ProgramInspector::Look ProgramInspector::look(const std::string& commandLine)
{
    Look now;
    now.path = locate(commandLine);
    now.native = nativePath(now.path);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (now.path.empty())
        now.error = ERROR_FILE_NOT_FOUND;
    else if (!platform::win32().GetFileAttributesExU(now.native, data))
        now.error = platform::win32().GetLastError();
    now.attributes = data.dwFileAttributes;
    now.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    now.written = (std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return now;
}

std::optional<ProgramFacts> ProgramInspector::known(const std::string& commandLine)
{
    return known(look(commandLine));
}

std::optional<ProgramFacts> ProgramInspector::known(const Look& now)
{
    const std::lock_guard<std::mutex> lock(_mutex);
    const auto known = _known.find(Utf8::foldCase(now.path));
    if (known == _known.end())
        return std::nullopt;
    const Look& then = known->second.look;
    if (then.error != now.error || then.size != now.size || then.written != now.written)
        return std::nullopt;
    return known->second.facts;
}

ProgramFacts ProgramInspector::inspect(const std::string& commandLine)
{
    const Look now = look(commandLine);
    if (std::optional<ProgramFacts> facts = known(now))
        return *facts;
    ProgramFacts facts;
    if (!now.error) {
        facts = read(now.native, now.attributes);
        facts.startsOthers = startsOthers(now.path);
    } else if (!isMissing(now.error)) {
        facts.signature = Signature::Invalid;
        facts.problem = "the file cannot be read. " + SystemErrors::map(static_cast<int>(now.error));
    }
    facts.path = now.path;
    const std::lock_guard<std::mutex> lock(_mutex);
    _known[Utf8::foldCase(now.path)] = {now, facts};
    return facts;
}

ProgramFacts ProgramInspector::read(const std::string& path, unsigned long attributes)
{
    ProgramFacts facts;
    facts.path = path;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        facts.signature = Signature::NotAProgram;
        return facts;
    }
    const LONG result = platform::win32().WinVerifyTrustU(path, facts.signer);
    const bool image = isImage(path);
    if (result == ERROR_SUCCESS)
        facts.signature = Signature::Verified;
    else if (result == TRUST_E_NOSIGNATURE || result == TRUST_E_SUBJECT_FORM_UNKNOWN ||
             result == TRUST_E_PROVIDER_UNKNOWN)
        facts.signature = image ? Signature::Unsigned : Signature::NotAProgram;
    else
        facts.signature = Signature::Invalid, facts.problem = problemOf(result);
    if (image) {
        const windows::file::VersionInfo version = windows::file::VersionInfo::read(path);
        facts.company = version.company;
        facts.description = version.description;
        facts.version = version.version;
    }
    return facts;
}

} // namespace products::bootwarden::inspection
