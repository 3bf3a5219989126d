#include "products/bootwarden/database/RegistryBackup.h"

#include "exceptions/IOException.h"
#include "io/file/FileLock.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/MessageOf.h"
#include "support/Files.h"
#include "support/AssertionRecorder.h"
#include "support/Locations.h"
#include "support/Records.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::errorresources::SystemErrors;

using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;

namespace {

const int MACHINE_RUN = StartupConstants::LOCAL_MACHINE_RUN;
const int RUN = StartupConstants::CURRENT_USER_RUN;
const int RUN_ONCE = StartupConstants::CURRENT_USER_RUN_ONCE;
const std::string SETUP = record(RUN_ONCE, "Setup", "s.exe /c");
const std::string ONE_RECORD = dataFile({SETUP});

class RegistryBackupTest : public testing::Test {
protected:
    ScratchDirectory dir{"backup"};
    const std::string file = dir.file("bootwarden.dat");
};

std::vector<std::string> names(const RegistryBackup& backup, int type)
{
    std::vector<std::string> names;
    for (const StartupItem& item : backup.getEntries(type))
        names.push_back(item.getValue() + "=" + std::string(item.getData()));
    return names;
}

TEST_F(RegistryBackupTest, CommitsStagedChangesOnlyKeepingOrderAndTypes)
{
    RegistryBackup empty(file);
    empty.commit();
    EXPECT_FALSE(ScratchDirectory::exists(file)) << "nothing is written with nothing to change";

    writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    backup.put(StartupItem(MACHINE_RUN, 1, "b", "2"));
    backup.put(StartupItem(RUN_ONCE, 0, "c", ""));
    EXPECT_EQ((std::vector<std::string>{"Setup=s.exe /c", "c="}), names(backup, RUN_ONCE))
        << "staged changes are seen at once";
    backup.commit();
    RegistryBackup reloaded(file);
    EXPECT_EQ((std::vector<std::string>{"Setup=s.exe /c", "c="}), names(reloaded, RUN_ONCE));
    EXPECT_EQ(1, reloaded.getEntries(RUN_ONCE)[1].getState()) << "stored means disabled";
    EXPECT_EQ(1u, reloaded.getEntries(MACHINE_RUN).size());
    reloaded.drop(StartupItem(MACHINE_RUN, 1, "b", ""));
    reloaded.drop(StartupItem(RUN_ONCE, 1, "c", ""));
    reloaded.commit();
    EXPECT_EQ(ONE_RECORD, readFile(file));
}

// The registry matches value names in any case: a name is stored once, as it was last disabled.
TEST_F(RegistryBackupTest, PutReplacesTheNameInAnyCaseAndDropTakesTheExactOne)
{
    RegistryBackup backup(file);
    backup.put(StartupItem(RUN, 1, "App", "a.exe"));
    backup.put(StartupItem(RUN, 1, "APP", "b.exe"));
    backup.put(StartupItem(RUN_ONCE, 1, "app", "other location"));
    EXPECT_EQ(std::vector<std::string>{"APP=b.exe"}, names(backup, RUN));
    EXPECT_TRUE(backup.holds(StartupItem(RUN, 1, "APP", "b.exe")));
    EXPECT_FALSE(backup.holds(StartupItem(RUN, 1, "APP", "a.exe"))) << "same name, other command";
    EXPECT_FALSE(backup.holds(StartupItem(RUN, 1, "App", "b.exe"))) << "same command, other spelling";
    backup.drop(StartupItem(RUN, 1, "app", "b.exe"));
    EXPECT_EQ(std::vector<std::string>{"APP=b.exe"}, names(backup, RUN)) << "dropping means one spelling";
    backup.unstage(StartupItem(RUN, 1, "APP", ""));
    EXPECT_EQ(std::vector<std::string>{"App=a.exe"}, names(backup, RUN));
}

// Two Bootwardens on one data file: each writes its own changes into what the other wrote.
TEST_F(RegistryBackupTest, TwoStoresApplyTheirOwnChangesToWhatIsOnDisk)
{
    RegistryBackup window(file), console(file);
    for (int round = 0; round < 20; ++round) {
        RegistryBackup& one = round % 2 ? window : console;
        RegistryBackup& other = round % 2 ? console : window;
        one.put(StartupItem(RUN, 1, "one" + std::to_string(round), "x"));
        other.put(StartupItem(RUN, 1, "other" + std::to_string(round), "y"));
        if (round >= 2)
            one.drop(StartupItem(RUN, 1, "other" + std::to_string(round - 2), ""));
        one.commit();
        other.commit();
    }
    RegistryBackup onDisk(file);
    std::vector<std::string> expected{"other18=y", "other19=y"};
    for (int round = 0; round < 20; ++round)
        expected.push_back("one" + std::to_string(round) + "=x");
    std::vector<std::string> stored = names(onDisk, RUN);
    std::sort(stored.begin(), stored.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, stored) << "every entry once, none lost, none twice";
    window.reload();
    EXPECT_EQ(stored.size(), window.getEntries(RUN).size()) << "a store reads what the other wrote";
}

TEST_F(RegistryBackupTest, AHeldLockChangesNothingAndSaysWhy)
{
    writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    const io::file::FileLock other(file);
    backup.put(StartupItem(RUN, 1, "new", "n.exe"));
    int waits = 0;
    platform::ScopedOverride sleep(&platform::Win32Api::Sleep, [&waits](DWORD) { ++waits; });
    EXPECT_EQ("Another Bootwarden is changing the disabled entries, so nothing was changed. Try again when it is "
              "done.\nFile: " +
                  file + ".lock\n\n" + SystemErrors::map(ERROR_SHARING_VIOLATION),
              messageOf<io::file::FileLockedException>([&backup] { backup.commit(); }));
    EXPECT_EQ(100, waits) << "five seconds in steps of 50 ms";
    EXPECT_EQ(ONE_RECORD, readFile(file));
    EXPECT_EQ(1u, backup.getEntries(RUN).size()) << "still staged";
}

TEST_F(RegistryBackupTest, RecordsOfOlderVersionsAreReadInTheSystemsCodePage)
{
    // "Пуск" in code page 1251 beside a record that is UTF-8 already.
    writeFile(file, dataFile({record(RUN, "\xcf\xf3\xf1\xea", "C:\\\xcf.exe"), record(RUN, "\xd0\x9f", "p.exe")}));
    platform::ScopedOverride cyrillic(&platform::Win32Api::GetACP, [] { return UINT(1251); });
    RegistryBackup backup(file);
    const std::vector<StartupItem> entries = backup.getEntries(RUN);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("\xd0\x9f\xd1\x83\xd1\x81\xd0\xba", entries[0].getValue());
    EXPECT_EQ("C:\\\xd0\x9f.exe", entries[0].getData());
    EXPECT_EQ("\xd0\x9f", entries[1].getValue()) << "UTF-8 stays as it is";
    backup.put(StartupItem(MACHINE_RUN, 1, "n", ""));
    backup.commit();
    EXPECT_NE(std::string::npos, readFile(file).find("\xd0\x9f\xd1\x83\xd1\x81\xd0\xba")) << "written as UTF-8";
}

TEST_F(RegistryBackupTest, DamagedFileKeepsItsValidRecordsOnceAndIsKeptBeforeOverwriting)
{
    // The record, an enabled entry, the record again, and one cut short.
    const std::string damaged = word(4) + SETUP + record(RUN_ONCE, "On", "o", StartupConstants::ENABLED) + SETUP +
                                record(RUN, "Cut", "").substr(0, 11);
    writeFile(file, damaged);
    AssertionRecorder assertions;
    RegistryBackup backup(file);
    EXPECT_EQ(1u, backup.getEntries(RUN_ONCE).size());
    EXPECT_TRUE(assertions.reports().empty()) << "damage is told once, in the report";
    EXPECT_EQ("The data file " + file +
                  " is damaged. The 1 disabled entries that are whole in it were read; "
                  "the rest is lost.\nThe damaged file will be kept as " +
                  file + ".damaged when the disabled entries are next saved.",
              backup.getDamageReport());
    backup.drop(StartupItem(RUN_ONCE, 1, "absent", ""));
    backup.commit();
    EXPECT_EQ(damaged, readFile(file + ".damaged"));
    EXPECT_EQ(ONE_RECORD, readFile(file));
    EXPECT_EQ("", backup.getDamageReport());
}

TEST_F(RegistryBackupTest, FilesThatCannotBeReadOrWrittenFailLoudly)
{
    ::CreateDirectoryA(file.c_str(), nullptr);
    EXPECT_THROW(RegistryBackup backup(file), io::file::CouldNotLoadFileException);
    ::RemoveDirectoryA(file.c_str());

    writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    backup.put(StartupItem(MACHINE_RUN, 1, "new", "n.exe"));
    platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
    EXPECT_THROW(backup.commit(), io::file::CouldNotSaveFileException);
    EXPECT_EQ(ONE_RECORD, readFile(file));
    EXPECT_EQ(1u, backup.getEntries(MACHINE_RUN).size());
}

// An entry enabled beside its stored copy is taken out again when the copy cannot be dropped; one
// that cannot be taken out stays enabled, is named, and loses its copy at the next save.
TEST_F(RegistryBackupTest, AFailedCommitTakesEnablingBack)
{
    RegistryBackup backup(file);
    backup.put(StartupItem(RUN, 1, "Back", "b.exe"));
    backup.put(StartupItem(RUN, 1, "Stuck", "s.exe"));
    backup.commit();
    const std::vector<StartupItem> stored = backup.getEntries(RUN);
    int takenBack = 0;
    backup.drop(stored.at(0), [&takenBack] { ++takenBack; });
    backup.drop(stored.at(1), [] { throw exceptions::Exception("Access denied."); });
    {
        platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
        const std::string message = messageOf<exceptions::Exception>([&backup] { backup.commit(); });
        EXPECT_EQ("\n\nStuck is enabled all the same: taking it out again failed.\nAccess denied.\nThe data file still "
                  "holds its copy, hidden while it matches the entry; disabling the entry replaces it.",
                  message.substr(message.find("\n\nStuck")));
    }
    EXPECT_EQ(1, takenBack);
    EXPECT_TRUE(backup.tookBack(stored.at(0)));
    EXPECT_FALSE(backup.tookBack(stored.at(1)));
    EXPECT_EQ(std::vector<std::string>{"Back=b.exe"}, names(backup, RUN));
    backup.commit();
    EXPECT_EQ(std::vector<std::string>{"Back=b.exe"}, names(RegistryBackup(file), RUN));
    EXPECT_EQ(1, takenBack) << "what is done stays done";
}

} // namespace
