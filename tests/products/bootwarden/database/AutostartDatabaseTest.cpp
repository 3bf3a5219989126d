#include "products/bootwarden/database/AutostartDatabase.h"

#include "platform/errorresources/SystemErrors.h"
#include "products/bootwarden/database/DeletedCopy.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "support/Locations.h"
#include "support/Files.h"
#include "support/ScriptedDatabase.h"
#include "support/StartupWorld.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::errorresources::SystemErrors;

using products::bootwarden::LocationTable;
using products::bootwarden::StartupItem;
using products::bootwarden::database::AutostartDatabase;
using products::bootwarden::database::AutostartDatabaseException;
using products::bootwarden::database::DeletedCopy;
using products::bootwarden::database::RegistryBackup;

namespace {

const int USER_STARTUP = StartupConstants::USER_STARTUP;

// A startup world of its own, whose Startup folders are one folder here.
class AutostartDatabaseTest : public testing::Test {
protected:
    StartupWorld world{"autostart"};
    const std::string startup = world.folder(USER_STARTUP);
    // The folder of disabled files as the program names it, and where it lies here.
    const std::string disabledFolder = LocationTable::find(USER_STARTUP)->disabledFolder;
    const std::string disabledHere = world.file(disabledFolder.substr(2));
    RegistryBackup backup{world.file("bootwarden.dat")};
    RegistryScratch commonSetting{
        HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, {COMMON_STARTUP_VALUE}, RegistryScratch::OWN_VIEW};

    void SetUp() override { commonSetting.setString(COMMON_STARTUP_VALUE, startup.substr(0, startup.size() - 1)); }
};

TEST_F(AutostartDatabaseTest, ListsEveryFileWindowsStartsByItsRealName)
{
    writeFile(world.file("tool.exe"), "MZ");
    createShortcut(startup + "Link.LNK", world.file("tool.exe"), "/tray");
    const std::string started[] = {"TOOL.EXE",  "a.com", "b.Bat",         "start-vpn.cmd", "s.scr",
                                   "p.pif",     "v.vbs", "e.VBE",         "j.js",          "k.jse",
                                   "w.wsf",     "h.wsh", "Dashboard.url", "App.appref-ms", "Setup.exe (2).exe",
                                   "broken.lnk"};
    for (const std::string& name : started)
        if (name != "Link.LNK")
            writeFile(startup + name, "x");
    for (const char* ignored : {"readme.txt", "desktop.ini", "Setup.exe (2)", "notes"})
        writeFile(startup + ignored, "x");
    writeFile(startup + "hidden.exe", "MZ");
    ::SetFileAttributesA((startup + "hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ::CreateDirectoryA((startup + "folder.exe").c_str(), nullptr);

    std::vector<std::string> expected{"0 Link.LNK=" + startup + "Link.LNK"};
    for (const std::string& name : started)
        expected.push_back("0 " + name + "=" + startup + name); // a broken shortcut is there all the same
    std::sort(expected.begin(), expected.end());
    for (const int type : {StartupConstants::COMMON_STARTUP, USER_STARTUP}) {
        AutostartDatabase database(type, disabledHere, backup);
        EXPECT_EQ(expected, describe(database.getItems()));
        EXPECT_EQ(type, database.getItems()[0].getType());
    }
    EXPECT_TRUE(ScratchDirectory::exists(disabledHere)) << "the folder of disabled files is made at once";

    AutostartDatabase database(USER_STARTUP, disabledHere, backup);
    // A shortcut's command is read from the link only when it is asked for.
    const auto command = [&](const std::string& name) {
        return database.getCommand(StartupItem(USER_STARTUP, 0, name, startup + name));
    };
    EXPECT_EQ(world.file("tool.exe") + " /tray", command("Link.LNK"));
    EXPECT_EQ(startup + "broken.lnk", command("broken.lnk")) << "a link that leads nowhere is its own path";
    EXPECT_EQ(startup + "a.com", command("a.com"));
}

TEST_F(AutostartDatabaseTest, DisableMovesFilesAsideAndEnableBringsThemBackUnchanged)
{
    writeFile(startup + "b.exe", "MZ program");
    createShortcut(startup + "a.lnk", "C:\\windows\\system32\\notepad.exe");
    const std::string linkBytes = readFile(startup + "a.lnk");
    AutostartDatabase database(USER_STARTUP, disabledFolder, backup);
    for (const StartupItem& item : database.getItems())
        database.disable(item);
    const std::vector<StartupItem> disabled = database.getItems();
    EXPECT_EQ((std::vector<std::string>{"1 a.lnk=" + disabledFolder + "a.lnk", "1 b.exe=" + disabledFolder + "b.exe"}),
              describe(disabled));
    EXPECT_EQ("C:\\windows\\system32\\notepad.exe", database.getCommand(itemNamed(disabled, "a.lnk")));
    EXPECT_TRUE(ScratchDirectory::exists(disabledHere + "b.exe"));

    for (const StartupItem& item : database.getItems())
        database.enable(item);
    EXPECT_EQ("MZ program", readFile(startup + "b.exe"));
    EXPECT_EQ(linkBytes, readFile(startup + "a.lnk"));
}

TEST_F(AutostartDatabaseTest, RunOpensTheFileAsSignInDoesShortcutArgumentsIncluded)
{
    const std::string script = world.file("script.txt"), link = world.file("link.txt");
    writeFile(startup + "start-vpn.cmd", "@echo script> \"" + script + "\"\r\n");
    createShortcut(startup + "Echo.lnk", "C:\\windows\\system32\\cmd.exe", "/c echo shortcut> \"" + link + "\"");
    AutostartDatabase database(USER_STARTUP, disabledHere, backup);
    database.run(StartupItem(USER_STARTUP, 0, "start-vpn.cmd", ""));
    database.run(StartupItem(USER_STARTUP, 0, "Echo.lnk", ""));
    EXPECT_EQ("script\r\n", awaitLine(script));
    EXPECT_EQ("shortcut\r\n", awaitLine(link));
}

TEST_F(AutostartDatabaseTest, AFileSwitchedOffBySystemSettingsIsSwitchedOnAndDeletedWhereItIs)
{
    RegistryScratch approved{HKEY_CURRENT_USER, LocationTable::switchesKey(USER_STARTUP)};
    writeFile(startup + "tray.exe", "MZ");
    approved.set("tray.exe", REG_BINARY, std::string("\x03", 1) + std::string(11, '\x01'));
    AutostartDatabase database(USER_STARTUP, disabledHere, backup);
    const std::vector<StartupItem> items = database.getItems();
    ASSERT_EQ(1u, items.size());
    EXPECT_TRUE(items[0].isDisabledBySystem());
    database.enable(items[0]);
    EXPECT_EQ(std::string("\x02", 1) + std::string(11, '\0'), approved.bytes("tray.exe"));
    EXPECT_EQ("MZ", readFile(startup + "tray.exe"));
    approved.set("tray.exe", REG_BINARY, std::string("\x03", 1) + std::string(11, '\x01'));
    database.remove(database.getItems().at(0));
    EXPECT_FALSE(ScratchDirectory::exists(startup + "tray.exe")) << "deleted from where it is, switched off";
    EXPECT_EQ(1u, backup.getEntries(StartupConstants::DELETED_FROM + USER_STARTUP).size());
}

TEST_F(AutostartDatabaseTest, AFileBackUnderItsNameNeverCostsTheDisabledCopy)
{
    AutostartDatabase database(USER_STARTUP, disabledHere, backup);
    writeFile(startup + "same.exe", "same");
    writeFile(disabledHere + "same.exe", "same");
    writeFile(startup + "Newer.exe", "version 2");
    writeFile(disabledHere + "newer.exe", "version 1");
    EXPECT_EQ((std::vector<std::string>{"0 Newer.exe=" + startup + "Newer.exe", "0 same.exe=" + startup + "same.exe",
                                        "1 newer.exe=" + disabledHere + "newer.exe"}),
              describe(database.getItems()))
        << "an identical copy adds nothing; a different one is shown";
    EXPECT_EQ("same", readFile(disabledHere + "same.exe")) << "listing removes nothing";
    EXPECT_EQ("version 1", readFile(disabledHere + "newer.exe"));

    EXPECT_THROW(database.enable(StartupItem(USER_STARTUP, 1, "newer.exe", "")), AutostartDatabaseException)
        << "the name is taken";
    EXPECT_EQ("version 2", readFile(startup + "Newer.exe"));
    EXPECT_EQ("The folder of disabled files already holds another file named Newer.exe, so the entry is left where it "
              "is. Rename or delete one of them first.\nFolder: " +
                  disabledHere,
              messageOf<AutostartDatabaseException>(
                  [&database] { database.disable(StartupItem(USER_STARTUP, 0, "Newer.exe", "")); }));
    EXPECT_EQ("version 1", readFile(disabledHere + "newer.exe"));

    writeFile(startup + "twin.exe", "twin");
    writeFile(disabledHere + "TWIN.exe", "twin");
    database.disable(StartupItem(USER_STARTUP, 0, "twin.exe", ""));
    EXPECT_EQ("twin", readFile(disabledHere + "twin.exe")) << "a hidden identical copy never blocks disabling";
    EXPECT_FALSE(ScratchDirectory::exists(startup + "twin.exe"));

    database.remove(StartupItem(USER_STARTUP, 0, "same.exe", ""));
    EXPECT_FALSE(ScratchDirectory::exists(startup + "same.exe"));
    EXPECT_FALSE(ScratchDirectory::exists(disabledHere + "same.exe")) << "the identical copy goes with it";
    database.remove(StartupItem(USER_STARTUP, 1, "newer.exe", ""));
    EXPECT_FALSE(ScratchDirectory::exists(disabledHere + "newer.exe"));
    EXPECT_EQ("version 2", readFile(startup + "Newer.exe")) << "the active file is another entry";

    writeFile(startup + "locked.exe", "x");
    ::DeleteFileA(world.file("bootwarden.dat").c_str()); // which no one could read either
    platform::ScopedOverride unreadable(&platform::Win32Api::ReadFile, failing(FALSE, ERROR_LOCK_VIOLATION));
    database.remove(StartupItem(USER_STARTUP, 0, "locked.exe", ""));
    EXPECT_FALSE(ScratchDirectory::exists(startup + "locked.exe"))
        << "a file that cannot be read is there all the same";
}

// A deleted file is moved beside the program; a copy whose file is gone says so and is forgotten
// all the same.
TEST_F(AutostartDatabaseTest, ADeletedFileWhoseCopyIsGoneSaysSoAndIsForgotten)
{
    writeFile(startup + "gone.exe", "x");
    AutostartDatabase database(USER_STARTUP, disabledHere, backup);
    database.remove(StartupItem(USER_STARTUP, 0, "gone.exe", ""));
    const int copies = StartupConstants::DELETED_FROM + USER_STARTUP;
    const StartupItem copy = backup.getEntries(copies).at(0);
    const std::string kept(copy.getData());
    EXPECT_EQ("x", readFile(kept));
    EXPECT_EQ(0u, kept.find(".\\deleted\\"));
    EXPECT_EQ("", database.damage(copy));
    ::DeleteFileA(kept.c_str());
    EXPECT_EQ("Its file " + kept + " is gone, so it cannot be restored.", database.damage(copy));
    EXPECT_THROW(database.restore(DeletedCopy::entryOf(copy), copy), exceptions::Exception);
    database.forget(copy);
    EXPECT_TRUE(RegistryBackup(world.file("bootwarden.dat")).getEntries(copies).empty());
}

TEST_F(AutostartDatabaseTest, AFolderThatCannotBeFoundOrListedFailsTheListing)
{
    const std::string entry = " Entry: HKEY_CURRENT_USER\\" + SHELL_FOLDERS_KEY + "\\Startup";
    const std::pair<const char*, std::string> settings[] = {
        {nullptr, "Error when reading a registry key, the value doesn't exist." + entry + "\n\n" +
                      SystemErrors::map(ERROR_FILE_NOT_FOUND)},
        {"", "The location of the Startup folder is empty." + entry}, // least of all the drive's root
    };
    for (const auto& setting : settings) {
        RegistryScratch value(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, {STARTUP_VALUE}, RegistryScratch::OWN_VIEW);
        if (setting.first)
            value.setString(STARTUP_VALUE, setting.first);
        AutostartDatabase database(USER_STARTUP, disabledHere, backup);
        EXPECT_FALSE(database.isWorking());
        EXPECT_EQ("The autostart startup database isn't working. Reason: " + setting.second,
                  messageOf<AutostartDatabaseException>([&database] { database.getItems(); }));
    }
    {
        // A file where the folder of disabled files belongs hides nothing that is active.
        writeFile(startup + "a.exe", "MZ");
        writeFile(world.file("common disabled"), "not a folder");
        AutostartDatabase database(USER_STARTUP, world.file("common disabled\\"), backup);
        EXPECT_EQ(std::vector<std::string>{"0 a.exe=" + startup + "a.exe"}, describe(database.getItems()));
        EXPECT_EQ(0u, database.getProblem().find("The disabled entries of this folder could not be listed.\n\n"));
    }
    RegistryScratch elsewhere(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, {STARTUP_VALUE}, RegistryScratch::OWN_VIEW);
    elsewhere.setString(STARTUP_VALUE, world.file("nowhere"));
    AutostartDatabase database(USER_STARTUP, disabledHere, backup);
    EXPECT_TRUE(database.isWorking());
    EXPECT_THROW(database.getItems(), windows::file::CouldNotGetFirstLevelFilesException);
}

} // namespace
