#include "products/bootwarden/database/RegistryBackup.h"

#include "exceptions/IOException.h"
#include "support/Files.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

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

TEST_F(RegistryBackupTest, NoFileMeansNoEntriesAndSaveWritesAZeroCount)
{
    RegistryBackup backup(file);
    EXPECT_TRUE(backup.getEntries(6).empty());
    EXPECT_FALSE(ScratchDirectory::exists(file)) << "nothing is written before save";
    backup.save();
    EXPECT_EQ(std::string(4, '\0'), readFile(file));
}

TEST_F(RegistryBackupTest, LoadsAndSavesTheSameBytesKeepingOrderAndTypes)
{
    writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    ASSERT_EQ(1u, backup.getEntries(6).size());
    EXPECT_EQ("s.exe /c", backup.getEntries(6)[0].getData());
    backup.add(StartupItem(0, 1, "b", "2"));
    backup.add(StartupItem(6, 1, "c", ""));
    backup.save();
    RegistryBackup reloaded(file);
    EXPECT_EQ(2u, reloaded.getEntries(6).size());
    EXPECT_EQ("c", reloaded.getEntries(6)[1].getValue());
    EXPECT_EQ(1u, reloaded.getEntries(0).size());
    reloaded.remove(StartupItem(0, 1, "b", ""));
    reloaded.remove(StartupItem(6, 1, "c", ""));
    reloaded.save();
    EXPECT_EQ(ONE_RECORD, readFile(file));
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
    backup.save();
    EXPECT_NE(std::string::npos, readFile(file).find("\xd0\x9f\xd1\x83\xd1\x81\xd0\xba")) << "written as UTF-8";
}

TEST_F(RegistryBackupTest, DuplicatesAndMissingRemovalsAreReported)
{
    AssertionRecorder assertions;
    RegistryBackup backup(file);
    backup.add(StartupItem(0, 1, "a", "1"));
    backup.add(StartupItem(0, 1, "a", "other"));
    backup.remove(StartupItem(0, 1, "missing", ""));
    EXPECT_EQ((std::vector<std::string>{"i == _entries.end()", "i != _entries.end()"}), assertions.expressions());
    EXPECT_EQ(2u, backup.getEntries(0).size());
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
    backup.save();
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
    backup.add(StartupItem(0, 1, "new", "n.exe"));
    platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_ACCESS_DENIED));
    EXPECT_THROW(backup.save(), io::file::CouldNotSaveFileException);
    EXPECT_EQ(ONE_RECORD, readFile(file));
    EXPECT_EQ(1u, backup.getEntries(0).size());
}

} // namespace
