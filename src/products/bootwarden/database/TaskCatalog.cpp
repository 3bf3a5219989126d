#include "products/bootwarden/database/TaskCatalog.h"

#include "util/Utf8.h"

namespace products::bootwarden::database {

const windows::task::TaskScheduler& TaskCatalog::scheduler()
{
    if (!_scheduler)
        _scheduler.emplace();
    return *_scheduler;
}

void TaskCatalog::refresh()
{
    _listed = false;
    _tasks.clear();
    for (platform::RegisteredTask& registered : scheduler().tasks()) {
        Task task{std::move(registered.path), std::move(registered.xml), registered.enabled, {}, {}};
        try {
            task.definition = windows::task::TaskDefinition::read(task.xml);
        } catch (const windows::task::TaskDefinitionException& e) {
            task.unreadable = e.getMessage();
        }
        _tasks.push_back(std::move(task));
    }
    _listed = true;
}

const std::vector<TaskCatalog::Task>& TaskCatalog::tasks()
{
    if (!_listed)
        refresh();
    return _tasks;
}

const TaskCatalog::Task* TaskCatalog::find(const std::string& path)
{
    for (const Task& task : tasks())
        if (util::Utf8::sameName(task.path, path))
            return &task;
    return nullptr;
}

} // namespace products::bootwarden::database
