#pragma once

#include "products/bootwarden/inspection/ProgramFacts.h"
#include "products/bootwarden/inspection/ProgramInspector.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace products::bootwarden::inspection {

// Learns the facts of programs on a thread of its own, so that hashing a large program never
// holds up the window. The thread starts with the first request, so opening the window costs
// nothing; when answers wait, the window is sent message once, however many there are.
class BackgroundInspector {
public:
    BackgroundInspector(HWND window, UINT message);
    // Waits for the program being checked, not for those still asked for.
    ~BackgroundInspector();

    BackgroundInspector(const BackgroundInspector&) = delete;
    BackgroundInspector& operator=(const BackgroundInspector&) = delete;

    // Asks for the facts of the program the command line starts; nothing when they are asked
    // for already.
    void request(const std::string& commandLine);
    // What the inspector knows of the program as its file is now; none until it has been asked
    // for, and again once the file has changed.
    std::optional<ProgramFacts> known(const std::string& commandLine);
    struct Answer {
        std::string commandLine;
        ProgramFacts facts; // as the inspector's thread learned them
    };
    // What was answered since the last call.
    std::vector<Answer> takeAnswered();

private:
    void work();

    HWND _window;
    UINT _message;
    ProgramInspector _inspector;
    mutable std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<std::string> _asked;
    std::set<std::string> _pending; // asked for and not answered yet
    std::vector<Answer> _answered;
    bool _stopping = false;
    std::thread _thread;
};

} // namespace products::bootwarden::inspection
