#pragma once

#include "products/bootwarden/database/StoredDatabase.h"

#include <string>

namespace products::bootwarden::database {

class RegistryBackup;
class TaskCatalog;

// The scheduled tasks of one task location: those a sign-in or the machine's start triggers, or
// all others that run a program. An entry is named by the task's path; its data is the command
// line of its first action that runs a program (a COM handler's: the DLL that serves it).
// Disabling turns the task's own Enabled flag off, after the data file says that Bootwarden did;
// so a task its owner turned off is told apart (shown switched off) and enabling restores what
// was. Deleting keeps the task's whole definition in the data file first.
class TaskDatabase : public StoredDatabase {
public:
    TaskDatabase(int type, RegistryBackup& backup, TaskCatalog& tasks);

    // The sign-in location lists the tasks again; the other lists what it listed.
    std::vector<StartupItem> getItems() override;
    void enable(const StartupItem& item) override;
    void disable(const StartupItem& item) override;
    // Keeps the whole definition as the deleted task's copy, then deletes the task; a task the
    // service does not delete leaves no copy.
    void remove(const StartupItem& item) override;
    // Registers the definition again, unless the service holds a task of that path.
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override;
    std::string damage(const StartupItem& copy) override;
    // Asks the task service to run it now.
    void run(const StartupItem& item) override;
    std::string getWhere() const override { return "Task Scheduler Library"; }
    // When it runs, as whom, who made it and what it does, in words.
    Note getNote(const StartupItem& item) override;
    std::string getProblem() const override { return _problem; }
    bool isListing() const override;

private:
    TaskCatalog* _tasks;
    std::string _problem;
};

} // namespace products::bootwarden::database
