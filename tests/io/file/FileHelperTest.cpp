#include "io/file/FileHelper.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/Files.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

using platform::errorresources::SystemErrors;
using windows::file::WindowsFileHelper;

namespace {

using io::file::CouldNotLoadFileException;
using io::file::CouldNotSaveFileException;
using io::file::FileHelper;

// The block every message ends with.
std::string details(const std::string& name, DWORD error)
{
    return "\nFilename: '" + name + "'\nCurrent Working Directory: " + WindowsFileHelper::getCurrentDirectory() + "\n" +
           SystemErrors::map(static_cast<int>(error));
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
              "File size: 5" +
                  details(name, ERROR_HANDLE_EOF),
              messageOf<CouldNotLoadFileException>([this] { FileHelper::loadFile(name, 6); }));
    writeFile(name, "");
    EXPECT_EQ("", FileHelper::loadFile(name));
}

// A reader of the file (another Bootwarden, a virus scanner) holds it for a moment.
TEST_F(FileHelperTest, ReplacingWaitsForAReaderOfTheFile)
{
    writeFile(name, "old");
    int refusals = 2, pauses = 0;
    platform::ScopedOverride pause(&platform::Win32Api::Sleep, [&pauses](DWORD) { ++pauses; });
    platform::ScopedOverride replace(
        &platform::Win32Api::MoveFileExU,
        [&refusals, real = platform::win32().MoveFileExU](const std::string& from, const std::string& to, DWORD flags) {
            if (refusals-- > 0) {
                ::SetLastError(ERROR_SHARING_VIOLATION);
                return FALSE;
            }
            return real(from, to, flags);
        });
    FileHelper::saveFile(name, "new");
    EXPECT_EQ("new", readFile(name));
    EXPECT_EQ(2, pauses);
}

// Each step that can fail names the file and the system's own error, never a library's text.
TEST_F(FileHelperTest, EveryFailureNamesTheFileAndTheSystemsError)
{
    writeFile(name, "old");
    const std::string nowhere = dir.file("no\\dir.dat");
    const std::string folder = dir.file("folder.dat");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const HANDLE held = ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ("An error occured when trying to open the file for reading." + details(name, ERROR_SHARING_VIOLATION),
              messageOf<CouldNotLoadFileException>([this] { FileHelper::loadFile(name); }))
        << "held open by another program";
    ::CloseHandle(held);
    EXPECT_EQ("An error occured when trying to open the file for reading." + details(nowhere, ERROR_PATH_NOT_FOUND),
              messageOf<CouldNotLoadFileException>([&] { FileHelper::loadFile(nowhere); }));
    EXPECT_EQ(0u, messageOf<CouldNotLoadFileException>([&] { FileHelper::loadFile(folder); })
                      .find("An error occured when trying to open the file for reading: a folder of that name is where "
                            "the file should be.\nFilename: '" +
                            folder + "'"));
    {
        platform::ScopedOverride bad(&platform::Win32Api::ReadFile, failing(FALSE, ERROR_CRC));
        EXPECT_EQ("An error occured while trying to load the file." + details(name, ERROR_CRC),
                  messageOf<CouldNotLoadFileException>([this] { FileHelper::loadFile(name); }));
    }
    EXPECT_EQ("An error occured when trying to open the file for writing." + details(nowhere, ERROR_PATH_NOT_FOUND),
              messageOf<CouldNotSaveFileException>([&] { FileHelper::saveFile(nowhere, "x"); }))
        << "the message names the file being saved, not its temporary";
    // Each call a save makes, failing: the file stays as it was.
    const auto saveWith = [this](auto call, DWORD code) {
        platform::ScopedOverride failed(call, failing(FALSE, code));
        platform::ScopedOverride noWait(&platform::Win32Api::Sleep, [](DWORD) {});
        return messageOf<CouldNotSaveFileException>([this] { FileHelper::saveFile(name, "new"); });
    };
    const std::string writing = "An error occured when trying to write the file.";
    EXPECT_EQ(writing + details(name, ERROR_DISK_FULL), saveWith(&platform::Win32Api::WriteFile, ERROR_DISK_FULL));
    EXPECT_EQ(writing + details(name, ERROR_DISK_FULL),
              saveWith(&platform::Win32Api::FlushFileBuffers, ERROR_DISK_FULL));
    EXPECT_EQ("An error occured when trying to replace the file with its new contents." +
                  details(name, ERROR_ACCESS_DENIED),
              saveWith(&platform::Win32Api::MoveFileExU, ERROR_ACCESS_DENIED));
    EXPECT_EQ("old", readFile(name)) << "every failed save keeps the old file";
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));

    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryU,
                                       failing(DWORD(0), ERROR_ACCESS_DENIED));
    EXPECT_NE(std::string::npos, messageOf<CouldNotLoadFileException>([&] { FileHelper::loadFile(nowhere); })
                                     .find("\nCurrent Working Directory: Couldn't get the current directory. "
                                           "Exception: Couldn't get the current directory.\n "));
    ::RemoveDirectoryA(folder.c_str());
}

TEST_F(FileHelperTest, SaveReplacesTheFileWholeAndLeavesNoTemporary)
{
    FileHelper::saveFile(name, std::string("x\0y", 3));
    EXPECT_EQ(std::string("x\0y", 3), readFile(name));
    FileHelper::saveFile(name, "");
    EXPECT_TRUE(ScratchDirectory::exists(name));
    EXPECT_EQ("", readFile(name));
    EXPECT_FALSE(ScratchDirectory::exists(name + ".tmp"));

    // What a crash may leave: a temporary file, or a folder of that name.
    writeFile(name + ".tmp", "stale");
    FileHelper::saveFile(name, "after a crash");
    ::CreateDirectoryA((name + ".tmp").c_str(), nullptr);
    FileHelper::saveFile(name, "around a folder");
    EXPECT_EQ("around a folder", readFile(name));
    ::RemoveDirectoryA((name + ".tmp").c_str());
}

} // namespace
