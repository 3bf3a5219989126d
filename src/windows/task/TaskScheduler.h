#pragma once

#include "exceptions/Exception.h"
#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"

#include <string>
#include <vector>

namespace windows::task {

class TaskSchedulerException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// A connection to this machine's task service (Task Scheduler 2.0). Tasks are named by their
// paths, folders included. Every failure names the task and the service's error.
class TaskScheduler {
public:
    // Connects; a service that does not run or answer throws.
    TaskScheduler();
    ~TaskScheduler();
    TaskScheduler(const TaskScheduler&) = delete;
    TaskScheduler& operator=(const TaskScheduler&) = delete;

    // Every registered task of every folder, hidden ones too, folder by folder from the root.
    std::vector<platform::RegisteredTask> tasks() const;
    // The task's own Enabled flag, as the system's tools set it.
    void setEnabled(const std::string& path, bool enabled) const;
    void remove(const std::string& path) const;
    // Registers a task of that path from its whole definition, as the service gave it.
    void add(const std::string& path, const std::string& xml) const;
    // Asks the service to run the task now.
    void run(const std::string& path) const;

private:
    platform::ComPtr<ITaskService> _service;
};

} // namespace windows::task
