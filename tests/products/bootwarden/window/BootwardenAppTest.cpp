#include "products/bootwarden/window/BootwardenApp.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/Files.h"
#include "support/DialogDriver.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "util/assertion/Assertion.h"
#include "util/parser/ArgumentParserHelpers.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

#include <cstdio>

using platform::errorresources::SystemErrors;
using util::assertion::reportAssertion;
using util::parser::ArgumentParserHelpers;
using windows::file::WindowsFileHelper;

using products::bootwarden::window::BootwardenApp;

namespace {

// The start-up makes the program's folder current; each test gets its own folder back.
class BootwardenAppTest : public testing::Test {
protected:
    ScratchDirectory elsewhere{"started_elsewhere"};
    CurrentDirectory current{elsewhere.path()};
    const std::string programFolder = ArgumentParserHelpers::getDirectory(WindowsFileHelper::getModuleFileName());
    MessageBoxRecorder boxes;
    BootwardenApp application;
};

TEST_F(BootwardenAppTest, RunsTheDialogInTheProgramsOwnFolderWhateverItsLanguage)
{
    // Installed under "Программы": the folder of disabled files is made right there.
    const std::string installed =
        elsewhere.path() + "\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb3\xd1\x80\xd0\xb0\xd0\xbc\xd0\xbc\xd1\x8b\\";
    ::CreateDirectoryW(wide(installed).c_str(), nullptr);
    platform::ScopedOverride module(&platform::Win32Api::GetModuleFileNameU, [&installed](HMODULE, std::string& path) {
        path = installed + "Bootwarden.exe";
        return static_cast<DWORD>(path.size());
    });
    std::string folderDuringRun;
    DialogDriver driver([&folderDuringRun](HWND dialog) {
        folderDuringRun = WindowsFileHelper::getCurrentDirectory();
        ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(application.InitInstance());
    EXPECT_EQ(installed, folderDuringRun);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(wide(installed + "cuas").c_str()));
    EXPECT_TRUE(driver.ended());
    EXPECT_TRUE(boxes.boxes().empty());
}

// What fails before the window is made ends the run with one box and no window.
TEST_F(BootwardenAppTest, AFailureBeforeTheWindowGivesOneErrorBox)
{
    const std::string dataFile = programFolder + "bootwarden.dat";
    ::CreateDirectoryA(dataFile.c_str(), nullptr);
    bool shown = false;
    DialogDriver driver([&shown](HWND) { shown = true; });
    EXPECT_FALSE(application.InitInstance());
    ::RemoveDirectoryA(dataFile.c_str());
    {
        platform::ScopedOverride fail(&platform::Win32Api::GetModuleFileNameU,
                                      failing(DWORD(0), ERROR_NOT_ENOUGH_MEMORY));
        application.InitInstance();
    }
    EXPECT_FALSE(shown);
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_NE(std::string::npos, boxes.boxes()[0].text.find("\nFilename: 'bootwarden.dat'\nCurrent "
                                                            "Working Directory: " +
                                                            programFolder + "\n"))
        << "an unreadable data file";
    EXPECT_EQ("Bootwarden Center Error", boxes.boxes()[0].title);
    EXPECT_EQ("Could not get the module filename for the current process: " +
                  SystemErrors::map(ERROR_NOT_ENOUGH_MEMORY),
              boxes.boxes()[1].text);
}

TEST_F(BootwardenAppTest, AssertionsGoToABoxWhileTheDialogLivesAndToTheFileAfter)
{
    std::remove("assertion.txt");
    DialogDriver driver([](HWND dialog) {
        reportAssertion("during", "tests/BootwardenApp", 1);
        ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    application.InitInstance();
    reportAssertion("after", "tests/BootwardenApp", 2);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_NE(std::string::npos, boxes.boxes()[0].text.find("Message: during\n"));
    EXPECT_NE(std::string::npos, readFile("assertion.txt").find("Message: after"));
    EXPECT_EQ(std::string::npos, readFile("assertion.txt").find("Message: during"));
    std::remove("assertion.txt");
}

// The program's own resources, as Windows reads them from its file.
std::string resource(LPCSTR type, LPCSTR name)
{
    const HRSRC found = ::FindResourceA(nullptr, name, type);
    if (!found)
        return std::string();
    return std::string(static_cast<const char*>(::LockResource(::LoadResource(nullptr, found))),
                       ::SizeofResource(nullptr, found));
}

TEST(BootwardenResourcesTest, ManifestAsksForARealElevationLevelAndDpiAwareness)
{
    const std::string manifest = resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    EXPECT_NE(std::string::npos, manifest.find("<requestedExecutionLevel level=\"highestAvailable\""))
        << "without it, UAC would redirect machine-wide writes to the VirtualStore";
    EXPECT_NE(std::string::npos, manifest.find("PerMonitorV2"));
    EXPECT_EQ(std::string::npos, manifest.find("activeCodePage")) << "old records are read in the system's code page";
    const std::string version = resource(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));
    const std::wstring name = L"Bootwarden Center";
    EXPECT_NE(std::string::npos,
              version.find(std::string(reinterpret_cast<const char*>(name.data()), name.size() * sizeof(wchar_t))));
}

} // namespace
