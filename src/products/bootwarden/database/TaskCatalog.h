#pragma once

#include "windows/task/TaskDefinition.h"
#include "windows/task/TaskScheduler.h"

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace products::bootwarden::database {

// The tasks of the task service as both task locations list them: read once for both, and the
// one connection their changes go through.
class TaskCatalog {
public:
    struct Task {
        std::string path;
        std::string xml;
        bool enabled = true;
        windows::task::TaskDefinition definition;
        // Why its definition could not be read; empty when it could.
        std::string unreadable;
    };

    // Lists every task again, or takes what the listing started in the background found, waiting
    // for it if need be. A failure is thrown, and again by tasks() until the next refresh: both
    // locations are told, and the service is asked once.
    void refresh();
    // Lists every task on a thread of its own, with a connection of its own, so that a window need
    // not wait for the service; listed is called on that thread when it is done. Nothing when such
    // a listing has not been taken by refresh() yet.
    void refreshInBackground(std::function<void()> listed);
    // Whether a listing started in the background waits to be taken.
    bool isListingInBackground() const { return _background.valid(); }
    // As last listed; listed now when they never were.
    const std::vector<Task>& tasks();
    // The listed task of that path (in any case); null when none.
    const Task* find(const std::string& path);
    // Connects when first asked.
    const windows::task::TaskScheduler& scheduler();

private:
    struct Listing {
        std::vector<Task> tasks;
        std::string failure;
    };
    // The tasks that list() gives, each definition read.
    static Listing read(const std::function<std::vector<platform::RegisteredTask>()>& list);

    std::optional<windows::task::TaskScheduler> _scheduler;
    std::vector<Task> _tasks;
    std::unordered_map<std::string, std::size_t> _byPath; // folded
    bool _listed = false;
    std::string _failure;
    std::future<Listing> _background;
};

} // namespace products::bootwarden::database
