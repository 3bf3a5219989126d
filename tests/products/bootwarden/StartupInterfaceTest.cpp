#include "products/bootwarden/StartupInterface.h"

#include "exceptions/Exception.h"
#include "support/AssertionRecorder.h"
#include "support/ScriptedDatabase.h"

#include <gtest/gtest.h>

#include <stdexcept>

using products::bootwarden::StartupInterface;
using products::bootwarden::StartupItem;

namespace {

TEST(StartupInterfaceTest, DispatchesByTypeAndListsTypesInOrder)
{
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    ScriptedDatabase nine(9), zero(0), five(5), newerFive(5);
    for (ScriptedDatabase* database : {&nine, &zero, &five, &newerFive})
        facade.addDatabase(database);
    EXPECT_EQ((std::vector<int>{0, 5, 9}), facade.getTypes());

    const StartupItem item(5, 0, "A", "B");
    EXPECT_TRUE(facade.disable(item));
    EXPECT_TRUE(facade.enable(item));
    EXPECT_TRUE(facade.remove(item));
    facade.getItems(9);
    EXPECT_TRUE(five.calls.empty()) << "a second database of a type replaces the first";
    EXPECT_EQ((std::vector<std::string>{"disable A", "enable A", "remove A"}), newerFive.calls);
    EXPECT_EQ(std::vector<std::string>{"list "}, nine.calls);
    EXPECT_TRUE(reporter.texts.empty());

    nine.failure = [](const StartupItem&) { throw exceptions::Exception("unreadable"); };
    EXPECT_THROW(facade.getItems(9), exceptions::Exception) << "listing failures pass through";
}

TEST(StartupInterfaceTest, EachFailingChangeIsReportedWithItsItem)
{
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    ScriptedDatabase five(5);
    facade.addDatabase(&five);
    const StartupItem item(5, 0, "A", "B");
    five.failure = [](const StartupItem&) { throw exceptions::Exception("M"); };
    EXPECT_FALSE(facade.disable(item));
    EXPECT_FALSE(facade.enable(item));
    five.failure = [](const StartupItem&) { throw std::runtime_error("not ours"); };
    EXPECT_FALSE(facade.remove(item));
    const std::string itemText = "\n\nType: 5\nState: 0\nValue: A\nData: B\n\n";
    EXPECT_EQ((std::vector<std::string>{
                  "Error while disabling an entry." + itemText + "M",
                  "Error while enabling an entry." + itemText + "M",
                  "Error while deleting an entry. An ... exception was caught." + itemText}),
              reporter.texts);
}

TEST(StartupInterfaceTest, ADataFileThatCannotBeWrittenAfterTheChangesIsReported)
{
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    ScriptedDatabase five(5);
    facade.addDatabase(&five);
    StartupItem item(5, 0, "A", "B");
    item.setState(1);
    five.failure = [](const StartupItem& item) {
        if (item.getValue().empty())
            throw exceptions::Exception("M");
    };
    std::vector<bool> applied;
    EXPECT_FALSE(facade.applyChanges({item}, applied));
    EXPECT_EQ(std::vector<bool>{true}, applied) << "the entry itself changed";
    EXPECT_EQ(std::vector<std::string>{"The disabled entries could not be saved.\n\nM"}, reporter.texts);
}

TEST(StartupInterfaceTest, UnservedTypeIsReportedAndNothingHappens)
{
    AssertionRecorder assertions;
    RecordingReporter reporter;
    StartupInterface facade(&reporter);
    EXPECT_TRUE(facade.getItems(3).empty());
    EXPECT_FALSE(facade.enable(StartupItem(3, 0, "A", "")));
    EXPECT_EQ((std::vector<std::string>{"_database.find(type) != _database.end()",
                                        "_database.find(item.getType()) != _database.end()"}),
              assertions.expressions());
    EXPECT_TRUE(reporter.texts.empty());
}

} // namespace
