#include "windows/task/TaskDefinition.h"

#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"

#include <xmllite.h>

using platform::errorresources::SystemErrors;

namespace windows::task {

namespace {

bool isTrue(const std::string& text)
{
    return text == "true" || text == "1";
}

// "03:00" of "2024-01-01T03:00:00"; the whole text when it has no time.
std::string timeOf(const std::string& start)
{
    const std::size_t t = start.find('T');
    return t == std::string::npos ? start : start.substr(t + 1, 5);
}

// Fills the definition from one text, by the path of elements that holds it.
void take(TaskDefinition& definition, const std::vector<std::string>& path, const std::string& text)
{
    const auto at = [&path](std::initializer_list<const char*> names) {
        if (path.size() != names.size())
            return false;
        std::size_t i = 0;
        for (const char* name : names) {
            if (*name && path[i] != name)
                return false;
            ++i;
        }
        return true;
    };
    // "" stands for any element: each trigger and action is named by its kind.
    if (at({"Task", "RegistrationInfo", "Author"}))
        definition.author = text;
    else if (at({"Task", "RegistrationInfo", "Description"}))
        definition.description = text;
    else if (at({"Task", "Principals", "Principal", "UserId"}) || at({"Task", "Principals", "Principal", "GroupId"}))
        definition.account = text;
    else if (at({"Task", "Settings", "Hidden"}))
        definition.hidden = isTrue(text);
    else if (at({"Task", "Settings", "Enabled"}))
        definition.enabled = isTrue(text);
    else if (at({"Task", "Triggers", "", "StartBoundary"}) && !definition.triggers.empty())
        definition.triggers.back().start = text;
    else if (at({"Task", "Triggers", "", "UserId"}) && !definition.triggers.empty())
        definition.triggers.back().userId = text;
    else if (at({"Task", "Triggers", "", "Enabled"}) && !definition.triggers.empty())
        definition.triggers.back().enabled = isTrue(text);
    else if (at({"Task", "Actions", "Exec", "Command"}) && !definition.actions.empty())
        definition.actions.back().command = text;
    else if (at({"Task", "Actions", "Exec", "Arguments"}) && !definition.actions.empty())
        definition.actions.back().arguments = text;
    else if (at({"Task", "Actions", "ComHandler", "ClassId"}) && !definition.actions.empty())
        definition.actions.back().classId = text;
}

// An element that starts a trigger, an action or a trigger's schedule.
void open(TaskDefinition& definition, const std::vector<std::string>& path)
{
    if (path.size() == 3 && path[0] == "Task" && path[1] == "Triggers")
        definition.triggers.push_back({.kind = path[2], .schedule = {}, .start = {}, .userId = {}});
    else if (path.size() == 3 && path[0] == "Task" && path[1] == "Actions" &&
             (path[2] == "Exec" || path[2] == "ComHandler"))
        definition.actions.push_back({.program = path[2] == "Exec", .command = {}, .arguments = {}, .classId = {}});
    else if (path.size() == 4 && path[1] == "Triggers" && path[3].rfind("ScheduleBy", 0) == 0 &&
             !definition.triggers.empty())
        definition.triggers.back().schedule = path[3];
}

} // namespace

TaskDefinition TaskDefinition::read(const std::string& xml)
{
    platform::ComPtr<IXmlReader> reader;
    HRESULT result = platform::win32().XmlReaderCreateU(xml, reinterpret_cast<IXmlReader**>(reader.put()));
    TaskDefinition definition;
    std::vector<std::string> path;
    std::string text;
    platform::XmlNode node;
    while (SUCCEEDED(result) && (result = platform::win32().XmlReaderReadU(reader.get(), node)) == S_OK) {
        if (node.type == XmlNodeType_Element) {
            path.push_back(node.name);
            open(definition, path);
            text.clear();
            if (node.empty)
                path.pop_back();
        } else if (node.type == XmlNodeType_Text || node.type == XmlNodeType_CDATA) {
            text += node.value;
        } else if (node.type == XmlNodeType_EndElement && !path.empty()) {
            take(definition, path, text);
            text.clear();
            path.pop_back();
        }
    }
    if (FAILED(result))
        throw TaskDefinitionException("The definition of a scheduled task is no XML that can be read.\n\n" +
                                      SystemErrors::map(static_cast<int>(result)));
    return definition;
}

bool TaskDefinition::startsWithWindows() const
{
    for (const Trigger& trigger : triggers)
        if (trigger.enabled && (trigger.kind == "LogonTrigger" || trigger.kind == "BootTrigger"))
            return true;
    return false;
}

std::vector<std::string> TaskDefinition::describeTriggers() const
{
    std::vector<std::string> words;
    for (const Trigger& trigger : triggers) {
        const std::string& kind = trigger.kind;
        std::string said;
        if (kind == "LogonTrigger")
            said = "At sign-in of " + (trigger.userId.empty() ? std::string("any user") : trigger.userId);
        else if (kind == "BootTrigger")
            said = "At startup";
        else if (kind == "CalendarTrigger")
            said = (trigger.schedule == "ScheduleByDay"    ? "Daily at "
                    : trigger.schedule == "ScheduleByWeek" ? "Weekly at "
                                                           : "Monthly at ") +
                   timeOf(trigger.start);
        else if (kind == "TimeTrigger")
            said = "Once, at " + trigger.start;
        else if (kind == "IdleTrigger")
            said = "When the computer is idle";
        else if (kind == "EventTrigger")
            said = "On an event of the event log";
        else if (kind == "RegistrationTrigger")
            said = "When the task is registered";
        else if (kind == "SessionStateChangeTrigger")
            said = "When a session is connected, locked or unlocked";
        else
            said = kind;
        words.push_back(trigger.enabled ? said : said + " (off)");
    }
    return words;
}

std::string TaskDefinition::commandLine() const
{
    for (const Action& action : actions) {
        if (!action.program)
            continue;
        const bool quote = action.command.find(' ') != std::string::npos && action.command.front() != '"';
        const std::string program = quote ? "\"" + action.command + "\"" : action.command;
        return action.arguments.empty() ? program : program + " " + action.arguments;
    }
    return std::string();
}

} // namespace windows::task
