#include "windows/process/ProcessHelper.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/Files.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

namespace {

using windows::process::CouldNotCreateProcessException;
using windows::process::CouldNotShellExecuteException;

class ProcessHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"process_helper"};
};

TEST_F(ProcessHelperTest, StartsAQuotedProgramWithItsArgumentsAndClosesItsHandles)
{
    int closed = 0;
    platform::ScopedOverride close(&platform::Win32Api::CloseHandle, [&closed](HANDLE handle) {
        ++closed;
        return ::CloseHandle(handle);
    });
    const std::string trace = dir.file("created.txt");
    ProcessHelper::createProcess("\"C:\\windows\\system32\\cmd.exe\" /c echo started> \"" + trace + "\"");
    EXPECT_EQ(2, closed);
    EXPECT_EQ("started\r\n", awaitLine(trace));
}

TEST_F(ProcessHelperTest, ProcessFailuresNameTheDirectoryAndTheError)
{
    const std::string missing = dir.file("missing.exe") + " /x";
    EXPECT_EQ("Couldn't create the process '" + missing + "'\nCurrent working directory: " +
                  WindowsFileHelper::getCurrentDirectory() + "\n" + SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<CouldNotCreateProcessException>([&] { ProcessHelper::createProcess(missing); }));

    platform::ScopedOverride create(&platform::Win32Api::CreateProcessU, failing(FALSE, ERROR_ACCESS_DENIED));
    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryU, failing(DWORD(0), ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ("Couldn't create the process 'tool.exe'\nCould not get current working directory. Error message: "
              "Couldn't get the current directory.\n " + SystemErrors::map(ERROR_NOT_ENOUGH_MEMORY) + "\n" +
                  SystemErrors::map(ERROR_ACCESS_DENIED),
              messageOf<CouldNotCreateProcessException>([] { ProcessHelper::createProcess("tool.exe"); }));
}

TEST_F(ProcessHelperTest, TheShellOpensDocumentsOrSaysWhyNot)
{
    const std::string trace = dir.file("opened.txt");
    writeFile(dir.file("opened.bat"), "@echo opened> \"" + trace + "\"\r\n");
    ProcessHelper::shellExecute(dir.file("opened.bat"), "open");
    EXPECT_EQ("opened\r\n", awaitLine(trace));
    EXPECT_THROW(ProcessHelper::shellExecute(dir.file("missing.txt"), "open"), CouldNotShellExecuteException);

    platform::ScopedOverride shell(&platform::Win32Api::ShellExecuteU,
                                   failing(reinterpret_cast<HINSTANCE>(SE_ERR_FNF), ERROR_FILE_NOT_FOUND));
    EXPECT_EQ("Error when trying to run command (ShellExecute) C:\\nowhere\\doc.txt /p\n" +
                  SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<CouldNotShellExecuteException>(
                  [] { ProcessHelper::shellExecute("C:\\nowhere\\doc.txt /p", "open"); }));
}

TEST_F(ProcessHelperTest, StartsACommandLineAsWindowsDoesAtSignIn)
{
    // Unquoted, with backslashes in its arguments: the system finds the program all the same.
    const std::string trace = dir.file("started.txt");
    ProcessHelper::start("C:\\windows\\system32\\cmd.exe /c echo C:\\a\\b> \"" + trace + "\"");
    EXPECT_EQ("C:\\a\\b\r\n", awaitLine(trace));
    // A document is no program: the shell opens it.
    const std::string opened = dir.file("opened.txt");
    writeFile(dir.file("document.bat"), "@echo opened> \"" + opened + "\"\r\n");
    ProcessHelper::start(dir.file("document.bat"));
    EXPECT_EQ("opened\r\n", awaitLine(opened));
    // Neither: why the program could not be started.
    EXPECT_EQ(0u, messageOf<CouldNotCreateProcessException>([] { ProcessHelper::start("C:\\nowhere\\tool.exe /x"); })
                      .find("Couldn't create the process 'C:\\nowhere\\tool.exe /x'"));
}

} // namespace
