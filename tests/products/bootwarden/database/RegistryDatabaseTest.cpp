#include "products/bootwarden/database/RegistryDatabase.h"

#include "exceptions/IOException.h"
#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "support/Files.h"
#include "support/ScriptedDatabase.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/registry/RegistryException.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;
using products::bootwarden::database::RegistryDatabase;

namespace {

const int USER_RUN = 5;

StartupItem disabled(StartupItem item)
{
    item.setState(1);
    return item;
}

// The current user's real Run key in the test prefix, emptied for each test.
class RegistryDatabaseTest : public testing::Test {
protected:
    ScratchDirectory dir{"registry_database"};
    const std::string file = dir.file("bootwarden.dat");
    RegistryScratch run{HKEY_CURRENT_USER, RUN_KEY};
    RegistryBackup backup{file};
    RegistryDatabase database{USER_RUN, backup};
};

TEST_F(RegistryDatabaseTest, ListsValuesThenStoredEntriesAndDropsCopiesThatAreBack)
{
    run.setString("A", "a.exe");
    run.setString("B", "b.exe");
    backup.add(StartupItem(USER_RUN, 1, "A", "old a.exe"));
    backup.add(StartupItem(USER_RUN, 1, "C", "c.exe"));
    backup.add(StartupItem(0, 1, "D", "d.exe"));
    EXPECT_EQ((std::vector<std::string>{"0 A=a.exe", "0 B=b.exe", "1 C=c.exe"}), describe(database.getItems()));
    EXPECT_FALSE(backup.contains(StartupItem(USER_RUN, 0, "A", "")));
    EXPECT_EQ(1u, backup.getEntries(0).size());
}

TEST_F(RegistryDatabaseTest, DisableAndEnableRoundTripAcrossARestart)
{
    const std::string longCommand = "\"C:\\Program Files\\Tool\\tool.exe\" " + std::string(400, 'o');
    run.setString("Tool", longCommand);
    database.disable(disabled(database.getItems().at(0)));
    EXPECT_FALSE(run.has("Tool"));
    EXPECT_EQ(std::string("\x01\0\0\0", 4), readFile(file).substr(0, 4))
        << "the data file holds the entry as soon as it is disabled";

    RegistryBackup restarted(file);
    RegistryDatabase again(USER_RUN, restarted);
    const std::vector<StartupItem> items = again.getItems();
    EXPECT_EQ(std::vector<std::string>{"1 Tool=" + longCommand}, describe(items));
    again.enable(items.at(0));
    restarted.save();
    DWORD type = 0;
    EXPECT_EQ(longCommand, run.get("Tool", &type).substr(0, longCommand.size()));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(std::string(4, '\0'), readFile(file));
}

TEST_F(RegistryDatabaseTest, AValueStaysWhenItsDisablingCannotBeCompleted)
{
    run.setString("Keep", "k.exe");
    const StartupItem item = disabled(database.getItems().at(0));
    {
        platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
        EXPECT_THROW(database.disable(item), io::file::CouldNotSaveFileException);
    }
    EXPECT_TRUE(run.has("Keep"));
    EXPECT_FALSE(backup.contains(item));
    EXPECT_FALSE(ScratchDirectory::exists(file));

    platform::ScopedOverride refuse(&platform::Win32Api::RegDeleteValueU, [](HKEY, const std::string&) { return LONG(ERROR_ACCESS_DENIED); });
    EXPECT_THROW(database.disable(item), windows::registry::RegistryAccessDeniedException);
    EXPECT_TRUE(run.has("Keep"));
    EXPECT_FALSE(backup.contains(item));
}

TEST_F(RegistryDatabaseTest, ValuesGoneOrBackMeanwhileAndExpandableOnes)
{
    database.disable(StartupItem(USER_RUN, 1, "Gone", "g.exe"));
    EXPECT_TRUE(backup.contains(StartupItem(USER_RUN, 1, "Gone", "")));
    run.setString("Gone", "newer.exe");
    database.enable(StartupItem(USER_RUN, 0, "Gone", "g.exe"));
    EXPECT_EQ("g.exe", run.get("Gone").substr(0, 5)) << "the stored data wins";

    ::SetEnvironmentVariableA("BOOTWARDEN_DIR", "C:\\bw");
    RegistryScratch only{HKEY_CURRENT_USER, RUN_KEY}; // the key afresh, with one expandable value
    only.setString("Exp", "%BOOTWARDEN_DIR%\\e.exe", REG_EXPAND_SZ);
    database.disable(disabled(database.getItems().at(0)));
    database.enable(backup.getEntries(USER_RUN).at(0));
    DWORD type = 0;
    EXPECT_EQ("C:\\bw\\e.exe", only.get("Exp", &type).substr(0, 11));
    EXPECT_EQ(DWORD(REG_SZ), type);
}

TEST_F(RegistryDatabaseTest, DeletingIsFinalForEnabledAndDisabledEntries)
{
    run.setString("Del", "d.exe");
    database.remove(database.getItems().at(0));
    EXPECT_FALSE(run.has("Del"));
    EXPECT_FALSE(ScratchDirectory::exists(file)) << "nothing stored, nothing to write";

    database.disable(StartupItem(USER_RUN, 1, "Old", "o.exe"));
    database.remove(StartupItem(USER_RUN, 1, "Old", "o.exe"));
    EXPECT_EQ(std::string(4, '\0'), readFile(file)) << "written at once";
}

TEST_F(RegistryDatabaseTest, AMissingKeyListsItsStoredEntriesAndIsMadeAgainToEnableThem)
{
    database.disable(StartupItem(USER_RUN, 1, "Kept", "k.exe"));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, RUN_KEY.c_str());
    EXPECT_EQ(std::vector<std::string>{"1 Kept=k.exe"}, describe(database.getItems()));
    database.enable(StartupItem(USER_RUN, 1, "Kept", "k.exe"));
    EXPECT_EQ("k.exe", run.get("Kept").substr(0, 5));

    platform::ScopedOverride denied(&platform::Win32Api::RegOpenKeyExU, failing(LONG(ERROR_ACCESS_DENIED), 0));
    EXPECT_THROW(database.getItems(), windows::registry::RegistryAccessDeniedException) << "only a missing key is empty";
}

} // namespace
