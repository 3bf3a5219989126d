#include "products/bootwarden/StartupInterface.h"

#include "exceptions/Exception.h"
#include "support/AssertionRecorder.h"
#include "support/Locations.h"
#include "support/ScriptedDatabase.h"

#include <gtest/gtest.h>

#include <stdexcept>

using products::bootwarden::StartupInterface;
using products::bootwarden::StartupItem;

namespace {

const int MACHINE_RUN = StartupConstants::LOCAL_MACHINE_RUN;
const int RUN = StartupConstants::CURRENT_USER_RUN;
const int USER_STARTUP = StartupConstants::USER_STARTUP;

class StartupInterfaceTest : public testing::Test {
protected:
    RecordingReporter reporter;
    StartupInterface facade{&reporter};
    ScriptedDatabase userRun{RUN};
    const StartupItem item{RUN, 0, "A", "B"};

    void SetUp() override { facade.addDatabase(&userRun); }
};

TEST_F(StartupInterfaceTest, DispatchesByTypeAndListsTypesInOrder)
{
    ScriptedDatabase folder(USER_STARTUP), machineRun(MACHINE_RUN), newerRun(RUN);
    for (ScriptedDatabase* database : {&folder, &machineRun, &newerRun})
        facade.addDatabase(database);
    EXPECT_EQ((std::vector<int>{MACHINE_RUN, RUN, USER_STARTUP}), facade.getTypes());
    EXPECT_TRUE(facade.disable(item));
    EXPECT_TRUE(facade.enable(item));
    EXPECT_TRUE(facade.remove(item));
    facade.getItems(USER_STARTUP);
    EXPECT_TRUE(userRun.calls.empty()) << "a second database of a type replaces the first";
    EXPECT_EQ((std::vector<std::string>{"disable A", "enable A", "remove A"}), newerRun.calls);
    EXPECT_EQ(std::vector<std::string>{"list "}, folder.calls);
    EXPECT_TRUE(reporter.texts.empty());

    folder.failure = [](const StartupItem&) { throw exceptions::Exception("unreadable"); };
    EXPECT_THROW(facade.getItems(USER_STARTUP), exceptions::Exception) << "listing failures pass through";
}

TEST_F(StartupInterfaceTest, EachFailureIsReportedWithItsItem)
{
    userRun.failure = [](const StartupItem&) { throw exceptions::Exception("M"); };
    EXPECT_FALSE(facade.disable(item));
    EXPECT_FALSE(facade.enable(item));
    userRun.failure = [](const StartupItem&) { throw std::runtime_error("not ours"); };
    EXPECT_FALSE(facade.remove(item));
    // A data file that cannot be written after the changes: the entry disabled is, the one its
    // location took back is not, one enabled elsewhere is.
    StartupItem disabling = item, enabling(RUN, 1, "E", "e"), moved(RUN, 1, "F", "f");
    disabling.setState(1);
    enabling.setState(0);
    moved.setState(0);
    userRun.takenBack = {"E"};
    userRun.failure = [](const StartupItem& item) {
        if (item.getValue().empty())
            throw exceptions::Exception("M");
    };
    std::vector<bool> applied;
    EXPECT_FALSE(facade.applyChanges({disabling, enabling, moved}, applied));
    EXPECT_EQ((std::vector<bool>{true, false, true}), applied);
    const std::string itemText = "\n\nType: " + std::to_string(RUN) + "\nState: 0\nValue: A\nData: B\n\n";
    EXPECT_EQ((std::vector<std::string>{"Error while disabling an entry." + itemText + "M",
                                        "Error while enabling an entry." + itemText + "M",
                                        "Error while deleting an entry. An ... exception was caught." + itemText,
                                        "The disabled entries could not be saved. The entries to enable stay "
                                        "disabled: nothing changed for them.\n\nM"}),
              reporter.texts);
}

// Windows cannot sign in without Winlogon's values, and services are the system's tools' to remove
// and start: whoever asks, the facade refuses, saying why, and the location is never asked.
TEST_F(StartupInterfaceTest, WhatALocationNeverAllowsIsRefusedWithItsReason)
{
    ScriptedDatabase winlogon(StartupConstants::LOCAL_MACHINE_WINLOGON), services(StartupConstants::AUTOMATIC_SERVICES);
    facade.addDatabase(&winlogon);
    facade.addDatabase(&services);
    const StartupItem shell(StartupConstants::LOCAL_MACHINE_WINLOGON, 0, "Shell", "explorer.exe"),
        service(StartupConstants::AUTOMATIC_SERVICES, 0, "Spooler", "spoolsv.exe");
    std::vector<bool> applied;
    EXPECT_FALSE(facade.applyChanges({disabled(shell)}, applied));
    EXPECT_FALSE(facade.remove(shell));
    EXPECT_FALSE(facade.remove(service));
    EXPECT_FALSE(facade.run(service));
    EXPECT_TRUE(facade.enable(shell)) << "enabling puts back what Windows had";
    EXPECT_TRUE(facade.applyChanges({disabled(service)}, applied));
    EXPECT_EQ((std::vector<std::string>{"commit ", "enable Shell", "commit "}), winlogon.calls);
    EXPECT_EQ((std::vector<std::string>{"commit ", "stage Spooler", "disable Spooler", "commit "}), services.calls);
    ASSERT_EQ(4u, reporter.texts.size());
    EXPECT_EQ("Bootwarden never disables Shell in Registry/All users/Winlogon: Windows cannot sign in without it.",
              reporter.texts[0]);
    EXPECT_EQ(0u, reporter.texts[3].find("Bootwarden never starts Spooler in Services/Automatic: "));
}

TEST_F(StartupInterfaceTest, UnservedTypeIsReportedAndNothingHappens)
{
    AssertionRecorder assertions;
    const int services = StartupConstants::LOCAL_MACHINE_RUN_SERVICES;
    EXPECT_TRUE(facade.getItems(services).empty());
    EXPECT_FALSE(facade.enable(StartupItem(services, 0, "A", "")));
    EXPECT_EQ((std::vector<std::string>{"_database.find(type) != _database.end()",
                                        "_database.find(item.getType()) != _database.end()"}),
              assertions.expressions());
    EXPECT_TRUE(reporter.texts.empty());
}

} // namespace
