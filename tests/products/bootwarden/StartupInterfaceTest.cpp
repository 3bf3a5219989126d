#include "products/bootwarden/StartupInterface.h"

#include "exceptions/ErrorReporter.h"
#include "exceptions/Exception.h"
#include "products/bootwarden/database/StartupDatabase.h"
#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using products::bootwarden::StartupInterface;
using products::bootwarden::StartupItem;

namespace {

struct RecordingReporter : ErrorReporter {
    void showError(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Records the calls it gets, or throws what the test sets.
struct ScriptedDatabase : products::bootwarden::database::StartupDatabase {
    explicit ScriptedDatabase(int type) : type(type) {}
    std::vector<StartupItem> getItems() override
    {
        record("list", StartupItem());
        return items;
    }
    void enable(const StartupItem& item) override { record("enable", item); }
    void disable(const StartupItem& item) override { record("disable", item); }
    void remove(const StartupItem& item) override { record("remove", item); }
    int getType() const override { return type; }
    bool isWorking() const override { return true; }
    void record(const std::string& call, const StartupItem& item)
    {
        if (failure)
            failure();
        calls.push_back(call + " " + item.getValue());
    }

    int type;
    std::function<void()> failure;
    std::vector<std::string> calls;
    std::vector<StartupItem> items;
};

TEST(StartupInterfaceTest, DispatchesByTypeAndListsTypesInOrder)
{
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    ScriptedDatabase nine(9), zero(0), five(5), newerFive(5);
    for (ScriptedDatabase* database : {&nine, &zero, &five, &newerFive})
        facade.addDatabase(database);
    EXPECT_EQ((std::vector<int>{0, 5, 9}), facade.getTypes());

    const StartupItem item(5, 0, "A", "B");
    facade.disable(item);
    facade.enable(item);
    facade.remove(item);
    facade.getItems(9);
    EXPECT_TRUE(five.calls.empty()) << "a second database of a type replaces the first";
    EXPECT_EQ((std::vector<std::string>{"disable A", "enable A", "remove A"}), newerFive.calls);
    EXPECT_EQ(std::vector<std::string>{"list "}, nine.calls);
    EXPECT_TRUE(reporter.texts.empty());

    nine.failure = [] { throw exceptions::Exception("unreadable"); };
    EXPECT_THROW(facade.getItems(9), exceptions::Exception) << "listing failures pass through";
}

TEST(StartupInterfaceTest, EachFailingChangeIsReportedWithItsItem)
{
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    ScriptedDatabase five(5);
    facade.addDatabase(&five);
    const StartupItem item(5, 0, "A", "B");
    five.failure = [] { throw exceptions::Exception("M"); };
    facade.disable(item);
    facade.enable(item);
    five.failure = [] { throw std::runtime_error("not ours"); };
    facade.remove(item);
    const std::string itemText = "\n\nType: 5\nState: 0\nValue: A\nData: B\n\n";
    EXPECT_EQ((std::vector<std::string>{
                  "Error while disabling an entry." + itemText + "M",
                  "Error while enabling an entry." + itemText + "M",
                  "Error while deleting an entry. An ... exception was caught." + itemText}),
              reporter.texts);
}

TEST(StartupInterfaceTest, UnservedTypeIsReportedAndNothingHappens)
{
    AssertionRecorder assertions;
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    EXPECT_TRUE(facade.getItems(3).empty());
    facade.enable(StartupItem(3, 0, "A", ""));
    EXPECT_EQ((std::vector<std::string>{"_database.find(type) != _database.end()",
                                        "_database.find(item.getType()) != _database.end()"}),
              assertions.expressions());
    EXPECT_TRUE(reporter.texts.empty());
}

} // namespace
