#include "products/bootwarden/StartupInterface.h"

#include "exceptions/ErrorReporter.h"
#include "exceptions/Exception.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/StartupDatabase.h"
#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

#include <stdexcept>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupInterface;
using products::bootwarden::StartupItem;
using products::bootwarden::database::StartupDatabase;

namespace {

class RecordingReporter : public ErrorReporter {
public:
    void showError(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Does what it is told: records calls, or throws what a test sets.
class ScriptedDatabase : public StartupDatabase {
public:
    explicit ScriptedDatabase(int type) : _type(type) {}

    std::vector<StartupItem> getItems() override
    {
        if (failure)
            failure();
        return {StartupItem(_type, StartupConstants::ENABLED, "v", "d")};
    }
    void enable(const StartupItem& item) override { record("enable", item); }
    void disable(const StartupItem& item) override { record("disable", item); }
    void remove(const StartupItem& item) override { record("remove", item); }
    int getType() const override { return _type; }
    bool isWorking() const override { return true; }

    std::function<void()> failure;
    std::vector<std::string> calls;

private:
    void record(const std::string& name, const StartupItem& item)
    {
        if (failure)
            failure();
        calls.push_back(name + " " + item.getValue());
    }

    int _type;
};

class StartupInterfaceTest : public testing::Test {
protected:
    StartupInterfaceTest() : facade(&reporter) {}

    RecordingReporter reporter;
    StartupInterface facade;
    const StartupItem item{5, 0, "A", "B"};
};

TEST_F(StartupInterfaceTest, TypesAreAscendingWhateverTheRegistrationOrder)
{
    ScriptedDatabase nine(9), zero(0), five(5), otherFive(5);
    facade.addDatabase(&nine);
    facade.addDatabase(&zero);
    facade.addDatabase(&five);
    facade.addDatabase(&otherFive);
    EXPECT_EQ((std::vector<int>{0, 5, 9}), facade.getTypes());

    facade.remove(item);
    EXPECT_TRUE(five.calls.empty()) << "the second registration replaces the first";
    EXPECT_EQ(std::vector<std::string>{"remove A"}, otherFive.calls);
}

TEST_F(StartupInterfaceTest, DispatchesByItemType)
{
    ScriptedDatabase zero(0), five(5);
    facade.addDatabase(&zero);
    facade.addDatabase(&five);
    facade.disable(item);
    facade.enable(item);
    EXPECT_EQ((std::vector<std::string>{"disable A", "enable A"}), five.calls);
    EXPECT_TRUE(zero.calls.empty());
    EXPECT_EQ(1u, facade.getItems(0).size());
}

TEST_F(StartupInterfaceTest, ListingFailuresPassThrough)
{
    ScriptedDatabase five(5);
    five.failure = [] { throw exceptions::Exception("unreadable"); };
    facade.addDatabase(&five);
    EXPECT_THROW(facade.getItems(5), exceptions::Exception);
}

TEST_F(StartupInterfaceTest, ChangeFailuresAreReportedWithTheItem)
{
    ScriptedDatabase five(5);
    facade.addDatabase(&five);
    five.failure = [] { throw exceptions::Exception("M"); };
    facade.disable(item);
    facade.enable(item);
    facade.remove(item);
    const std::string itemText = "\n\nType: 5\nState: 0\nValue: A\nData: B\n\nM";
    EXPECT_EQ((std::vector<std::string>{"Error while disabling an entry." + itemText,
                                        "Error while enabling an entry." + itemText,
                                        "Error while deleting an entry." + itemText}),
              reporter.texts);
}

TEST_F(StartupInterfaceTest, ForeignExceptionsGetTheSecondHeading)
{
    ScriptedDatabase five(5);
    facade.addDatabase(&five);
    five.failure = [] { throw std::runtime_error("not ours"); };
    facade.remove(item);
    ASSERT_EQ(1u, reporter.texts.size());
    EXPECT_EQ("Error while deleting an entry. An ... exception was caught.\n\nType: 5\nState: "
              "0\nValue: A\nData: B\n\n",
              reporter.texts[0]);
}

TEST_F(StartupInterfaceTest, UnservedTypeIsReportedAndNothingHappens)
{
    AssertionRecorder assertions;
    EXPECT_TRUE(facade.getItems(3).empty());
    facade.enable(item);
    EXPECT_EQ((std::vector<std::string>{"_database.find(type) != _database.end()",
                                        "_database.find(item.getType()) != _database.end()"}),
              assertions.expressions());
    EXPECT_TRUE(reporter.texts.empty());
}

} // namespace
