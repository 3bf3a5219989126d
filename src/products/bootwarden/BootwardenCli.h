#pragma once

#include "exceptions/ErrorReporter.h"

#include <string>
#include <vector>

namespace products::bootwarden {

class StartupItem;
class StartupLocations;

// The console's failure reports: kept for standard error instead of shown in boxes.
class CollectingReporter : public ErrorReporter {
public:
    void showError(const std::string& text) override { _text += text + "\n"; }
    const std::string& text() const { return _text; }

private:
    std::string _text;
};

// bootwarden-cli: the window's work from a console, on the same locations, data file and
// folders. Exit codes: 0 done, 1 the change failed, 2 bad usage.
class BootwardenCli {
public:
    static constexpr int DONE = 0;
    static constexpr int FAILED = 1;
    static constexpr int USAGE = 2;

    BootwardenCli(StartupLocations& locations, const CollectingReporter& reporter)
        : _locations(locations), _reporter(reporter)
    {
    }

    // Runs one command (the arguments after the program's name); the exit code.
    int run(const std::vector<std::string>& arguments, std::string& out, std::string& err);

private:
    struct Row {
        std::string location;
        std::string where;
        std::string name;
        std::string command;
        std::string state;
        bool programExists;
    };

    int list(const std::string& format, std::string& out, std::string& err);
    int change(const std::string& command, const std::string& location, const std::string& name, bool dryRun,
               std::string& out, std::string& err);
    Row rowOf(int type, const StartupItem& item);
    // The entries the console's name may mean for command: one when it is clear, several when
    // the user must spell it exactly.
    std::vector<const StartupItem*> entriesNamed(const std::vector<StartupItem>& items, const std::string& name,
                                                 const std::string& command);

    StartupLocations& _locations;
    const CollectingReporter& _reporter;
};

} // namespace products::bootwarden
