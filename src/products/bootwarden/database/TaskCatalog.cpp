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
    _listed = true;
    _failure.clear();
    _tasks.clear();
    _byPath.clear();
    std::vector<platform::RegisteredTask> listed;
    try {
        listed = scheduler().tasks();
    } catch (const exceptions::Exception& e) {
        _failure = e.getMessage();
        throw;
    }
    for (platform::RegisteredTask& registered : listed) {
        Task task{std::move(registered.path), std::move(registered.xml), registered.enabled, {}, {}};
        try {
            task.definition = windows::task::TaskDefinition::read(task.xml);
        } catch (const windows::task::TaskDefinitionException& e) {
            task.unreadable = e.getMessage();
        }
        _byPath.emplace(util::Utf8::foldCase(task.path), _tasks.size());
        _tasks.push_back(std::move(task));
    }
}

const std::vector<TaskCatalog::Task>& TaskCatalog::tasks()
{
    if (!_listed)
        refresh();
    if (!_failure.empty())
        throw windows::task::TaskSchedulerException(_failure);
    return _tasks;
}

const TaskCatalog::Task* TaskCatalog::find(const std::string& path)
{
    tasks();
    const auto found = _byPath.find(util::Utf8::foldCase(path));
    return found == _byPath.end() ? nullptr : &_tasks[found->second];
}

} // namespace products::bootwarden::database
