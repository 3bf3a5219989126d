#include "windows/process/ProcessHelper.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/Win32Fakes.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

namespace {

using windows::process::CouldNotCreateProcessException;
using windows::process::CouldNotShellExecuteException;

// A started program runs on its own; give it up to ten seconds to write its line.
std::string awaitTrace(const std::string& path)
{
    std::string trace;
    for (int i = 0; i < 100; ++i) {
        trace = ScratchDirectory::readFile(path);
        if (!trace.empty() && trace.back() == '\n')
            break;
        ::Sleep(100);
    }
    return trace;
}

class ProcessHelperTest : public testing::Test {
protected:
    ScratchDirectory dir{"process_helper"};
};

TEST_F(ProcessHelperTest, CreateProcessStartsAQuotedProgramWithItsArguments)
{
    const std::string trace = dir.file("created.txt");
    const std::string commandLine =
        "\"C:\\windows\\system32\\cmd.exe\" /c echo started> \"" + trace + "\"";
    ProcessHelper::createProcess(commandLine);
    EXPECT_EQ("started\r\n", awaitTrace(trace));
}

TEST_F(ProcessHelperTest, CreateProcessOfAMissingProgramNamesDirectoryAndError)
{
    const std::string missing = dir.file("missing.exe") + " /x";
    try {
        ProcessHelper::createProcess(missing);
        FAIL() << "no exception";
    } catch (const CouldNotCreateProcessException& e) {
        EXPECT_EQ("Couldn't create the process '" + missing + "'\nCurrent working directory: " +
                      WindowsFileHelper::getCurrentDirectory() + "\n" +
                      SystemErrors::map(ERROR_FILE_NOT_FOUND),
                  e.getMessage());
    }
}

TEST_F(ProcessHelperTest, CreateProcessFailureSurvivesAnUnknownDirectory)
{
    platform::ScopedOverride create(&platform::Win32Api::CreateProcessA,
                                    failing(FALSE, ERROR_ACCESS_DENIED));
    platform::ScopedOverride directory(&platform::Win32Api::GetCurrentDirectoryA,
                                       failing(DWORD(0), ERROR_NOT_ENOUGH_MEMORY));
    try {
        ProcessHelper::createProcess("tool.exe");
        FAIL() << "no exception";
    } catch (const CouldNotCreateProcessException& e) {
        EXPECT_EQ("Couldn't create the process 'tool.exe'\nCould not get current working directory. "
                  "Error message: Couldn't get the current directory.\n " +
                      SystemErrors::map(ERROR_NOT_ENOUGH_MEMORY) + "\n" +
                      SystemErrors::map(ERROR_ACCESS_DENIED),
                  e.getMessage());
    }
}

TEST_F(ProcessHelperTest, StartedProcessHandlesAreClosed)
{
    int closed = 0;
    platform::ScopedOverride close(&platform::Win32Api::CloseHandle, [&closed](HANDLE handle) {
        ++closed;
        return ::CloseHandle(handle);
    });
    ProcessHelper::createProcess("C:\\windows\\system32\\cmd.exe /c exit");
    EXPECT_EQ(2, closed);
}

TEST_F(ProcessHelperTest, ShellExecuteOpensADocumentWithItsProgram)
{
    const std::string script = dir.file("opened.bat");
    const std::string trace = dir.file("opened.txt");
    ScratchDirectory::writeFile(script, "@echo opened> \"" + trace + "\"\r\n");
    ProcessHelper::shellExecute(script, "open");
    EXPECT_EQ("opened\r\n", awaitTrace(trace));
}

TEST_F(ProcessHelperTest, ShellExecuteFailureQuotesTheWholeCommand)
{
    platform::ScopedOverride shell(
        &platform::Win32Api::ShellExecuteA,
        failing(reinterpret_cast<HINSTANCE>(SE_ERR_FNF), ERROR_FILE_NOT_FOUND));
    try {
        ProcessHelper::shellExecute("C:\\nowhere\\doc.txt /p", "open");
        FAIL() << "no exception";
    } catch (const CouldNotShellExecuteException& e) {
        EXPECT_EQ("Error when trying to run command (ShellExecute) C:\\nowhere\\doc.txt /p\n" +
                      SystemErrors::map(ERROR_FILE_NOT_FOUND),
                  e.getMessage());
    }
}

TEST_F(ProcessHelperTest, ShellExecuteOfAMissingFileFails)
{
    EXPECT_THROW(ProcessHelper::shellExecute(dir.file("missing.txt"), "open"),
                 CouldNotShellExecuteException);
}

} // namespace
