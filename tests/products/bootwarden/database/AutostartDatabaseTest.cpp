#include "products/bootwarden/database/AutostartDatabase.h"

#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

#include <algorithm>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::AutostartDatabase;
using products::bootwarden::database::AutostartDatabaseException;

namespace {

const int USER_STARTUP = StartupConstants::USER_STARTUP;

std::vector<std::string> describe(std::vector<StartupItem> items)
{
    std::vector<std::string> lines;
    for (const StartupItem& item : items)
        lines.push_back(std::to_string(item.getType()) + " " + std::to_string(item.getState()) +
                        " " + item.getValue() + "=" + item.getData());
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What the shell reports as a shortcut's target.
std::string targetOf(const std::string& link)
{
    return WindowsFileHelper::extractPathFromShortcut(nullptr, link);
}

// The current user's Startup folder pointed at a scratch folder, with a scratch folder of
// disabled files beside it.
class AutostartDatabaseTest : public testing::Test {
protected:
    ComApartment com;
    ScratchDirectory dir{"autostart"};
    const std::string startup = dir.file("Startup");
    const std::string cuas = dir.file("cuas\\");
    const std::string tool = dir.file("tool.exe");
    ScopedRegistryValue folderSetting{HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE,
                                      startup.c_str()};

    void SetUp() override
    {
        ::CreateDirectoryA(startup.c_str(), nullptr);
        ScratchDirectory::writeFile(tool, "MZ");
    }

    std::string inStartup(const std::string& name) const { return startup + "\\" + name; }
};

TEST_F(AutostartDatabaseTest, ListsProgramsAndResolvedShortcutsOnly)
{
    createShortcut(inStartup("a.lnk"), tool);
    ScratchDirectory::writeFile(inStartup("b.exe"), "MZ");
    ScratchDirectory::writeFile(inStartup("c.txt"), "text");
    ScratchDirectory::writeFile(inStartup("D.EXE"), "MZ");
    ::CreateDirectoryA(inStartup("e.exe").c_str(), nullptr);
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_TRUE(database.isWorking());
    EXPECT_TRUE(ScratchDirectory::exists(cuas)) << "the folder of disabled files is made at once";
    EXPECT_EQ((std::vector<std::string>{"9 0 a.lnk=" + targetOf(inStartup("a.lnk")),
                                        "9 0 b.exe=" + inStartup("b.exe")}),
              describe(database.getItems()));
}

TEST_F(AutostartDatabaseTest, UnresolvableShortcutIsLeftOut)
{
    ScratchDirectory::writeFile(inStartup("broken.lnk"), "not a link");
    ScratchDirectory::writeFile(inStartup("b.exe"), "MZ");
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_EQ(std::vector<std::string>{"9 0 b.exe=" + inStartup("b.exe")},
              describe(database.getItems()));
}

TEST_F(AutostartDatabaseTest, EmptyFolderListsNothing)
{
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_TRUE(database.getItems().empty());
}

TEST_F(AutostartDatabaseTest, DisableMovesTheFileAsideAndEnableBringsItBack)
{
    ScratchDirectory::writeFile(inStartup("b.exe"), "MZ program");
    createShortcut(inStartup("a.lnk"), tool);
    const std::string linkBytes = ScratchDirectory::readFile(inStartup("a.lnk"));
    const std::string target = targetOf(inStartup("a.lnk"));
    AutostartDatabase database(USER_STARTUP, cuas);
    for (const StartupItem& item : database.getItems())
        database.disable(item);
    EXPECT_FALSE(ScratchDirectory::exists(inStartup("b.exe")));
    EXPECT_EQ((std::vector<std::string>{"9 1 a.lnk=" + target, "9 1 b.exe=" + cuas + "b.exe"}),
              describe(database.getItems()));

    for (const StartupItem& item : database.getItems())
        database.enable(item);
    EXPECT_EQ("MZ program", ScratchDirectory::readFile(inStartup("b.exe")));
    EXPECT_EQ(linkBytes, ScratchDirectory::readFile(inStartup("a.lnk")));
    EXPECT_EQ(2u, database.getItems().size());
}

TEST_F(AutostartDatabaseTest, RelativeFolderOfDisabledFilesShowsInTheData)
{
    ScratchDirectory::writeFile(inStartup("b.exe"), "MZ");
    const std::string start = WindowsFileHelper::getCurrentDirectory();
    WindowsFileHelper::setCurrentDirectory(dir.path());
    {
        AutostartDatabase database(USER_STARTUP, ".\\cuas\\");
        database.disable(database.getItems().at(0));
        EXPECT_EQ(std::vector<std::string>{"9 1 b.exe=.\\cuas\\b.exe"}, describe(database.getItems()));
    }
    WindowsFileHelper::setCurrentDirectory(start);
    EXPECT_TRUE(ScratchDirectory::exists(cuas + "b.exe"));
}

TEST_F(AutostartDatabaseTest, ActiveFileWinsOverItsDisabledCopyOfTheSameName)
{
    AutostartDatabase database(USER_STARTUP, cuas);
    ScratchDirectory::writeFile(inStartup("b.exe"), "active");
    ScratchDirectory::writeFile(cuas + "b.exe", "disabled");
    ScratchDirectory::writeFile(inStartup("B2.exe"), "active");
    ScratchDirectory::writeFile(cuas + "b2.exe", "disabled, other case");
    EXPECT_EQ((std::vector<std::string>{"9 0 B2.exe=" + inStartup("B2.exe"),
                                        "9 0 b.exe=" + inStartup("b.exe"),
                                        "9 1 b2.exe=" + cuas + "b2.exe"}),
              describe(database.getItems()));
    EXPECT_FALSE(ScratchDirectory::exists(cuas + "b.exe"));
    EXPECT_TRUE(ScratchDirectory::exists(cuas + "b2.exe"));
}

TEST_F(AutostartDatabaseTest, RemoveDeletesTheFileFromBothFolders)
{
    AutostartDatabase database(USER_STARTUP, cuas);
    ScratchDirectory::writeFile(inStartup("b.exe"), "active");
    ScratchDirectory::writeFile(cuas + "b.exe", "disabled");
    database.remove(StartupItem(USER_STARTUP, 0, "b.exe", ""));
    EXPECT_FALSE(ScratchDirectory::exists(inStartup("b.exe")));
    EXPECT_FALSE(ScratchDirectory::exists(cuas + "b.exe"));
    database.remove(StartupItem(USER_STARTUP, 0, "b.exe", "")); // in neither folder: nothing
}

TEST_F(AutostartDatabaseTest, MoveOntoATakenNameFailsAndChangesNothing)
{
    AutostartDatabase database(USER_STARTUP, cuas);
    ScratchDirectory::writeFile(cuas + "b.exe", "disabled");
    ScratchDirectory::writeFile(inStartup("b.exe"), "active");
    EXPECT_THROW(database.enable(StartupItem(USER_STARTUP, 1, "b.exe", "")),
                 windows::file::CouldNotMoveFileException);
    EXPECT_EQ("active", ScratchDirectory::readFile(inStartup("b.exe")));
}

TEST_F(AutostartDatabaseTest, MissingFolderSettingLeavesTheDatabaseNotWorking)
{
    ScopedRegistryValue missing(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE, nullptr);
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_FALSE(database.isWorking());
    try {
        database.getItems();
        FAIL() << "no exception";
    } catch (const AutostartDatabaseException& e) {
        EXPECT_EQ("The autostart startup database isn't working. Reason: Error when reading a "
                  "registry key, the value doesn't exist. Entry: HKEY_CURRENT_USER\\" +
                      SHELL_FOLDERS_KEY + "\\Startup\n\n" + SystemErrors::map(ERROR_FILE_NOT_FOUND),
                  e.getMessage());
    }
}

TEST_F(AutostartDatabaseTest, FolderThatCannotBeListedFailsTheListing)
{
    ScopedRegistryValue elsewhere(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE,
                                  dir.file("nowhere").c_str());
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_TRUE(database.isWorking());
    EXPECT_THROW(database.getItems(), windows::file::CouldNotGetFirstLevelFilesException);
}

TEST_F(AutostartDatabaseTest, CommonStartupUsesTheMachineSetting)
{
    const std::string common = dir.file("Common");
    ::CreateDirectoryA(common.c_str(), nullptr);
    ScratchDirectory::writeFile(common + "\\all.bat", "@echo");
    ScopedRegistryValue setting(HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, COMMON_STARTUP_VALUE,
                                common.c_str());
    AutostartDatabase database(StartupConstants::COMMON_STARTUP, dir.file("lmas\\"));
    EXPECT_EQ(std::vector<std::string>{"7 0 all.bat=" + common + "\\all.bat"},
              describe(database.getItems()));
}

TEST_F(AutostartDatabaseTest, RegistryTypesHaveNoFolder)
{
    AssertionRecorder assertions;
    AutostartDatabase database(StartupConstants::CURRENT_USER_RUN, cuas);
    EXPECT_EQ(std::vector<std::string>{"false"}, assertions.expressions());
    EXPECT_FALSE(database.isWorking());
}

} // namespace
