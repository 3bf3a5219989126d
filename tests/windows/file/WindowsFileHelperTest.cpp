#include "windows/file/WindowsFileHelper.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/Files.h"
#include "support/AssertionRecorder.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

#include <functional>

using platform::errorresources::SystemErrors;
using windows::file::WindowsFileHelper;

namespace {

using namespace windows::file;

std::string errorText(DWORD code)
{
    return SystemErrors::map(static_cast<int>(code));
}

class WindowsFileHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"file_helper"};
};

// Every failure says which step failed on which path, with the system's own error.
TEST_F(WindowsFileHelperTest, EveryFailureSaysWhatFailedOnWhichPath)
{
    writeFile(dir.file("from"), "new");
    writeFile(dir.file("to"), "old");
    const std::string listing = "Error when trying to get first level directories. \nThe error occured when ";
    const std::string missing = dir.file("missing");
    const std::pair<std::function<void()>, std::string> failures[] = {
        {[&] { WindowsFileHelper::getFirstLevelEntries(missing, "*.*"); },
         listing + "opening a find file handle. Initial directory: " + missing + "\n\n" +
             errorText(ERROR_PATH_NOT_FOUND)},
        {[&] { WindowsFileHelper::moveFile(dir.file("from"), dir.file("to")); },
         "Couldn't move the file: " + dir.file("from") + " to " + dir.file("to") + "\n" +
             errorText(ERROR_ALREADY_EXISTS)},
        {[&] { WindowsFileHelper::deleteFile(missing); },
         "Couldn't delete the file: " + missing + "\n" + errorText(ERROR_FILE_NOT_FOUND)},
        {[&] { WindowsFileHelper::createDirectory(dir.file("no\\parent")); },
         "Could not create the directory: " + dir.file("no\\parent") + ". " + errorText(ERROR_PATH_NOT_FOUND)},
        {[&] { WindowsFileHelper::setCurrentDirectory(missing); },
         "Could not set the directory, " + missing + ", to the current directory. " + errorText(ERROR_FILE_NOT_FOUND)},
    };
    for (const auto& failure : failures)
        EXPECT_EQ(failure.second, messageOf<windows::file::WindowsFileException>(failure.first));
    EXPECT_EQ("old", readFile(dir.file("to"))) << "a move never replaces";
    WindowsFileHelper::moveFile(dir.file("from"), dir.file("moved"));
    EXPECT_EQ("new", readFile(dir.file("moved")));
    WindowsFileHelper::deleteFile(dir.file("moved"));
    EXPECT_FALSE(WindowsFileHelper::exists(dir.file("moved")));

    int closed = 0;
    {
        platform::ScopedOverride next(&platform::Win32Api::FindNextFileU, failing(FALSE, ERROR_ACCESS_DENIED));
        platform::ScopedOverride close(&platform::Win32Api::FindClose, [&closed](HANDLE handle) {
            ++closed;
            return ::FindClose(handle);
        });
        EXPECT_EQ(listing + "getting the next file. Initial directory: " + dir.path() + "\n\n" +
                      errorText(ERROR_ACCESS_DENIED),
                  messageOf<CouldNotGetFirstLevelFilesException>(
                      [&] { WindowsFileHelper::getFirstLevelEntries(dir.path(), "*.*"); }));
    }
    EXPECT_EQ(1, closed);
    AssertionRecorder assertions;
    EXPECT_THROW(WindowsFileHelper::getFirstLevelEntries(dir.path() + std::string(260, 'x'), "*.*"),
                 CouldNotGetFirstLevelFilesException);
    EXPECT_TRUE(assertions.reports().empty()) << "a long path is an ordinary failure";

    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryU,
                                       failing(DWORD(0), ERROR_ACCESS_DENIED));
    platform::ScopedOverride module(&platform::Win32Api::GetModuleFileNameU,
                                    failing(DWORD(0), ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ("Couldn't get the current directory.\n " + errorText(ERROR_ACCESS_DENIED),
              messageOf<CouldNotGetCurrentDirectoryException>([] { WindowsFileHelper::getCurrentDirectory(); }));
    EXPECT_EQ("Could not get the module filename for the current process: " + errorText(ERROR_INSUFFICIENT_BUFFER),
              messageOf<CouldNotGetModuleFileNameException>([] { WindowsFileHelper::getModuleFileName(); }));
}

} // namespace
