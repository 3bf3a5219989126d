#include "products/bootwarden/database/RegistryBackup.h"

#include "exceptions/IOException.h"
#include "io/file/FileLock.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/MessageOf.h"
#include "support/Files.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;

namespace {

// One record written out by hand: type 6, "Setup" -> "s.exe /c".
const std::string ONE_RECORD = std::string("\x01\0\0\0\x06\0\0\0\x01\0\0\0Setup\0s.exe /c\0", 27);

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

TEST_F(RegistryBackupTest, NothingStagedWritesNothing)
{
    RegistryBackup backup(file);
    EXPECT_TRUE(backup.getEntries(6).empty());
    backup.commit();
    EXPECT_FALSE(ScratchDirectory::exists(file)) << "nothing is written with nothing to change";
    backup.drop(StartupItem(6, 1, "absent", ""));
    backup.commit();
    EXPECT_EQ(std::string(4, '\0'), readFile(file));
}

TEST_F(RegistryBackupTest, LoadsAndCommitsTheSameBytesKeepingOrderAndTypes)
{
    writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    ASSERT_EQ(1u, backup.getEntries(6).size());
    EXPECT_EQ("s.exe /c", backup.getEntries(6)[0].getData());
    backup.put(StartupItem(0, 1, "b", "2"));
    backup.put(StartupItem(6, 0, "c", ""));
    EXPECT_EQ((std::vector<std::string>{"Setup=s.exe /c", "c="}), names(backup, 6)) << "staged changes are seen at once";
    backup.commit();
    RegistryBackup reloaded(file);
    EXPECT_EQ((std::vector<std::string>{"Setup=s.exe /c", "c="}), names(reloaded, 6));
    EXPECT_EQ(1, reloaded.getEntries(6)[1].getState()) << "stored means disabled";
    EXPECT_EQ(1u, reloaded.getEntries(0).size());
    reloaded.drop(StartupItem(0, 1, "b", ""));
    reloaded.drop(StartupItem(6, 1, "c", ""));
    reloaded.commit();
    EXPECT_EQ(ONE_RECORD, readFile(file));
}

// The registry matches value names in any case: a name is stored once, as it was last disabled.
TEST_F(RegistryBackupTest, PutReplacesTheNameInAnyCaseAndDropTakesTheExactOne)
{
    RegistryBackup backup(file);
    backup.put(StartupItem(5, 1, "App", "a.exe"));
    backup.put(StartupItem(5, 1, "APP", "b.exe"));
    backup.put(StartupItem(6, 1, "app", "other location"));
    EXPECT_EQ(std::vector<std::string>{"APP=b.exe"}, names(backup, 5));
    EXPECT_TRUE(backup.holds(StartupItem(5, 1, "APP", "b.exe")));
    EXPECT_FALSE(backup.holds(StartupItem(5, 1, "APP", "a.exe"))) << "same name, other command";
    EXPECT_FALSE(backup.holds(StartupItem(5, 1, "App", "b.exe"))) << "same command, other spelling";
    backup.drop(StartupItem(5, 1, "app", "b.exe"));
    EXPECT_EQ(std::vector<std::string>{"APP=b.exe"}, names(backup, 5)) << "dropping means one spelling";
    backup.unstage(StartupItem(5, 1, "APP", ""));
    EXPECT_EQ(std::vector<std::string>{"App=a.exe"}, names(backup, 5));
}

// Two Bootwardens on one data file: each writes its own changes into what the other wrote.
TEST_F(RegistryBackupTest, TwoStoresApplyTheirOwnChangesToWhatIsOnDisk)
{
    RegistryBackup window(file), console(file);
    for (int round = 0; round < 20; ++round) {
        RegistryBackup& one = round % 2 ? window : console;
        RegistryBackup& other = round % 2 ? console : window;
        one.put(StartupItem(5, 1, "one" + std::to_string(round), "x"));
        other.put(StartupItem(5, 1, "other" + std::to_string(round), "y"));
        if (round >= 2)
            one.drop(StartupItem(5, 1, "other" + std::to_string(round - 2), ""));
        one.commit();
        other.commit();
    }
    RegistryBackup onDisk(file);
    std::vector<std::string> expected;
    for (int round = 0; round < 20; ++round)
        expected.push_back("one" + std::to_string(round) + "=x");
    expected.push_back("other18=y");
    expected.push_back("other19=y");
    std::vector<std::string> stored = names(onDisk, 5);
    std::sort(stored.begin(), stored.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, stored) << "every entry once, none lost, none twice";
    window.reload();
    EXPECT_EQ(stored.size(), window.getEntries(5).size()) << "a store reads what the other wrote";
}

TEST_F(RegistryBackupTest, AHeldLockChangesNothingAndSaysWhy)
{
    writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    const io::file::FileLock other(file);
    backup.put(StartupItem(5, 1, "new", "n.exe"));
    int waits = 0;
    platform::ScopedOverride sleep(&platform::Win32Api::Sleep, [&waits](DWORD) { ++waits; });
    EXPECT_EQ("Another Bootwarden is changing the disabled entries, so nothing was changed. Try again when it is "
              "done.\nFile: " + file + ".lock\n\n" + SystemErrors::map(ERROR_SHARING_VIOLATION),
              messageOf<io::file::FileLockedException>([&backup] { backup.commit(); }));
    EXPECT_EQ(100, waits) << "five seconds in steps of 50 ms";
    EXPECT_EQ(ONE_RECORD, readFile(file));
    EXPECT_EQ(1u, backup.getEntries(5).size()) << "still staged";
}

TEST_F(RegistryBackupTest, RecordsOfOlderVersionsAreReadInTheSystemsCodePage)
{
    // "Пуск" in code page 1251 beside a record that is UTF-8 already.
    writeFile(file, std::string("\x02\0\0\0", 4) + std::string("\x05\0\0\0\x01\0\0\0\xcf\xf3\xf1\xea\0C:\\\xcf.exe\0", 22) +
                        std::string("\x05\0\0\0\x01\0\0\0\xd0\x9f\0p.exe\0", 17));
    platform::ScopedOverride cyrillic(&platform::Win32Api::GetACP, [] { return UINT(1251); });
    RegistryBackup backup(file);
    const std::vector<StartupItem> entries = backup.getEntries(5);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("\xd0\x9f\xd1\x83\xd1\x81\xd0\xba", entries[0].getValue());
    EXPECT_EQ("C:\\\xd0\x9f.exe", entries[0].getData());
    EXPECT_EQ("\xd0\x9f", entries[1].getValue()) << "UTF-8 stays as it is";
    backup.put(StartupItem(0, 1, "n", ""));
    backup.commit();
    EXPECT_NE(std::string::npos, readFile(file).find("\xd0\x9f\xd1\x83\xd1\x81\xd0\xba")) << "written as UTF-8";
}

TEST_F(RegistryBackupTest, DamagedFileKeepsItsValidRecordsOnceAndIsKeptBeforeOverwriting)
{
    // The record, an enabled entry, the record again, and one cut short.
    const std::string record = ONE_RECORD.substr(4);
    const std::string damaged = std::string("\x04\0\0\0", 4) + record + std::string("\x06\0\0\0\0\0\0\0On\0o\0", 13) +
                                record + std::string("\x05\0\0\0\x01\0\0\0Cut", 11);
    writeFile(file, damaged);
    AssertionRecorder assertions;
    RegistryBackup backup(file);
    EXPECT_EQ(1u, backup.getEntries(6).size());
    EXPECT_TRUE(assertions.reports().empty()) << "damage is told once, in the report";
    EXPECT_EQ("The data file " + file + " is damaged. The 1 disabled entries that are whole in it were read; "
              "the rest is lost.\nThe damaged file will be kept as " + file +
                  ".damaged when the disabled entries are next saved.",
              backup.getDamageReport());
    backup.drop(StartupItem(6, 1, "absent", ""));
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
    backup.put(StartupItem(0, 1, "new", "n.exe"));
    platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
    EXPECT_THROW(backup.commit(), io::file::CouldNotSaveFileException);
    EXPECT_EQ(ONE_RECORD, readFile(file));
    EXPECT_EQ(1u, backup.getEntries(0).size());
}

} // namespace
