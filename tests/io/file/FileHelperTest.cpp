#include "io/file/FileHelper.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/Win32Fakes.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

namespace {

using io::file::CouldNotLoadFileException;
using io::file::CouldNotSaveFileException;
using io::file::FileHelper;

// The block every message ends with, up to the library's own text.
std::string details(const std::string& name, DWORD error)
{
    return "\nFilename: '" + name + "'\nCurrent Working Directory: " +
           WindowsFileHelper::getCurrentDirectory() + "\n" +
           SystemErrors::map(static_cast<int>(error)) + "\nC++ exception: ";
}

template <class Exception, class Action>
std::string messageOf(Action action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.getMessage();
    }
    return "no exception";
}

class FileHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"file_io"};
};

TEST_F(FileHelperTest, LoadsWholeFilesAndPrefixesWithEveryByte)
{
    const std::string bytes("a\0b\0c", 5);
    ScratchDirectory::writeFile(dir.file("data"), bytes);
    ScratchDirectory::writeFile(dir.file("empty"), "");
    EXPECT_EQ(bytes, FileHelper::loadFile(dir.file("data")));
    EXPECT_EQ(bytes, FileHelper::loadFile(dir.file("data"), 5));
    EXPECT_EQ("a", FileHelper::loadFile(dir.file("data"), 1).substr(0, 1));
    EXPECT_EQ(2u, FileHelper::loadFile(dir.file("data"), 2).size());
    EXPECT_EQ("", FileHelper::loadFile(dir.file("empty")));
}

TEST_F(FileHelperTest, ReadingMoreThanTheFileHoldsIsRefused)
{
    const std::string name = dir.file("data");
    ScratchDirectory::writeFile(name, "12345");
    const std::string message =
        messageOf<CouldNotLoadFileException>([&] { FileHelper::loadFile(name, 6); });
    EXPECT_EQ(0u, message.find("Tried to read a larger number of bytes from a file that it "
                               "contained. Tried to read : 6 File size: 5\nFilename: '" +
                               name + "'"));
    EXPECT_EQ("\nC++ exception: None.", message.substr(message.size() - 21));
}

TEST_F(FileHelperTest, MissingFileFailsToOpenWithTheFullDetails)
{
    const std::string name = dir.file("missing.dat");
    EXPECT_FALSE(FileHelper::fileExists(name));
    const std::string message =
        messageOf<CouldNotLoadFileException>([&] { FileHelper::loadFile(name); });
    const std::string expected = "An error occured when trying to open the file for reading." +
                                 details(name, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(expected, message.substr(0, expected.size()));
    EXPECT_GT(message.size(), expected.size()) << "the stream library's text follows";
}

TEST_F(FileHelperTest, ExistingFilesExistEvenWhenEmpty)
{
    ScratchDirectory::writeFile(dir.file("empty"), "");
    EXPECT_TRUE(FileHelper::fileExists(dir.file("empty")));
}

TEST_F(FileHelperTest, SaveCreatesTruncatesAndLeavesNoTemporary)
{
    const std::string name = dir.file("saved.dat");
    FileHelper::saveFile(name, std::string("x\0y", 3));
    EXPECT_EQ(std::string("x\0y", 3), ScratchDirectory::readFile(name));
    FileHelper::saveFile(name, "");
    EXPECT_TRUE(ScratchDirectory::exists(name));
    EXPECT_EQ("", ScratchDirectory::readFile(name));
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));
}

TEST_F(FileHelperTest, FailedWriteKeepsTheOldFile)
{
    const std::string name = dir.file("kept.dat");
    ScratchDirectory::writeFile(name, "old contents");
    platform::ScopedOverride write(&platform::Win32Api::writeFileStream,
                                   [](std::ofstream&, const std::string&) {
                                       ::SetLastError(ERROR_DISK_FULL);
                                       throw std::ios::failure("disk full");
                                   });
    const std::string message =
        messageOf<CouldNotSaveFileException>([&] { FileHelper::saveFile(name, "new"); });
    EXPECT_EQ(0u, message.find("An error occured when trying to write the file.\nFilename: '" +
                               name + "'\nCurrent Working Directory: "));
    EXPECT_NE(std::string::npos, message.find(SystemErrors::map(ERROR_DISK_FULL)));
    EXPECT_NE(std::string::npos, message.find("\nC++ exception: disk full"));
    EXPECT_EQ("old contents", ScratchDirectory::readFile(name));
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));
}

TEST_F(FileHelperTest, FailedReplaceKeepsTheOldFileAndSaysSo)
{
    const std::string name = dir.file("replace.dat");
    ScratchDirectory::writeFile(name, "old");
    platform::ScopedOverride move(&platform::Win32Api::MoveFileExA,
                                  failing(FALSE, ERROR_ACCESS_DENIED));
    EXPECT_EQ("An error occured when trying to replace the file with its new contents." +
                  details(name, ERROR_ACCESS_DENIED) + "None.",
              messageOf<CouldNotSaveFileException>([&] { FileHelper::saveFile(name, "new"); }));
    EXPECT_EQ("old", ScratchDirectory::readFile(name));
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));
}

TEST_F(FileHelperTest, UnwritableTargetFailsToOpen)
{
    const std::string name = dir.file("no\\such\\dir.dat");
    const std::string message =
        messageOf<CouldNotSaveFileException>([&] { FileHelper::saveFile(name, "x"); });
    EXPECT_EQ(0u, message.find("An error occured when trying to open the file for writing."
                               "\nFilename: '"));
}

TEST_F(FileHelperTest, DetailsSurviveAnUnknownWorkingDirectory)
{
    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryA,
                                       failing(DWORD(0), ERROR_ACCESS_DENIED));
    const std::string message = messageOf<CouldNotLoadFileException>(
        [&] { FileHelper::loadFile(dir.file("missing")); });
    EXPECT_NE(std::string::npos,
              message.find("\nCurrent Working Directory: Couldn't get the current directory. "
                           "Exception: Couldn't get the current directory.\n " +
                           SystemErrors::map(ERROR_ACCESS_DENIED)));
}

} // namespace
