#include "windows/process/ProcessHelper.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/Files.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

using platform::errorresources::SystemErrors;
using windows::file::WindowsFileHelper;

namespace {

using windows::process::CouldNotCreateProcessException;
using windows::process::CouldNotShellExecuteException;

class ProcessHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"process_helper"};
};

// As Windows does at sign-in: a program by its command line, quoted or not, with backslashes
// in its arguments; a document is no program, and the shell opens it. Nothing is left open.
TEST_F(ProcessHelperTest, StartsACommandLineAsWindowsDoesAtSignIn)
{
    int closed = 0;
    platform::ScopedOverride close(&platform::Win32Api::CloseHandle, [&closed](HANDLE handle) {
        ++closed;
        return ::CloseHandle(handle);
    });
    const std::string quoted = dir.file("quoted.txt"), unquoted = dir.file("unquoted.txt");
    ProcessHelper::createProcess("\"C:\\windows\\system32\\cmd.exe\" /c echo started> \"" + quoted + "\"");
    EXPECT_EQ(2, closed);
    EXPECT_EQ("started\r\n", awaitLine(quoted));
    ProcessHelper::start("C:\\windows\\system32\\cmd.exe /c echo C:\\a\\b> \"" + unquoted + "\"");
    EXPECT_EQ("C:\\a\\b\r\n", awaitLine(unquoted));
    const std::string opened = dir.file("opened.txt");
    writeFile(dir.file("document.bat"), "@echo opened> \"" + opened + "\"\r\n");
    ProcessHelper::start(dir.file("document.bat"));
    EXPECT_EQ("opened\r\n", awaitLine(opened));
    EXPECT_THROW(ProcessHelper::shellExecute(dir.file("missing.txt"), "open"), CouldNotShellExecuteException);
}

TEST_F(ProcessHelperTest, FailuresNameTheCommandTheDirectoryAndTheError)
{
    const std::string missing = dir.file("missing.exe") + " /x";
    EXPECT_EQ("Couldn't create the process '" + missing + "'\nCurrent working directory: " +
                  WindowsFileHelper::getCurrentDirectory() + "\n" + SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<CouldNotCreateProcessException>([&] { ProcessHelper::start(missing); }))
        << "neither a program nor a document: why the program could not be started";
    platform::ScopedOverride shell(&platform::Win32Api::ShellExecuteU,
                                   failing(reinterpret_cast<HINSTANCE>(SE_ERR_FNF), ERROR_FILE_NOT_FOUND));
    EXPECT_EQ("Error when trying to run command (ShellExecute) C:\\nowhere\\doc.txt /p\n" +
                  SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<CouldNotShellExecuteException>(
                  [] { ProcessHelper::shellExecute("C:\\nowhere\\doc.txt /p", "open"); }));
    platform::ScopedOverride create(&platform::Win32Api::CreateProcessU, failing(FALSE, ERROR_ACCESS_DENIED));
    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryU,
                                       failing(DWORD(0), ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ("Couldn't create the process 'tool.exe'\nCould not get current working directory. Error message: "
              "Couldn't get the current directory.\n " +
                  SystemErrors::map(ERROR_NOT_ENOUGH_MEMORY) + "\n" + SystemErrors::map(ERROR_ACCESS_DENIED),
              messageOf<CouldNotCreateProcessException>([] { ProcessHelper::createProcess("tool.exe"); }));
}

} // namespace
