#include "products/bootwarden/database/AutostartDatabase.h"

#include "platform/errorresources/SystemErrors.h"
#include "products/bootwarden/LocationConstants.h"
#include "support/Files.h"
#include "support/ScriptedDatabase.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/com/ComApartment.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupItem;
using products::bootwarden::database::AutostartDatabase;
using products::bootwarden::database::AutostartDatabaseException;

namespace {

const int USER_STARTUP = 9;

// The current user's Startup folder pointed at a scratch folder, with a scratch folder of
// disabled files beside it.
class AutostartDatabaseTest : public testing::Test {
protected:
    const windows::com::ComApartment com;
    ScratchDirectory dir{"autostart"};
    const std::string startup = dir.file("Startup\\");
    const std::string cuas = dir.file("cuas\\");
    ScopedRegistryValue folderSetting{HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE,
                                      dir.file("Startup").c_str()};

    void SetUp() override { ::CreateDirectoryA(startup.c_str(), nullptr); }
};

TEST_F(AutostartDatabaseTest, ListsProgramsAndResolvableShortcutsOnly)
{
    writeFile(dir.file("tool.exe"), "MZ");
    createShortcut(startup + "a.lnk", dir.file("tool.exe"));
    const std::string target = WindowsFileHelper::extractPathFromShortcut(nullptr, startup + "a.lnk");
    for (const char* name : {"b.exe", "c.txt", "D.EXE"})
        writeFile(startup + name, "MZ");
    writeFile(startup + "broken.lnk", "not a link");
    ::CreateDirectoryA((startup + "e.exe").c_str(), nullptr);
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_TRUE(ScratchDirectory::exists(cuas)) << "the folder of disabled files is made at once";
    EXPECT_EQ((std::vector<std::string>{"0 a.lnk=" + target, "0 b.exe=" + startup + "b.exe"}),
              describe(database.getItems()));
    EXPECT_EQ(USER_STARTUP, database.getItems()[0].getType());
}

TEST_F(AutostartDatabaseTest, DisableMovesFilesAsideAndEnableBringsThemBackUnchanged)
{
    writeFile(startup + "b.exe", "MZ program");
    createShortcut(startup + "a.lnk", "C:\\windows\\system32\\notepad.exe");
    const std::string linkBytes = readFile(startup + "a.lnk");
    const std::string target = WindowsFileHelper::extractPathFromShortcut(nullptr, startup + "a.lnk");
    const CurrentDirectory current(dir.path());
    AutostartDatabase database(USER_STARTUP, ".\\cuas\\");
    for (const StartupItem& item : database.getItems())
        database.disable(item);
    EXPECT_EQ((std::vector<std::string>{"1 a.lnk=" + target, "1 b.exe=.\\cuas\\b.exe"}), describe(database.getItems()));
    EXPECT_TRUE(ScratchDirectory::exists(cuas + "b.exe"));

    for (const StartupItem& item : database.getItems())
        database.enable(item);
    EXPECT_EQ("MZ program", readFile(startup + "b.exe"));
    EXPECT_EQ(linkBytes, readFile(startup + "a.lnk"));

    writeFile(cuas + "b.exe", "taken");
    EXPECT_THROW(database.enable(StartupItem(USER_STARTUP, 1, "b.exe", "")), windows::file::CouldNotMoveFileException);
    EXPECT_EQ("MZ program", readFile(startup + "b.exe"));
}

TEST_F(AutostartDatabaseTest, AnActiveFileWinsOverItsDisabledCopyAndRemoveDeletesBoth)
{
    AutostartDatabase database(USER_STARTUP, cuas);
    writeFile(startup + "b.exe", "active");
    writeFile(cuas + "b.exe", "disabled");
    writeFile(startup + "B2.exe", "active");
    writeFile(cuas + "b2.exe", "disabled, other case");
    EXPECT_EQ((std::vector<std::string>{"0 B2.exe=" + startup + "B2.exe", "0 b.exe=" + startup + "b.exe",
                                        "1 b2.exe=" + cuas + "b2.exe"}),
              describe(database.getItems()));
    EXPECT_FALSE(ScratchDirectory::exists(cuas + "b.exe"));

    writeFile(cuas + "B2.exe", "disabled");
    database.remove(StartupItem(USER_STARTUP, 0, "B2.exe", ""));
    EXPECT_FALSE(ScratchDirectory::exists(startup + "B2.exe"));
    EXPECT_FALSE(ScratchDirectory::exists(cuas + "B2.exe"));
    database.remove(StartupItem(USER_STARTUP, 0, "B2.exe", "")); // in neither folder: nothing
}

TEST_F(AutostartDatabaseTest, AFolderThatCannotBeFoundOrListedFailsTheListing)
{
    {
        ScopedRegistryValue missing(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE, nullptr);
        AutostartDatabase database(USER_STARTUP, cuas);
        EXPECT_FALSE(database.isWorking());
        EXPECT_EQ("The autostart startup database isn't working. Reason: Error when reading a registry key, "
                  "the value doesn't exist. Entry: HKEY_CURRENT_USER\\" + SHELL_FOLDERS_KEY + "\\Startup\n\n" +
                      SystemErrors::map(ERROR_FILE_NOT_FOUND),
                  messageOf<AutostartDatabaseException>([&database] { database.getItems(); }));
    }
    ScopedRegistryValue elsewhere(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE, dir.file("nowhere").c_str());
    AutostartDatabase database(USER_STARTUP, cuas);
    EXPECT_TRUE(database.isWorking());
    EXPECT_THROW(database.getItems(), windows::file::CouldNotGetFirstLevelFilesException);
}

TEST_F(AutostartDatabaseTest, CommonStartupUsesTheMachineSetting)
{
    ScopedRegistryValue setting(HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, COMMON_STARTUP_VALUE, dir.file("Startup").c_str());
    writeFile(startup + "all.bat", "@echo");
    AutostartDatabase database(7, dir.file("lmas\\"));
    EXPECT_EQ(std::vector<std::string>{"0 all.bat=" + startup + "all.bat"}, describe(database.getItems()));
}

} // namespace
