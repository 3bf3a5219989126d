#pragma once

#include "exceptions/ErrorReporter.h"
#include "products/bootwarden/database/StartupDatabase.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Items as "state name=data", one line each, sorted: what a listing shows, whatever its order.
inline std::vector<std::string> describe(const std::vector<products::bootwarden::StartupItem>& items)
{
    std::vector<std::string> lines;
    for (const auto& item : items)
        lines.push_back(std::to_string(item.getState()) + " " + item.getValue() + "=" + std::string(item.getData()));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The item of that name among items; a test without it fails there.
inline const products::bootwarden::StartupItem& itemNamed(const std::vector<products::bootwarden::StartupItem>& items,
                                                          const std::string& name)
{
    const auto found =
        std::find_if(items.begin(), items.end(), [&name](const auto& item) { return item.getValue() == name; });
    if (found == items.end())
        throw std::out_of_range("no item " + name);
    return *found;
}

// The item with the change to disabled pending, as the window's OK passes it on.
inline products::bootwarden::StartupItem disabled(products::bootwarden::StartupItem item)
{
    item.setState(1);
    return item;
}

// A location that lists what a test gives it, records each call as "call value", and first
// lets the test's failure hook throw.
struct ScriptedDatabase : products::bootwarden::database::StartupDatabase {
    using StartupItem = products::bootwarden::StartupItem;

    explicit ScriptedDatabase(int type, std::vector<StartupItem> items = {}) : type(type), items(std::move(items)) {}
    std::vector<StartupItem> getItems() override
    {
        record("list", StartupItem());
        return items;
    }
    void enable(const StartupItem& item) override { record("enable", item); }
    void disable(const StartupItem& item) override { record("disable", item); }
    void stageDisable(const StartupItem& item) override { calls.push_back("stage " + item.getValue()); }
    void commit() override { record("commit", StartupItem()); }
    bool tookBack(const StartupItem& item) const override
    {
        return std::find(takenBack.begin(), takenBack.end(), item.getValue()) != takenBack.end();
    }
    void remove(const StartupItem& item) override { record("remove", item); }
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override
    {
        record("restore", copy);
        return StartupItem(entry.getType(), 0, entry.getValue(), std::string(entry.getData()));
    }
    void forget(const StartupItem& copy) override { record("forget", copy); }
    void run(const StartupItem& item) override { record("run", item); }
    int getType() const override { return type; }
    bool isWorking() const override { return true; }
    std::string getProblem() const override { return problem; }
    std::string getWhere() const override { return "location " + std::to_string(type); }
    Note getNote(const StartupItem&) override { return note; }
    std::string getRegistryKey(const StartupItem& item) override
    {
        return registryKey.empty() ? std::string() : registryKey + "\\" + item.getValue();
    }
    std::string getLabel(const StartupItem& item) override { return label.empty() ? item.getValue() : label; }
    std::string getCommand(const StartupItem& item) override
    {
        record("command", item);
        return std::string(item.getData());
    }

    void record(const std::string& call, const StartupItem& item)
    {
        if (failure)
            failure(item);
        calls.push_back(call + " " + item.getValue());
    }

    int type;
    std::vector<StartupItem> items;
    std::function<void(const StartupItem&)> failure;
    Note note;
    std::string registryKey; // of the location; none when empty
    std::string label;       // every entry's; empty: its name
    std::string problem;
    std::vector<std::string> takenBack; // the names whose enabling a failed commit took back
    std::vector<std::string> calls;
};

struct RecordingReporter : exceptions::ErrorReporter {
    void showError(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};
