#include "windows/task/TaskScheduler.h"

#include "platform/errorresources/SystemErrors.h"
#include "windows/service/ServiceManager.h"

#include <taskschd.h>

using platform::errorresources::SystemErrors;

namespace windows::task {

namespace {

const char* const SERVICE = "Schedule";

void check(HRESULT result, const std::string& sentence)
{
    if (FAILED(result))
        throw TaskSchedulerException(sentence + "\n\n" + SystemErrors::map(static_cast<int>(result)));
}

} // namespace

TaskScheduler::TaskScheduler()
{
    // Connecting to a service that does not run waits seconds before it fails; asking costs none.
    if (!windows::service::ServiceManager().isRunning(SERVICE))
        throw TaskSchedulerException(std::string("The task service (") + SERVICE +
                                     ") is not running, so its tasks can be neither listed nor changed.");
    check(platform::win32().TaskServiceConnect(reinterpret_cast<ITaskService**>(_service.put())),
          "Error when connecting to the task service.");
}

TaskScheduler::~TaskScheduler() = default;

std::vector<platform::RegisteredTask> TaskScheduler::tasks() const
{
    std::vector<platform::RegisteredTask> tasks;
    std::vector<std::string> folders{"\\"};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        std::vector<std::string> subfolders;
        check(platform::win32().TaskFolderListU(_service.get(), folders[i], subfolders, tasks),
              "Error when listing the scheduled tasks of a folder. Folder: " + folders[i]);
        folders.insert(folders.end(), subfolders.begin(), subfolders.end());
    }
    return tasks;
}

void TaskScheduler::setEnabled(const std::string& path, bool enabled) const
{
    check(platform::win32().TaskSetEnabledU(_service.get(), path, enabled),
          std::string("Error when ") + (enabled ? "enabling" : "disabling") + " a scheduled task. Task: " + path);
}

void TaskScheduler::remove(const std::string& path) const
{
    check(platform::win32().TaskDeleteU(_service.get(), path), "Error when deleting a scheduled task. Task: " + path);
}

void TaskScheduler::add(const std::string& path, const std::string& xml) const
{
    check(platform::win32().TaskRegisterU(_service.get(), path, xml),
          "Error when registering a scheduled task. Task: " + path);
}

void TaskScheduler::run(const std::string& path) const
{
    check(platform::win32().TaskRunU(_service.get(), path), "Error when running a scheduled task. Task: " + path);
}

} // namespace windows::task
