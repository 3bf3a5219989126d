#include "windows/task/TaskScheduler.h"

#include "products/bootwarden/database/TaskCatalog.h"
#include "support/Files.h"
#include "windows/com/ComApartment.h"

#include <gtest/gtest.h>

#include <windows.h>

using windows::task::TaskScheduler;
using windows::task::TaskSchedulerException;

namespace {

// Where the service keeps its tasks' definitions, as the 64-bit system sees it.
std::string tasksFolder()
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    return std::string(windows) + (wow64 ? "\\Sysnative" : "\\System32") + "\\Tasks";
}

// The prefix's own task service, where it answers: a task registered by its definition file is
// found by its path, its Enabled flag is set, and a task that is not there fails naming the task
// and the service's error. Wine 8 lists no task of a folder (its collection of tasks counts
// nothing): listing fails naming the folder, which is what the program then reports.
TEST(TaskSchedulerTest, TheSystemsTaskServiceFindsAndChangesATaskByItsPath)
{
    const windows::com::ComApartment com;
    const std::string folder = tasksFolder() + "\\Bootwarden Test";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string definition = "\xFF\xFE";
    for (const char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?><Task version=\"1.2\" "
                                    "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Actions>"
                                    "<Exec><Command>C:\\x.exe</Command></Exec></Actions></Task>"))
        definition += {c, '\0'};
    writeFile(folder + "\\Direct", definition);

    const TaskScheduler scheduler;
    EXPECT_NO_THROW(scheduler.setEnabled("\\Bootwarden Test\\Direct", false));
    try {
        scheduler.setEnabled("\\Bootwarden Test\\Missing", true);
        ADD_FAILURE() << "a missing task was enabled";
    } catch (const TaskSchedulerException& e) {
        EXPECT_NE(std::string::npos, e.getMessage().find("Task: \\Bootwarden Test\\Missing\n\nSystem error message: "))
            << e.getMessage();
    }
    // Listed as the window lists them: on a thread of its own, with a connection of its own.
    products::bootwarden::database::TaskCatalog catalog;
    catalog.refreshInBackground([] {});
    try {
        catalog.refresh();
        EXPECT_NE(nullptr, catalog.find("\\Bootwarden Test\\Direct"));
    } catch (const TaskSchedulerException& e) {
        EXPECT_NE(std::string::npos, e.getMessage().find("Folder: \\")) << e.getMessage();
    }
    ::DeleteFileA((folder + "\\Direct").c_str());
    ::RemoveDirectoryA(folder.c_str());
}

} // namespace
