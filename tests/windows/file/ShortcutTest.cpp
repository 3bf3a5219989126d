#include "windows/file/WindowsFileHelper.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"

#include <gtest/gtest.h>

namespace {

using windows::file::CouldNotExtractPathFromShourcutException;

std::string shortPath(const std::string& path)
{
    char buffer[MAX_PATH];
    const DWORD length = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return std::string(buffer, length);
}

class ShortcutTest : public testing::Test {
protected:
    ComApartment com;
    ScratchDirectory dir{"shortcuts"};

    std::string failureOf(const std::string& link)
    {
        try {
            WindowsFileHelper::extractPathFromShortcut(nullptr, link);
        } catch (const CouldNotExtractPathFromShourcutException& e) {
            return e.getMessage();
        }
        return "no exception";
    }
};

TEST_F(ShortcutTest, ResolvesToTheTargetAskingForTheShortForm)
{
    WindowsFileHelper::createDirectory(dir.file("Program Files Long"));
    const std::string target = dir.file("Program Files Long\\application.exe");
    ScratchDirectory::writeFile(target, "MZ");
    createShortcut(dir.file("app.lnk"), target);
    DWORD flags = 0;
    platform::ScopedOverride path(
        &platform::Win32Api::ShellLinkGetPath,
        [&flags](IShellLinkA* link, LPSTR buffer, int size, WIN32_FIND_DATAA* data, DWORD asked) {
            flags = asked;
            return link->GetPath(buffer, size, data, asked);
        });
    const std::string resolved = WindowsFileHelper::extractPathFromShortcut(nullptr, dir.file("app.lnk"));
    EXPECT_EQ(DWORD(SLGP_SHORTPATH), flags);
    // Windows answers with the 8.3 form; Wine's shell link gives the long path.
    EXPECT_TRUE(resolved == shortPath(target) || resolved == target) << resolved;
}

TEST_F(ShortcutTest, AFileThatIsNoShortcutFailsAtLoad)
{
    const std::string link = dir.file("fake.lnk");
    ScratchDirectory::writeFile(link, "not a shell link");
    const std::string message = failureOf(link);
    const std::string expected = "Could not extract the path from the link file " + link +
                                 ".\nThe function failed when trying to Load.\nSystem error message: ";
    EXPECT_EQ(expected, message.substr(0, expected.size()));
}

TEST_F(ShortcutTest, ALinkNameTooLongForTheWideBufferFails)
{
    const std::string link = dir.file(std::string(260, 'l') + ".lnk");
    EXPECT_NE(std::string::npos,
              failureOf(link).find(".\nThe function failed when trying to MultiByteToWideChar.\n"));
}

// Each step made to fail through the seam; the link object is created for real and must have
// no reference left from the call when it returns.
class ShortcutStepTest : public ShortcutTest, public testing::WithParamInterface<const char*> {};

TEST_P(ShortcutStepTest, FailureNamesTheStepAndReleasesEverything)
{
    const std::string step = GetParam();
    const std::string link = dir.file("app.lnk");
    ScratchDirectory::writeFile(dir.file("app.exe"), "MZ");
    createShortcut(link, dir.file("app.exe"));

    IShellLinkA* created = nullptr;
    platform::ScopedOverride create(
        &platform::Win32Api::CoCreateInstance,
        [&created, step](REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
            if (step == "CreateInstance") {
                ::SetLastError(ERROR_ACCESS_DENIED);
                return HRESULT(E_ACCESSDENIED);
            }
            const HRESULT result = ::CoCreateInstance(clsid, outer, context, iid, out);
            created = static_cast<IShellLinkA*>(*out);
            created->AddRef(); // the test's own reference, to count what the call leaves
            return result;
        });
    const auto refuse = [step](const char* name) { return step == name; };
    platform::ScopedOverride query(&platform::Win32Api::ShellLinkQueryInterface,
                                   [&](IShellLinkA* l, REFIID iid, void** out) {
                                       return refuse("QueryInterface") ? E_NOINTERFACE
                                                                       : l->QueryInterface(iid, out);
                                   });
    platform::ScopedOverride load(&platform::Win32Api::PersistFileLoad,
                                  [&](IPersistFile* f, LPCOLESTR name, DWORD mode) {
                                      return refuse("Load") ? E_FAIL : f->Load(name, mode);
                                  });
    platform::ScopedOverride resolve(&platform::Win32Api::ShellLinkResolve,
                                     [&](IShellLinkA* l, HWND owner, DWORD flags) {
                                         return refuse("Resolve") ? S_FALSE : l->Resolve(owner, flags);
                                     });
    platform::ScopedOverride path(
        &platform::Win32Api::ShellLinkGetPath,
        [&](IShellLinkA* l, LPSTR buffer, int size, WIN32_FIND_DATAA* data, DWORD flags) {
            return refuse("GetPath") ? S_FALSE : l->GetPath(buffer, size, data, flags);
        });

    EXPECT_NE(std::string::npos,
              failureOf(link).find("Could not extract the path from the link file " + link +
                                   ".\nThe function failed when trying to " + step +
                                   ".\nSystem error message: "));
    if (created) {
        EXPECT_EQ(0u, created->Release()) << "an interface outlived the call";
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, ShortcutStepTest,
                         testing::Values("CreateInstance", "QueryInterface", "Load", "Resolve",
                                         "GetPath"));

} // namespace
