#include "products/bootwarden/database/RegistryDatabase.h"

#include "io/IOException.h"
#include "platform/Win32Api.h"
#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/registry/RegistryException.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;
using products::bootwarden::database::RegistryDatabase;

namespace {

const int ENABLED = StartupConstants::ENABLED;
const int DISABLED = StartupConstants::DISABLED;
const int USER_RUN = StartupConstants::CURRENT_USER_RUN;

std::vector<std::string> describe(const std::vector<StartupItem>& items)
{
    std::vector<std::string> lines;
    for (const StartupItem& item : items)
        lines.push_back(std::to_string(item.getState()) + " " + item.getValue() + "=" + item.getData());
    return lines;
}

StartupItem disabled(const StartupItem& item)
{
    StartupItem copy = item;
    copy.setState(DISABLED);
    return copy;
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

TEST_F(RegistryDatabaseTest, KeyLocationsFollowTheTypes)
{
    EXPECT_EQ(HKEY_LOCAL_MACHINE, RegistryDatabase::getKeyLocation(0).root);
    EXPECT_EQ(RUN_ONCE_EX_KEY, RegistryDatabase::getKeyLocation(2).subKey);
    EXPECT_EQ(RUN_SERVICES_ONCE_KEY, RegistryDatabase::getKeyLocation(4).subKey);
    EXPECT_EQ(HKEY_CURRENT_USER, RegistryDatabase::getKeyLocation(6).root);
    EXPECT_EQ(RUN_ONCE_KEY, RegistryDatabase::getKeyLocation(6).subKey);

    AssertionRecorder assertions;
    EXPECT_EQ("", RegistryDatabase::getKeyLocation(7).subKey);
    RegistryDatabase::getKeyLocation(11);
    EXPECT_EQ((std::vector<std::string>{"false", "type < StartupConstants::MAX_TYPES", "false"}),
              assertions.expressions());
}

TEST_F(RegistryDatabaseTest, ListsValuesThenStoredEntriesAndDropsCopiesThatAreBack)
{
    run.setString("A", "a.exe");
    run.setString("B", "b.exe");
    backup.add(StartupItem(USER_RUN, DISABLED, "A", "old a.exe"));
    backup.add(StartupItem(USER_RUN, DISABLED, "C", "c.exe"));
    backup.add(StartupItem(0, DISABLED, "D", "d.exe"));

    EXPECT_EQ((std::vector<std::string>{"0 A=a.exe", "0 B=b.exe", "1 C=c.exe"}),
              describe(database.getItems()));
    EXPECT_FALSE(backup.contains(StartupItem(USER_RUN, 0, "A", "")));
    EXPECT_EQ(1u, backup.getEntries(0).size());
}

TEST_F(RegistryDatabaseTest, DisableAndEnableRoundTripAcrossARestart)
{
    const std::string longCommand = "\"C:\\Program Files\\Tool\\tool.exe\" " + std::string(400, 'o');
    run.setString("Tool", longCommand);
    const StartupItem listed = database.getItems().at(0);

    database.disable(disabled(listed));
    EXPECT_FALSE(run.has("Tool"));
    EXPECT_EQ(std::string("\x01\0\0\0", 4), ScratchDirectory::readFile(file).substr(0, 4))
        << "the data file holds the entry as soon as it is disabled";

    RegistryBackup restarted(file);
    RegistryDatabase again(USER_RUN, restarted);
    const std::vector<StartupItem> items = again.getItems();
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(DISABLED, items[0].getState());
    EXPECT_EQ(longCommand, items[0].getData());

    StartupItem toEnable = items[0];
    toEnable.setState(ENABLED);
    again.enable(toEnable);
    restarted.save();
    DWORD type = 0;
    EXPECT_EQ(longCommand, run.get("Tool", &type).substr(0, longCommand.size()));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(std::string(4, '\0'), ScratchDirectory::readFile(file));
}

TEST_F(RegistryDatabaseTest, UnwritableDataFileKeepsTheValueAndTheStore)
{
    run.setString("Keep", "k.exe");
    const StartupItem item = disabled(database.getItems().at(0));
    platform::ScopedOverride move(&platform::Win32Api::MoveFileExA,
                                  failing(FALSE, ERROR_DISK_FULL));
    EXPECT_THROW(database.disable(item), io::file::CouldNotSaveFileException);
    EXPECT_TRUE(run.has("Keep"));
    EXPECT_FALSE(backup.contains(item));
    EXPECT_FALSE(ScratchDirectory::exists(file));
}

TEST_F(RegistryDatabaseTest, RefusedDeletionKeepsTheValueAndDropsTheStoredCopy)
{
    run.setString("Keep", "k.exe");
    const StartupItem item = disabled(database.getItems().at(0));
    platform::ScopedOverride refuse(&platform::Win32Api::RegDeleteValueA,
                                    [](HKEY, LPCSTR) { return LONG(ERROR_ACCESS_DENIED); });
    EXPECT_THROW(database.disable(item), windows::registry::RegistryAccessDeniedException);
    EXPECT_TRUE(run.has("Keep"));
    EXPECT_FALSE(backup.contains(item));
}

TEST_F(RegistryDatabaseTest, DisablingAValueThatIsAlreadyGoneStillStoresIt)
{
    database.disable(StartupItem(USER_RUN, DISABLED, "Gone", "g.exe"));
    EXPECT_TRUE(backup.contains(StartupItem(USER_RUN, DISABLED, "Gone", "")));
}

TEST_F(RegistryDatabaseTest, EnablingOverwritesAValueCreatedMeanwhile)
{
    backup.add(StartupItem(USER_RUN, DISABLED, "X", "stored.exe"));
    run.setString("X", "newer.exe");
    database.enable(StartupItem(USER_RUN, ENABLED, "X", "stored.exe"));
    EXPECT_EQ("stored.exe", run.get("X").substr(0, 10));
    EXPECT_FALSE(backup.contains(StartupItem(USER_RUN, 0, "X", "")));
}

TEST_F(RegistryDatabaseTest, ExpandableEntryComesBackAsItsExpandedText)
{
    ::SetEnvironmentVariableA("BOOTWARDEN_DIR", "C:\\bw");
    run.set("Exp", REG_EXPAND_SZ, std::string("%BOOTWARDEN_DIR%\\e.exe\0", 23));
    database.disable(disabled(database.getItems().at(0)));
    database.enable(backup.getEntries(USER_RUN).at(0));
    DWORD type = 0;
    EXPECT_EQ("C:\\bw\\e.exe", run.get("Exp", &type).substr(0, 11));
    EXPECT_EQ(DWORD(REG_SZ), type);
}

TEST_F(RegistryDatabaseTest, DeletingADisabledEntryIsFinalAtOnce)
{
    database.disable(StartupItem(USER_RUN, DISABLED, "Old", "o.exe"));
    database.remove(StartupItem(USER_RUN, DISABLED, "Old", "o.exe"));
    EXPECT_FALSE(backup.contains(StartupItem(USER_RUN, 0, "Old", "")));
    EXPECT_EQ(std::string(4, '\0'), ScratchDirectory::readFile(file));
}

TEST_F(RegistryDatabaseTest, DeletingAnEnabledEntryDeletesItsValue)
{
    run.setString("Del", "d.exe");
    database.remove(database.getItems().at(0));
    EXPECT_FALSE(run.has("Del"));
    EXPECT_FALSE(ScratchDirectory::exists(file)) << "nothing stored, nothing to write";
}

TEST_F(RegistryDatabaseTest, MissingKeyHidesItsStoredEntries)
{
    RegistryBackup store(file);
    store.add(StartupItem(StartupConstants::LOCAL_MACHINE_RUN_SERVICES, DISABLED, "S", "s.exe"));
    RegistryDatabase services(StartupConstants::LOCAL_MACHINE_RUN_SERVICES, store);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, RUN_SERVICES_KEY.c_str());
    EXPECT_THROW(services.getItems(), windows::registry::RegistryKeyNotFoundException);
}

} // namespace
