#include "windows/file/WindowsFileHelper.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string errorText(DWORD code)
{
    return SystemErrors::map(static_cast<int>(code));
}

class WindowsFileHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"file_helper"};
};

TEST_F(WindowsFileHelperTest, ListsFilesWithOrWithoutTrailingBackslashLeavingOutFolders)
{
    ScratchDirectory::writeFile(dir.file("a.txt"), "a");
    ScratchDirectory::writeFile(dir.file("b.exe"), "b");
    WindowsFileHelper::createDirectory(dir.file("sub.exe"));

    std::string withoutSlash = dir.path();
    withoutSlash.pop_back();
    for (const std::string& directory : {dir.path(), withoutSlash}) {
        SCOPED_TRACE(directory);
        std::vector<std::string> files = WindowsFileHelper::getFirstLevelFiles(directory, "*.*");
        std::sort(files.begin(), files.end());
        EXPECT_EQ((std::vector<std::string>{dir.file("a.txt"), dir.file("b.exe")}), files);
    }
}

TEST_F(WindowsFileHelperTest, EmptyFolderListsNothing)
{
    EXPECT_TRUE(WindowsFileHelper::getFirstLevelFiles(dir.path(), "*.*").empty());
}

TEST_F(WindowsFileHelperTest, MissingFolderFailsWhenOpeningTheFindHandle)
{
    const std::string missing = dir.file("missing");
    try {
        WindowsFileHelper::getFirstLevelFiles(missing, "*.*");
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotGetFirstLevelFilesException& e) {
        EXPECT_EQ("Error when trying to get first level directories. \nThe error occured when "
                  "opening a find file handle. Initial directory: " +
                      missing + "\n\n" + errorText(ERROR_PATH_NOT_FOUND),
                  e.getMessage());
    }
}

TEST_F(WindowsFileHelperTest, FailureOfTheNextEntryClosesTheHandleAndNamesTheStep)
{
    ScratchDirectory::writeFile(dir.file("a.txt"), "a");
    int closed = 0;
    platform::ScopedOverride next(&platform::Win32Api::FindNextFileA,
                                  failing(FALSE, ERROR_ACCESS_DENIED));
    platform::ScopedOverride close(&platform::Win32Api::FindClose, [&closed](HANDLE handle) {
        ++closed;
        return ::FindClose(handle);
    });
    try {
        WindowsFileHelper::getFirstLevelFiles(dir.path(), "*.*");
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotGetFirstLevelFilesException& e) {
        EXPECT_EQ("Error when trying to get first level directories. \nThe error occured when "
                  "getting the next file. Initial directory: " +
                      dir.path() + "\n\n" + errorText(ERROR_ACCESS_DENIED),
                  e.getMessage());
    }
    EXPECT_EQ(1, closed);
}

TEST_F(WindowsFileHelperTest, TooLongPatternIsReportedAndStillTried)
{
    AssertionRecorder assertions;
    EXPECT_THROW(WindowsFileHelper::getFirstLevelFiles(dir.path() + std::string(260, 'x'), "*.*"),
                 windows::file::CouldNotGetFirstLevelFilesException);
    EXPECT_EQ(std::vector<std::string>{"mask.size() <= MAX_PATH"}, assertions.expressions());
}

TEST_F(WindowsFileHelperTest, CreateDirectoryAcceptsAnExistingOneOnly)
{
    WindowsFileHelper::createDirectory(dir.file("new"));
    WindowsFileHelper::createDirectory(dir.file("new"));
    EXPECT_TRUE(ScratchDirectory::exists(dir.file("new")));

    const std::string orphan = dir.file("no\\parent");
    try {
        WindowsFileHelper::createDirectory(orphan);
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotCreateDirectoryException& e) {
        EXPECT_EQ("Could not create the directory: " + orphan + ". " +
                      errorText(ERROR_PATH_NOT_FOUND),
                  e.getMessage());
    }
}

TEST_F(WindowsFileHelperTest, MoveNeverReplacesAnExistingTarget)
{
    ScratchDirectory::writeFile(dir.file("from"), "new");
    ScratchDirectory::writeFile(dir.file("to"), "old");
    try {
        WindowsFileHelper::moveFile(dir.file("from"), dir.file("to"));
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotMoveFileException& e) {
        EXPECT_EQ("Couldn't move the file: " + dir.file("from") + " to " + dir.file("to") + "\n" +
                      errorText(ERROR_ALREADY_EXISTS),
                  e.getMessage());
    }
    EXPECT_EQ("old", ScratchDirectory::readFile(dir.file("to")));

    WindowsFileHelper::moveFile(dir.file("from"), dir.file("moved"));
    EXPECT_EQ("new", ScratchDirectory::readFile(dir.file("moved")));
    EXPECT_FALSE(ScratchDirectory::exists(dir.file("from")));
}

TEST_F(WindowsFileHelperTest, RefusedMoveLeavesTheFileInPlace)
{
    ScratchDirectory::writeFile(dir.file("locked"), "x");
    platform::ScopedOverride move(&platform::Win32Api::MoveFileA,
                                  failing(FALSE, ERROR_ACCESS_DENIED));
    try {
        WindowsFileHelper::moveFile(dir.file("locked"), dir.file("elsewhere"));
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotMoveFileException& e) {
        EXPECT_EQ("Couldn't move the file: " + dir.file("locked") + " to " + dir.file("elsewhere") +
                      "\n" + errorText(ERROR_ACCESS_DENIED),
                  e.getMessage());
    }
    EXPECT_TRUE(ScratchDirectory::exists(dir.file("locked")));
}

TEST_F(WindowsFileHelperTest, DeleteRemovesTheFileOrSaysWhy)
{
    ScratchDirectory::writeFile(dir.file("gone"), "x");
    WindowsFileHelper::deleteFile(dir.file("gone"));
    EXPECT_FALSE(ScratchDirectory::exists(dir.file("gone")));
    try {
        WindowsFileHelper::deleteFile(dir.file("gone"));
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotDeleteFileException& e) {
        EXPECT_EQ("Couldn't delete the file: " + dir.file("gone") + "\n" +
                      errorText(ERROR_FILE_NOT_FOUND),
                  e.getMessage());
    }
}

TEST(WindowsFileHelperDirectoryTest, CurrentDirectoryRoundTripsAndEndsWithBackslash)
{
    const std::string start = WindowsFileHelper::getCurrentDirectory();
    EXPECT_EQ('\\', start.back());
    ScratchDirectory dir("current_dir");
    WindowsFileHelper::setCurrentDirectory(dir.path());
    EXPECT_EQ(dir.path(), WindowsFileHelper::getCurrentDirectory());
    WindowsFileHelper::setCurrentDirectory(start);

    const std::string missing = dir.file("missing");
    try {
        WindowsFileHelper::setCurrentDirectory(missing);
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotSetCurrentDirectoryException& e) {
        EXPECT_EQ("Could not set the directory, " + missing + ", to the current directory. " +
                      errorText(ERROR_FILE_NOT_FOUND),
                  e.getMessage());
    }
}

TEST(WindowsFileHelperDirectoryTest, FailuresOfTheProcessQueriesCarryTheSystemText)
{
    {
        platform::ScopedOverride fails(&platform::Win32Api::GetCurrentDirectoryA,
                                       failing(DWORD(0), ERROR_ACCESS_DENIED));
        try {
            WindowsFileHelper::getCurrentDirectory();
            FAIL() << "no exception";
        } catch (const windows::file::CouldNotGetCurrentDirectoryException& e) {
            EXPECT_EQ("Couldn't get the current directory.\n " + errorText(ERROR_ACCESS_DENIED),
                      e.getMessage());
        }
    }
    EXPECT_NE(std::string::npos, WindowsFileHelper::getModuleFileName().find("windows_tests.exe"));
    platform::ScopedOverride fails(&platform::Win32Api::GetModuleFileNameA,
                                   failing(DWORD(0), ERROR_INSUFFICIENT_BUFFER));
    try {
        WindowsFileHelper::getModuleFileName();
        FAIL() << "no exception";
    } catch (const windows::file::CouldNotGetModuleFileNameException& e) {
        EXPECT_EQ("Could not get the module filename for the current process: " +
                      errorText(ERROR_INSUFFICIENT_BUFFER),
                  e.getMessage());
    }
}

struct FileTypeCase {
    const char* path;
    bool executable;
    bool shortcut;
};

class FileTypeTest : public testing::TestWithParam<FileTypeCase> {};

TEST_P(FileTypeTest, ExtensionDecidesCaseSensitively)
{
    SCOPED_TRACE(GetParam().path);
    EXPECT_EQ(GetParam().executable, WindowsFileHelper::isExecutable(GetParam().path));
    EXPECT_EQ(GetParam().shortcut, WindowsFileHelper::isShortcut(GetParam().path));
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileTypeTest,
    testing::Values(FileTypeCase{"C:\\a\\b.exe", true, false}, FileTypeCase{"C:\\a\\b.EXE", false, false},
                    FileTypeCase{"b.com", true, false}, FileTypeCase{"b.bat", true, false},
                    FileTypeCase{"b.scr", true, false}, FileTypeCase{"b.vbs", true, false},
                    FileTypeCase{"b.lnk", false, true}, FileTypeCase{"b.LNK", false, false},
                    FileTypeCase{"\"C:\\P F\\app.exe\" /x", true, false},
                    FileTypeCase{"app.exe /x", false, false}, FileTypeCase{"b.txt", false, false}));

} // namespace
