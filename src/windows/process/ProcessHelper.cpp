#include "windows/process/ProcessHelper.h"

#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "windows/file/WindowsFileHelper.h"

using platform::errorresources::SystemErrors;
using windows::file::WindowsFileHelper;

using namespace windows::process;

void ProcessHelper::shellExecute(const std::string& command, const std::string& operation)
{
    const HINSTANCE result = platform::win32().ShellExecuteU(nullptr, operation, command);
    if (reinterpret_cast<UINT_PTR>(result) <= 32)
        throw CouldNotShellExecuteException("Error when trying to run command (ShellExecute) " + command + "\n" +
                                            SystemErrors::map(static_cast<int>(platform::win32().GetLastError())));
}

void ProcessHelper::createProcess(const std::string& commandLine)
{
    PROCESS_INFORMATION process = {};
    if (platform::win32().CreateProcessU(commandLine, NORMAL_PRIORITY_CLASS, &process)) {
        platform::UniqueHandle processHandle(process.hProcess);
        platform::UniqueHandle threadHandle(process.hThread);
        return;
    }
    // Read before the directory query, which may fail and overwrite it.
    const DWORD error = platform::win32().GetLastError();
    std::string directory;
    try {
        directory = "Current working directory: " + WindowsFileHelper::getCurrentDirectory();
    } catch (const windows::file::CouldNotGetCurrentDirectoryException& e) {
        directory = "Could not get current working directory. Error message: " + e.getMessage();
    }
    throw CouldNotCreateProcessException("Couldn't create the process '" + commandLine + "'\n" + directory + "\n" +
                                         SystemErrors::map(static_cast<int>(error)));
}

void ProcessHelper::start(const std::string& command)
{
    try {
        createProcess(command);
    } catch (const CouldNotCreateProcessException& noProgram) {
        // No program by the system's rules: a document or an address opens through the shell;
        // if that fails too, why the program could not be started is the better answer.
        try {
            shellExecute(command, "open");
        } catch (const CouldNotShellExecuteException&) {
            throw noProgram;
        }
    }
}
