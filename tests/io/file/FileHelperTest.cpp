#include "io/file/FileHelper.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/Files.h"
#include "support/MessageOf.h"
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
    return "\nFilename: '" + name + "'\nCurrent Working Directory: " + WindowsFileHelper::getCurrentDirectory() +
           "\n" + SystemErrors::map(static_cast<int>(error)) + "\nC++ exception: ";
}

class FileHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"file_io"};
    const std::string name = dir.file("data.dat");
};

TEST_F(FileHelperTest, LoadsWholeFilesOrTheirFirstBytes)
{
    writeFile(name, std::string("a\0b\0c", 5));
    EXPECT_EQ(std::string("a\0b\0c", 5), FileHelper::loadFile(name));
    EXPECT_EQ(std::string("a\0", 2), FileHelper::loadFile(name, 2));
    EXPECT_EQ("Tried to read a larger number of bytes from a file that it contained. Tried to read : 6 "
              "File size: 5" + details(name, ::GetLastError()) + "None.",
              messageOf<CouldNotLoadFileException>([this] { FileHelper::loadFile(name, 6); }));
    writeFile(name, "");
    EXPECT_EQ("", FileHelper::loadFile(name));
}

TEST_F(FileHelperTest, ReadsAFileInPiecesToItsEnd)
{
    writeFile(name, "abc");
    std::string read;
    FileHelper::readFile(name, [&read](std::istream& in, std::size_t size) {
        char piece[2];
        while (in.read(piece, sizeof piece) || in.gcount())
            read.append(piece, static_cast<std::size_t>(in.gcount()));
        read += "/" + std::to_string(size);
    });
    EXPECT_EQ("abc/3", read) << "the end of the file is no failure";
    EXPECT_EQ(0u, messageOf<CouldNotLoadFileException>([this] {
                      FileHelper::readFile(name, [](std::istream&, std::size_t) { throw std::ios::failure("bad sector"); });
                  }).find("An error occured while trying to load the file.\nFilename: '" + name + "'"));
}

TEST_F(FileHelperTest, MissingFileFailsToOpenWithTheFullDetails)
{
    const std::string message = messageOf<CouldNotLoadFileException>([this] { FileHelper::loadFile(name); });
    const std::string expected =
        "An error occured when trying to open the file for reading." + details(name, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(expected, message.substr(0, expected.size()));
    EXPECT_GT(message.size(), expected.size()) << "the stream library's text follows";

    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryU, failing(DWORD(0), ERROR_ACCESS_DENIED));
    EXPECT_NE(std::string::npos, messageOf<CouldNotLoadFileException>([this] { FileHelper::loadFile(name); })
                                     .find("\nCurrent Working Directory: Couldn't get the current directory. "
                                           "Exception: Couldn't get the current directory.\n "));
}

TEST_F(FileHelperTest, SaveReplacesTheFileWholeAndLeavesNoTemporary)
{
    FileHelper::saveFile(name, std::string("x\0y", 3));
    EXPECT_EQ(std::string("x\0y", 3), readFile(name));
    FileHelper::saveFile(name, "");
    EXPECT_TRUE(ScratchDirectory::exists(name));
    EXPECT_EQ("", readFile(name));
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));
    const std::string nowhere = dir.file("no\\dir.dat");
    EXPECT_EQ(0u, messageOf<CouldNotSaveFileException>([&nowhere] { FileHelper::saveFile(nowhere, "x"); })
                      .find("An error occured when trying to open the file for writing.\nFilename: '" + nowhere + "'"))
        << "the message names the file being saved, not its temporary";

    // What a crash may leave: a temporary file, or a folder of that name.
    writeFile(name + ".tmp", "stale");
    FileHelper::saveFile(name, "after a crash");
    ::CreateDirectoryA((name + ".tmp").c_str(), nullptr);
    FileHelper::saveFile(name, "around a folder");
    EXPECT_EQ("around a folder", readFile(name));
    ::RemoveDirectoryA((name + ".tmp").c_str());
}

TEST_F(FileHelperTest, AFailedWriteOrReplaceKeepsTheOldFile)
{
    writeFile(name, "old");
    {
        platform::ScopedOverride write(&platform::Win32Api::writeFileStream, [](std::ofstream&, std::string_view) {
            ::SetLastError(ERROR_DISK_FULL);
            throw std::ios::failure("disk full");
        });
        const std::string message = messageOf<CouldNotSaveFileException>([this] { FileHelper::saveFile(name, "new"); });
        EXPECT_EQ(0u, message.find("An error occured when trying to write the file." + details(name, ERROR_DISK_FULL)));
        EXPECT_NE(std::string::npos, message.find("\nC++ exception: disk full"));
    }
    platform::ScopedOverride replace(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_ACCESS_DENIED));
    EXPECT_EQ("An error occured when trying to replace the file with its new contents." +
                  details(name, ERROR_ACCESS_DENIED) + "None.",
              messageOf<CouldNotSaveFileException>([this] { FileHelper::saveFile(name, "new"); }));
    EXPECT_EQ("old", readFile(name));
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));
}

} // namespace
