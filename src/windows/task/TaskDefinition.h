#pragma once

#include "exceptions/Exception.h"

#include <string>
#include <vector>

namespace windows::task {

class TaskDefinitionException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// What a scheduled task's definition (its XML, as the task service registers it) says: when it
// runs, what it runs and as whom. Read with the XML reader Windows ships (XmlLite).
struct TaskDefinition {
    struct Trigger {
        std::string kind;     // the element's name: "LogonTrigger", "CalendarTrigger", ...
        std::string schedule; // a calendar trigger's: "ScheduleByDay", "ScheduleByWeek", ...
        std::string start;    // StartBoundary, "2024-01-01T03:00:00"
        std::string userId;   // a sign-in trigger's user; empty: any user
        bool enabled = true;
    };
    struct Action {
        bool program = true; // Exec; else a COM handler
        std::string command;
        std::string arguments;
        std::string classId; // a COM handler's
    };

    // A text that is no well-formed XML throws.
    static TaskDefinition read(const std::string& xml);

    // Whether one of its triggers that is on starts it when a user signs in or the machine starts.
    bool startsWithWindows() const;
    // Each trigger in words: "At sign-in of any user", "At startup", "Daily at 03:00".
    std::vector<std::string> describeTriggers() const;
    // The program and arguments of the first action that runs a program, as a command line; empty
    // when none does.
    std::string commandLine() const;

    std::vector<Trigger> triggers;
    std::vector<Action> actions;
    std::string author;
    std::string description;
    std::string account; // the principal's user or group
    bool hidden = false;
    bool enabled = true; // its settings' own Enabled
};

} // namespace windows::task
