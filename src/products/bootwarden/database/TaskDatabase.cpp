#include "products/bootwarden/database/TaskDatabase.h"

#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DeletedCopy.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/TaskCatalog.h"
#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"

#include <algorithm>

namespace products::bootwarden::database {

using windows::task::TaskDefinition;

namespace {

// The DLL that serves a COM class, as the class's key names it; empty when none does. The task
// host that loads it is the system's own, so the system's own registry view is asked, whichever
// build asks.
std::string serverOf(const std::string& classId)
{
    try {
        windows::registry::RegistryKeyImpl key(HKEY_CLASSES_ROOT, "CLSID\\" + classId + "\\InprocServer32",
                                               KEY_READ | KEY_WOW64_64KEY, windows::registry::RegistryKeyImpl::OPEN);
        return windows::registry::RegistryReaderImpl(key).readString("");
    } catch (const windows::registry::RegistryException&) {
        return std::string();
    }
}

const TaskDefinition::Action* comHandler(const TaskDefinition& definition)
{
    for (const TaskDefinition::Action& action : definition.actions)
        if (!action.program)
            return &action;
    return nullptr;
}

// The program a task starts: its first program's command line, else its COM handler's DLL.
std::string commandOf(const TaskCatalog::Task& task)
{
    const std::string command = task.definition.commandLine();
    if (!command.empty())
        return command;
    const TaskDefinition::Action* handler = comHandler(task.definition);
    return handler ? serverOf(handler->classId) : std::string();
}

int typeOf(const TaskCatalog::Task& task)
{
    return task.definition.startsWithWindows() ? StartupConstants::SIGN_IN_TASKS : StartupConstants::OTHER_TASKS;
}

std::string joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

} // namespace

TaskDatabase::TaskDatabase(int type, RegistryBackup& backup, TaskCatalog& tasks)
    : StoredDatabase(type, backup), _tasks(&tasks)
{
}

bool TaskDatabase::isListing() const
{
    return _tasks->isListingInBackground();
}

std::vector<StartupItem> TaskDatabase::getItems()
{
    _problem.clear();
    std::vector<StartupItem> items;
    try {
        if (_type == StartupConstants::SIGN_IN_TASKS)
            _tasks->refresh();
        const std::vector<StartupItem> stored = _backup->getEntries(_type);
        for (const TaskCatalog::Task& task : _tasks->tasks()) {
            // A task that runs no program (one that shows a message, say) starts nothing.
            if (task.definition.actions.empty() || typeOf(task) != _type)
                continue;
            StartupItem item(_type, StartupConstants::ENABLED, task.path, commandOf(task), StartupConstants::TEXT_VALUE,
                             std::nullopt);
            const bool disabledHere = std::find(stored.begin(), stored.end(), item) != stored.end();
            if (!task.enabled && disabledHere)
                continue; // listed as stored, below
            if (!task.enabled)
                item.markDisabledBySystem(); // by its owner
            items.push_back(std::move(item));
        }
    } catch (const exceptions::Exception& e) {
        // The tasks disabled here are listed all the same, to be enabled once the service answers.
        _problem = e.getMessage();
    }
    return _backup->withStored(_type, std::move(items));
}

void TaskDatabase::disable(const StartupItem& item)
{
    _backup->storeThenTakeOut(item, item, [this, &item] { _tasks->scheduler().setEnabled(item.getValue(), false); });
}

void TaskDatabase::enable(const StartupItem& item)
{
    _tasks->scheduler().setEnabled(item.getValue(), true);
    // One its owner turned off was never stored.
    if (!item.isDisabledBySystem())
        _backup->drop(item, [tasks = _tasks, path = item.getValue()] { tasks->scheduler().setEnabled(path, false); });
}

void TaskDatabase::remove(const StartupItem& item)
{
    const TaskCatalog::Task* task = _tasks->find(item.getValue());
    // Disabled here, it is stored no more: its definition is.
    std::vector<StartupItem> replaced;
    if (item.getInitialState() == StartupConstants::DISABLED && !item.isDisabledBySystem())
        replaced.push_back(item);
    if (!task) {
        for (const StartupItem& stored : replaced)
            _backup->drop(stored);
        _backup->commit();
        return;
    }
    const StartupItem entry(_type, replaced.empty() ? StartupConstants::ENABLED : StartupConstants::DISABLED,
                            task->path, std::string(item.getData()), StartupConstants::TEXT_VALUE, task->xml);
    keepThenTakeOut(entry, replaced, [this, &task] { _tasks->scheduler().remove(task->path); });
}

StartupItem TaskDatabase::restore(const StartupItem& entry, const StartupItem& copy)
{
    const std::optional<std::string_view> xml = entry.getRawData();
    _tasks->refresh(); // as the service holds them now, the task deleted here gone from them
    if (const TaskCatalog::Task* live = _tasks->find(entry.getValue()))
        throw exceptions::Exception("The task service already holds a task named " + live->path +
                                    ", so the deleted one is left as it is. Delete or disable one of them first.\n"
                                    "In the service: " +
                                    commandOf(*live) + "\nDeleted: " + std::string(entry.getData()));
    const std::string definition = xml ? std::string(*xml) : std::string();
    _tasks->scheduler().add(entry.getValue(), definition);
    const bool disabled = DeletedCopy::nameOf(copy).disabled;
    if (disabled) {
        _tasks->scheduler().setEnabled(entry.getValue(), false);
        _backup->put(entry); // disabled here, as it was
    }
    _backup->drop(copy, [tasks = _tasks, path = entry.getValue()] { tasks->scheduler().remove(path); });
    // Its triggers say which location lists it.
    const int type = TaskDefinition::read(definition).startsWithWindows() ? StartupConstants::SIGN_IN_TASKS
                                                                          : StartupConstants::OTHER_TASKS;
    return StartupItem(type, disabled ? StartupConstants::DISABLED : StartupConstants::ENABLED, entry.getValue(),
                       entry.getSharedData(), StartupConstants::TEXT_VALUE, std::nullopt);
}

std::string TaskDatabase::damage(const StartupItem& copy)
{
    const std::optional<std::string_view> xml = copy.getRawData();
    if (!xml)
        return "Its definition is not kept, so it cannot be restored.";
    try {
        TaskDefinition::read(std::string(*xml));
        return std::string();
    } catch (const exceptions::Exception& e) {
        return "Its definition cannot be read, so it cannot be restored: " + e.getMessage();
    }
}

void TaskDatabase::run(const StartupItem& item)
{
    _tasks->scheduler().run(item.getValue());
}

TaskDatabase::Note TaskDatabase::getNote(const StartupItem& item)
{
    const TaskCatalog::Task* task = _tasks->find(item.getValue());
    if (!task)
        return {};
    if (!task->unreadable.empty())
        return {task->unreadable, true};
    const TaskDefinition& definition = task->definition;
    std::vector<std::string> lines{"Runs: " + joined(definition.describeTriggers(), "; ")};
    if (!definition.account.empty())
        lines.push_back("As: " + definition.account);
    if (!definition.author.empty())
        lines.push_back("Author: " + definition.author);
    if (!definition.description.empty())
        lines.push_back("Description: " + definition.description);
    if (definition.hidden)
        lines.push_back("Hidden in the system's own task list.");
    if (definition.actions.size() > 1)
        lines.push_back("It has " + std::to_string(definition.actions.size()) + " actions; the first is shown.");
    if (const TaskDefinition::Action* handler = comHandler(definition)) {
        const std::string server = serverOf(handler->classId);
        lines.push_back("A COM handler: class " + handler->classId + ", served by " +
                        (server.empty() ? std::string("no DLL the registry names") : server) + ".");
    }
    if (item.isDisabledBySystem())
        lines.push_back("Turned off by its owner, not by Bootwarden.");
    return {joined(lines, "\n")};
}

} // namespace products::bootwarden::database
