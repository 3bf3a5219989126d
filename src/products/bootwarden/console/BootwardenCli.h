#pragma once

#include "exceptions/ErrorReporter.h"
#include "products/bootwarden/console/Listing.h"
#include "products/bootwarden/inspection/ProgramInspector.h"

#include <optional>
#include <string>
#include <vector>

namespace products::bootwarden {
class StartupItem;
class StartupLocations;
} // namespace products::bootwarden

namespace products::bootwarden::console {

// The console's failure reports: kept for standard error instead of shown in boxes.
class CollectingReporter : public exceptions::ErrorReporter {
public:
    void showError(const std::string& text) override { _text += text + "\n"; }
    const std::string& text() const { return _text; }

private:
    std::string _text;
};

// bootwarden-cli: the window's work from a console, on the same locations, data file and
// folders. Exit codes: 0 done, 1 the change failed, 2 bad usage. compare answers 0 when nothing
// changed, 1 when something did, 2 when the baseline cannot be read.
class BootwardenCli {
public:
    static constexpr int DONE = 0;
    static constexpr int FAILED = 1;
    static constexpr int CHANGED = 1;
    static constexpr int USAGE = 2;

    BootwardenCli(StartupLocations& locations, const CollectingReporter& reporter)
        : _locations(locations), _reporter(reporter)
    {
    }

    // Runs one command (the arguments after the program's name); the exit code.
    int run(const std::vector<std::string>& arguments, std::string& out, std::string& err);

private:
    struct ListOptions {
        std::string format = "table";
        bool verify = false;
        bool hideMicrosoft = false;
    };

    int list(const ListOptions& options, std::string& out, std::string& err);
    int compare(const std::string& baseline, const std::string& format, std::string& out, std::string& err);
    // Every entry of every location that could be listed; the others are reported in err.
    std::vector<Listing::Row> listRows(bool inspect, std::vector<int>& listed, std::string& err);
    // A change the console was asked for: disable, enable or delete the entry of that name in the
    // location, the one in that state when a state is named.
    struct Change {
        std::string command;
        std::string location;
        std::string name;
        std::string state;
        bool dryRun;
    };
    int change(const Change& change, std::string& out, std::string& err);
    Listing::Row rowOf(int type, const StartupItem& item, bool inspect);
    // The entries the console's name may mean for command: one when it is clear, several when
    // the user must spell it exactly.
    std::vector<const StartupItem*> entriesNamed(const std::vector<StartupItem>& items, const Change& change);
    // The name the entry is listed and named by: the location's own, a deleted entry's as it was.
    std::string nameOf(const StartupItem& item);

    StartupLocations& _locations;
    const CollectingReporter& _reporter;
    inspection::ProgramInspector _inspector;
};

} // namespace products::bootwarden::console
