#include "products/bootwarden/database/RegistryBackup.h"

#include "io/IOException.h"
#include "platform/Win32Api.h"
#include "products/bootwarden/StartupConstants.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;

namespace {

const int DISABLED = StartupConstants::DISABLED;

// One record written out by hand: type 6, "Setup" -> "s.exe /c".
const std::string ONE_RECORD =
    std::string("\x01\0\0\0", 4) + std::string("\x06\0\0\0\x01\0\0\0Setup\0s.exe /c\0", 23);

class RegistryBackupTest : public testing::Test {
protected:
    ScratchDirectory dir{"backup"};
    const std::string file = dir.file("bootwarden.dat");
};

TEST_F(RegistryBackupTest, NoFileMeansNoEntriesAndSaveWritesAZeroCount)
{
    RegistryBackup backup(file);
    EXPECT_TRUE(backup.getEntries(0).empty());
    EXPECT_FALSE(ScratchDirectory::exists(file)) << "nothing is written before save";
    backup.save();
    EXPECT_EQ(std::string(4, '\0'), ScratchDirectory::readFile(file));
    EXPECT_EQ("", backup.getDamageReport());
}

TEST_F(RegistryBackupTest, LoadsHandWrittenBytesAndSavesTheSameBytes)
{
    ScratchDirectory::writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    const std::vector<StartupItem> entries = backup.getEntries(6);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("Setup", entries[0].getValue());
    EXPECT_EQ("s.exe /c", entries[0].getData());
    EXPECT_EQ(DISABLED, entries[0].getState());
    ScratchDirectory::writeFile(file, "");
    backup.save();
    EXPECT_EQ(ONE_RECORD, ScratchDirectory::readFile(file));
}

TEST_F(RegistryBackupTest, SavedItemsLoadBackInOrderAcrossTypes)
{
    {
        RegistryBackup backup(file);
        backup.add(StartupItem(5, DISABLED, "b", "2"));
        backup.add(StartupItem(0, DISABLED, "a", "1"));
        backup.add(StartupItem(5, DISABLED, "c", ""));
        backup.save();
    }
    RegistryBackup reloaded(file);
    const std::vector<StartupItem> five = reloaded.getEntries(5);
    ASSERT_EQ(2u, five.size());
    EXPECT_EQ("b", five[0].getValue());
    EXPECT_EQ("c", five[1].getValue());
    EXPECT_EQ(1u, reloaded.getEntries(0).size());
    EXPECT_TRUE(reloaded.getEntries(6).empty());
}

TEST_F(RegistryBackupTest, DuplicatesAndMissingRemovalsAreReported)
{
    AssertionRecorder assertions;
    RegistryBackup backup(file);
    backup.add(StartupItem(0, DISABLED, "a", "1"));
    backup.add(StartupItem(0, DISABLED, "a", "other"));
    backup.remove(StartupItem(0, DISABLED, "missing", ""));
    EXPECT_EQ((std::vector<std::string>{"i == _entries.end()", "i != _entries.end()"}),
              assertions.expressions());
    EXPECT_EQ(2u, backup.getEntries(0).size());
    backup.remove(StartupItem(0, DISABLED, "a", ""));
    ASSERT_EQ(1u, backup.getEntries(0).size());
    EXPECT_EQ("other", backup.getEntries(0)[0].getData());
    EXPECT_TRUE(backup.contains(StartupItem(0, 0, "a", "")));
    EXPECT_FALSE(backup.contains(StartupItem(1, 0, "a", "")));
}

TEST_F(RegistryBackupTest, DamagedFileKeepsItsCompleteRecordsAndIsKeptBeforeOverwriting)
{
    // Two records counted; the second ends before its terminators.
    const std::string damaged = std::string("\x02\0\0\0", 4) + ONE_RECORD.substr(4) +
                                std::string("\x05\0\0\0\x01\0\0\0Cut", 11);
    ScratchDirectory::writeFile(file, damaged);
    RegistryBackup backup(file);
    EXPECT_EQ(1u, backup.getEntries(6).size());
    EXPECT_EQ("The data file " + file +
                  " is damaged. The 1 disabled entries stored before the damage were read; "
                  "anything after it is lost.\nThe damaged file will be kept as " +
                  file + ".damaged when the disabled entries are next saved.",
              backup.getDamageReport());
    EXPECT_FALSE(ScratchDirectory::exists(file + ".damaged"));

    backup.save();
    EXPECT_EQ(damaged, ScratchDirectory::readFile(file + ".damaged"));
    EXPECT_EQ(ONE_RECORD, ScratchDirectory::readFile(file));
    EXPECT_EQ("", backup.getDamageReport());
}

TEST_F(RegistryBackupTest, AFileThatExistsButCannotBeReadStopsTheStart)
{
    ::CreateDirectoryA(file.c_str(), nullptr);
    try {
        RegistryBackup backup(file);
        FAIL() << "no exception";
    } catch (const io::file::CouldNotLoadFileException& e) {
        EXPECT_EQ(0u, e.getMessage().find("An error occured when trying to open the file for "
                                          "reading.\nFilename: '" + file + "'"));
    }
}

TEST_F(RegistryBackupTest, FailedSaveKeepsFileAndMemory)
{
    ScratchDirectory::writeFile(file, ONE_RECORD);
    RegistryBackup backup(file);
    backup.add(StartupItem(0, DISABLED, "new", "n.exe"));
    platform::ScopedOverride move(&platform::Win32Api::MoveFileExA,
                                  failing(FALSE, ERROR_ACCESS_DENIED));
    EXPECT_THROW(backup.save(), io::file::CouldNotSaveFileException);
    EXPECT_EQ(ONE_RECORD, ScratchDirectory::readFile(file));
    EXPECT_EQ(1u, backup.getEntries(0).size());
}

} // namespace
