#pragma once

#include "platform/Win32Api.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// The task service of a test, in place of the system's for the scope: Wine 8's lists no task of a
// folder and keeps neither the triggers nor the program of a definition, so the tasks here are
// definitions as Windows registers them, by path. The slots it stands for take the path the code
// under test names, and the service is running; every change answers refusal (S_OK unless a test sets a failure).
class TaskServiceFake {
public:
    TaskServiceFake();

    void add(const std::string& path, const std::string& xml, bool enabled = true);
    void remove(const std::string& path) { _tasks.erase(path); }
    bool has(const std::string& path) const { return _tasks.count(path) != 0; }
    bool enabled(const std::string& path) const { return _tasks.at(path).enabled; }
    const std::string& xml(const std::string& path) const { return _tasks.at(path).xml; }

    HRESULT refusal = S_OK;
    // Called before the root folder is listed, on the thread that lists.
    std::function<void()> beforeListing;
    std::vector<std::string> runs;

private:
    std::map<std::string, platform::RegisteredTask> _tasks;
    platform::ScopedOverride<BOOL(SC_HANDLE, LPSERVICE_STATUS)> _running;
    platform::ScopedOverride<HRESULT(ITaskService**)> _connect;
    platform::ScopedOverride<HRESULT(ITaskService*, const std::string&, std::vector<std::string>&,
                                     std::vector<platform::RegisteredTask>&)>
        _list;
    platform::ScopedOverride<HRESULT(ITaskService*, const std::string&, bool)> _enable;
    platform::ScopedOverride<HRESULT(ITaskService*, const std::string&)> _delete;
    platform::ScopedOverride<HRESULT(ITaskService*, const std::string&, const std::string&)> _register;
    platform::ScopedOverride<HRESULT(ITaskService*, const std::string&)> _run;
};

// A definition as Windows' task service gives it: the triggers' and actions' elements inside.
std::string taskXml(const std::string& triggers, const std::string& actions, const std::string& settings = "");
