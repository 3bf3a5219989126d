#include "products/bootwarden/inspection/ProgramInspector.h"

#include "support/Files.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"

#include <gtest/gtest.h>

#include <softpub.h>
#include <wintrust.h>

using products::bootwarden::inspection::ProgramFacts;
using products::bootwarden::inspection::ProgramInspector;
using Signature = ProgramFacts::Signature;

namespace {

class ProgramInspectorTest : public testing::Test {
protected:
    SignedPrograms programs;
    ScratchDirectory dir{"program_inspector"};
    ProgramInspector inspector;
};

struct Expected {
    const char* what;
    std::string commandLine;
    Signature signature;
    const char* signer;
    const char* problem;
    const char* company;
    bool byMicrosoft;
};

} // namespace

// Every state a program's signature can be in, as the system answers for real files; the
// version resource is read whatever the signature says.
TEST_F(ProgramInspectorTest, EachFileIsWhatItsSignatureSays)
{
    const std::string changed = dir.file("changed.exe");
    SignedPrograms::writeChangedCopy(changed);
    writeFile(dir.file("start.bat"), "@echo off\r\n");
    const Expected files[] = {
        {"signed", '"' + SignedPrograms::path("contoso-updater.exe") + "\" /quiet", Signature::Verified, "Contoso Ltd",
         "", "Contoso Ltd", false},
        {"changed after signing", changed, Signature::Invalid, "", "the file was changed after it was signed",
         "Contoso Ltd", false},
        {"unsigned", SignedPrograms::path("unsigned.exe"), Signature::Unsigned, "", "", "Contoso Ltd", false},
        {"a script", dir.file("start.bat") + " /q", Signature::NotAProgram, "", "", "", false},
        {"missing", "C:\\Program Files\\Gone\\gone.exe /background", Signature::Missing, "", "", "", false},
        {"Microsoft's signer", SignedPrograms::path("microsoft-signed.exe"), Signature::Verified,
         "Microsoft Corporation", "", "Contoso Ltd", true},
        // Wine's own programs say Microsoft made them, and nothing vouches for that.
        {"Wine's winver", "winver.exe", Signature::Unsigned, "", "", "Microsoft Corporation", false},
        {"Wine's regedit", "%SystemRoot%\\regedit.exe", Signature::Unsigned, "", "", "Microsoft Corporation", false},
    };
    for (const Expected& file : files) {
        SCOPED_TRACE(file.what);
        const ProgramFacts facts = inspector.inspect(file.commandLine);
        EXPECT_EQ(file.signature, facts.signature) << ProgramFacts::name(facts.signature);
        EXPECT_EQ(file.signer, facts.signer);
        EXPECT_EQ(file.problem, facts.problem);
        EXPECT_EQ(file.company, facts.company);
        EXPECT_EQ(file.byMicrosoft, facts.isMicrosofts());
    }
    const ProgramFacts contoso = inspector.inspect(SignedPrograms::path("contoso-updater.exe"));
    EXPECT_EQ("Contoso Updater", contoso.description);
    EXPECT_EQ("4.2", contoso.version);
}

// Wine trusts any root, so a chain Windows refuses is the system's answer through the seam; so
// is an answer nobody expected, which keeps the system's text.
TEST_F(ProgramInspectorTest, ASignatureTheSystemRefusesSaysWhy)
{
    const struct {
        LONG answer;
        const char* problem;
    } refusals[] = {
        {CERT_E_UNTRUSTEDROOT, "its certificate chain is not trusted"},
        {CERT_E_CHAINING, "its certificate chain is not trusted"},
        {CERT_E_EXPIRED, "its certificate has expired"},
        {CERT_E_REVOKED, "its certificate was revoked"},
    };
    for (const auto& refusal : refusals) {
        ProgramInspector fresh;
        const platform::ScopedOverride answer(&platform::Win32Api::WinVerifyTrustU,
                                              [&](const std::string&, std::string&) { return refusal.answer; });
        const ProgramFacts facts = fresh.inspect(SignedPrograms::path("contoso-updater.exe"));
        EXPECT_EQ(Signature::Invalid, facts.signature);
        EXPECT_EQ(refusal.problem, facts.problem);
        EXPECT_EQ("", facts.publisher());
    }
    const platform::ScopedOverride odd(&platform::Win32Api::WinVerifyTrustU,
                                       [](const std::string&, std::string&) { return LONG(ERROR_ACCESS_DENIED); });
    const ProgramFacts facts = inspector.inspect(SignedPrograms::path("contoso-updater.exe"));
    EXPECT_EQ(Signature::Invalid, facts.signature);
    EXPECT_EQ(0u, facts.problem.find("the signature does not hold. System error message: ")) << facts.problem;
}

// A host Microsoft signed runs anybody's DLL or script: such an entry is not Microsoft's own.
TEST_F(ProgramInspectorTest, AHostOfOtherCodeVouchesForNothingItRuns)
{
    const platform::ScopedOverride microsoft(&platform::Win32Api::WinVerifyTrustU,
                                             [](const std::string&, std::string& signer) {
                                                 signer = "Microsoft Windows";
                                                 return LONG(ERROR_SUCCESS);
                                             });
    const struct {
        const char* command;
        bool startsOthers;
    } commands[] = {
        {"rundll32.exe C:\\Users\\Public\\evil.dll,Start", true},
        {"%SystemRoot%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe -enc AAAA", true},
        {"C:\\windows\\system32\\CMD.EXE /c start x", true},
        {"wscript.exe C:\\Users\\Public\\run.vbs", true},
        {"notepad.exe", false},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.command);
        const ProgramFacts facts = inspector.inspect(command.command);
        EXPECT_EQ(command.startsOthers, facts.startsOthers);
        EXPECT_EQ(!command.startsOthers, facts.isMicrosofts());
    }
}

// Hashing a large program takes its time: a file is checked once while it stays as it was, and
// again once it changed.
TEST_F(ProgramInspectorTest, AFileIsCheckedOnceUntilItChanges)
{
    const std::string program = dir.file("updater.exe");
    writeFile(program, readFile(SignedPrograms::path("contoso-updater.exe")));
    int checks = 0;
    const auto real = platform::win32().WinVerifyTrustU;
    const platform::ScopedOverride counted(&platform::Win32Api::WinVerifyTrustU,
                                           [&](const std::string& path, std::string& signer) {
                                               ++checks;
                                               return real(path, signer);
                                           });
    EXPECT_EQ(Signature::Verified, inspector.inspect(program).signature);
    EXPECT_EQ(Signature::Verified, inspector.inspect('"' + program + "\" --again").signature);
    EXPECT_EQ(1, checks);
    writeFile(program, readFile(SignedPrograms::path("unsigned.exe")));
    EXPECT_EQ(Signature::Unsigned, inspector.inspect(program).signature);
    EXPECT_EQ(2, checks);
}

// A 32-bit Bootwarden on 64-bit Windows reads the system folder Windows starts programs from, not
// the 32-bit one it is shown under that name.
TEST_F(ProgramInspectorTest, TheSystemsOwnFolderIsReadWhateverTheBuild)
{
    const std::string name = "bootwarden-native-only.exe";
    const std::string native =
        std::string(sizeof(void*) == 4 ? "C:\\windows\\Sysnative\\" : "C:\\windows\\system32\\") + name;
    writeFile(native, readFile(SignedPrograms::path("contoso-updater.exe")));
    const ProgramFacts facts = inspector.inspect("%SystemRoot%\\System32\\" + name + " /x");
    ::DeleteFileW(wide(native).c_str());
    EXPECT_EQ(Signature::Verified, facts.signature);
    EXPECT_EQ("C:\\windows\\System32\\" + name, facts.path);
}

// The program of a command line is found as Windows finds it when it starts the command.
TEST_F(ProgramInspectorTest, TheProgramIsFoundAsWindowsFindsIt)
{
    const std::string folder = dir.file("Fabrikam Tools");
    ASSERT_TRUE(::CreateDirectoryW(wide(folder).c_str(), nullptr));
    writeFile(folder + "\\run me.exe", "MZ");
    ASSERT_TRUE(::CreateDirectoryW(wide(dir.file("Contoso Tools")).c_str(), nullptr));
    writeFile(dir.file("Contoso Tools\\run me.exe"), "MZ");
    writeFile(dir.file("Contoso.exe"), "MZ"); // what an unquoted path with a space runs first
    std::string system(MAX_PATH, '\0');
    system.resize(::GetSystemDirectoryA(&system[0], MAX_PATH));
    const struct {
        std::string commandLine;
        std::string program;
    } commands[] = {
        {'"' + folder + "\\run me.exe\" /x", folder + "\\run me.exe"},
        {folder + "\\run me.exe /x", folder + "\\run me.exe"},
        {dir.file("Contoso Tools\\run me.exe"), dir.file("Contoso.exe")},
        {"notepad.exe %1", system + "\\notepad.exe"},
        {"notepad", system + "\\notepad.exe"},
        {"C:\\Program Files\\Gone\\gone.exe /background", "C:\\Program Files\\Gone\\gone.exe"},
        {"C:\\Gone\\script.bat /q", "C:\\Gone\\script.bat"},
        {"", ""},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.commandLine);
        EXPECT_EQ(command.program, ProgramInspector::locate(command.commandLine));
    }
}
