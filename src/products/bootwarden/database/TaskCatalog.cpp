#include "products/bootwarden/database/TaskCatalog.h"

#include "util/Utf8.h"
#include "windows/com/ComApartment.h"

namespace products::bootwarden::database {

const windows::task::TaskScheduler& TaskCatalog::scheduler()
{
    if (!_scheduler)
        _scheduler.emplace();
    return *_scheduler;
}

TaskCatalog::Listing TaskCatalog::read(const std::function<std::vector<platform::RegisteredTask>()>& list)
{
    Listing listing;
    try {
        for (platform::RegisteredTask& registered : list()) {
            Task task{std::move(registered.path), std::move(registered.xml), registered.enabled, {}, {}};
            try {
                task.definition = windows::task::TaskDefinition::read(task.xml);
            } catch (const windows::task::TaskDefinitionException& e) {
                task.unreadable = e.getMessage();
            }
            listing.tasks.push_back(std::move(task));
        }
    } catch (const exceptions::Exception& e) {
        listing.failure = e.getMessage();
    }
    return listing;
}

void TaskCatalog::refresh()
{
    Listing listing = _background.valid() ? _background.get() : read([this] { return scheduler().tasks(); });
    _listed = true;
    _failure = std::move(listing.failure);
    _tasks = std::move(listing.tasks);
    _byPath.clear();
    for (std::size_t i = 0; i < _tasks.size(); ++i)
        _byPath.emplace(util::Utf8::foldCase(_tasks[i].path), i);
    if (!_failure.empty())
        throw windows::task::TaskSchedulerException(_failure);
}

void TaskCatalog::refreshInBackground(std::function<void()> listed)
{
    if (_background.valid())
        return;
    _background = std::async(std::launch::async, [listed = std::move(listed)] {
        Listing listing = read([] {
            // A thread's connection lives in an apartment of that thread.
            const windows::com::ComApartment apartment;
            return windows::task::TaskScheduler().tasks();
        });
        listed();
        return listing;
    });
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
