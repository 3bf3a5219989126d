#include "products/bootwarden/database/TaskDatabase.h"

#include "products/bootwarden/database/DeletedCopy.h"

#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/TaskCatalog.h"
#include "support/Files.h"
#include "support/Records.h"
#include "support/ScriptedDatabase.h"
#include "support/StartupWorld.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::DeletedCopy;
using products::bootwarden::database::RegistryBackup;
using products::bootwarden::database::TaskCatalog;
using products::bootwarden::database::TaskDatabase;

namespace {

const int SIGN_IN = StartupConstants::SIGN_IN_TASKS;
const int OTHER = StartupConstants::OTHER_TASKS;
const char* const HANDLER = "{0F2A6C0E-5E7A-4B7E-9D2C-3C1F2A6B8E11}";

std::string exec(const std::string& command, const std::string& arguments = "")
{
    return "<Exec><Command>" + command + "</Command>" +
           (arguments.empty() ? "" : "<Arguments>" + arguments + "</Arguments>") + "</Exec>";
}

// Both task locations over one listing and one data file, as the program sets them up.
struct Locations {
    explicit Locations(const std::string& file) : backup(file) {}
    RegistryBackup backup;
    TaskCatalog tasks;
    TaskDatabase signIn{SIGN_IN, backup, tasks};
    TaskDatabase other{OTHER, backup, tasks};

    std::vector<StartupItem> items(int type) { return (type == SIGN_IN ? signIn : other).getItems(); }
};

class TaskDatabaseTest : public testing::Test {
protected:
    StartupWorld world{"tasks"};
    const std::string file = world.file("bootwarden.dat");
    const std::string updater = taskXml("<LogonTrigger><Enabled>true</Enabled></LogonTrigger>",
                                        exec("C:\\Program Files\\Contoso\\updater.exe", "/silent"));

    void SetUp() override { world.tasks().add("\\Contoso\\Updater", updater); }
};

// Each kind of definition is listed where it belongs, by its path, with its program and its
// triggers in words.
TEST_F(TaskDatabaseTest, EachTaskIsListedWhereItBelongsAndDescribed)
{
    const RegistryScratch handler(HKEY_CLASSES_ROOT, std::string("CLSID\\") + HANDLER + "\\InprocServer32");
    handler.setString("", "C:\\Contoso\\handler.dll");
    const struct {
        const char* path;
        std::string xml;
        bool enabled;
        int type;
        const char* command;
        const char* said; // a line of its note
    } cases[] = {
        // clang-format off
        {"\\Contoso\\Updater", updater, true, SIGN_IN, "\"C:\\Program Files\\Contoso\\updater.exe\" /silent",
         "Runs: At sign-in of any user"},
        {"\\Boot", taskXml("<BootTrigger/>", exec("C:\\boot.exe")), true, SIGN_IN, "C:\\boot.exe", "Runs: At startup"},
        {"\\Daily", taskXml("<CalendarTrigger><StartBoundary>2024-01-01T03:00:00</StartBoundary><ScheduleByDay>"
                            "<DaysInterval>1</DaysInterval></ScheduleByDay></CalendarTrigger>",
                            exec("C:\\daily.exe")),
         true, OTHER, "C:\\daily.exe", "Runs: Daily at 03:00"},
        {"\\Handler", taskXml("<LogonTrigger><UserId>CONTOSO\\ann</UserId></LogonTrigger>",
                              std::string("<ComHandler><ClassId>") + HANDLER + "</ClassId></ComHandler>"),
         true, SIGN_IN, "C:\\Contoso\\handler.dll",
         "A COM handler: class {0F2A6C0E-5E7A-4B7E-9D2C-3C1F2A6B8E11}, served by C:\\Contoso\\handler.dll."},
        {"\\Two", taskXml("<IdleTrigger/>", exec("C:\\first.exe") + exec("C:\\second.exe")), true, OTHER,
         "C:\\first.exe", "It has 2 actions; the first is shown."},
        {"\\Hidden", taskXml("<BootTrigger/>", exec("C:\\hidden.exe"), "<Hidden>true</Hidden>"), true, SIGN_IN,
         "C:\\hidden.exe", "Hidden in the system's own task list."},
        {"\\Contoso\\Deep\\Folder", taskXml("<TimeTrigger><StartBoundary>2025-06-01T12:00:00</StartBoundary>"
                                            "</TimeTrigger>",
                                            exec("C:\\deep.exe")),
         true, OTHER, "C:\\deep.exe", "Runs: Once, at 2025-06-01T12:00:00"},
        {"\\Owner", taskXml("<LogonTrigger/>", exec("C:\\owner.exe")), false, SIGN_IN, "C:\\owner.exe",
         "Turned off by its owner, not by Bootwarden."},
        // clang-format on
    };
    for (const auto& c : cases)
        world.tasks().add(c.path, c.xml, c.enabled);
    Locations locations(file);
    const std::vector<StartupItem> signIn = locations.items(SIGN_IN), other = locations.items(OTHER);
    EXPECT_EQ(5u, signIn.size());
    EXPECT_EQ(3u, other.size());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const StartupItem& item = itemNamed(c.type == SIGN_IN ? signIn : other, c.path);
        EXPECT_EQ(c.command, item.getData());
        EXPECT_EQ(!c.enabled, item.isDisabledBySystem());
        const std::string note = locations.signIn.getNote(item).text;
        EXPECT_NE(std::string::npos, note.find(c.said)) << note;
    }
    EXPECT_EQ("Runs: At sign-in of any user\nAs: S-1-5-18\nAuthor: Contoso\nDescription: Keeps Contoso up to date.",
              locations.signIn.getNote(itemNamed(signIn, "\\Contoso\\Updater")).text);
}

// Disabling turns the task off and says so in the data file, so a restart lists it as disabled
// here; enabling turns it on and stores nothing. Deleting keeps the whole definition first. A
// change the service refuses stores nothing.
TEST_F(TaskDatabaseTest, ATaskIsDisabledEnabledAndDeletedThroughTheTaskService)
{
    {
        Locations locations(file);
        locations.signIn.disable(disabled(locations.items(SIGN_IN).at(0)));
    }
    EXPECT_FALSE(world.tasks().enabled("\\Contoso\\Updater"));
    Locations restarted(file);
    const std::vector<StartupItem> listed = restarted.items(SIGN_IN);
    ASSERT_EQ(1u, listed.size());
    EXPECT_EQ(StartupConstants::DISABLED, listed[0].getState());
    EXPECT_FALSE(listed[0].isDisabledBySystem()) << "disabled here, not by its owner";
    restarted.signIn.enable(listed[0]);
    restarted.backup.commit();
    EXPECT_TRUE(world.tasks().enabled("\\Contoso\\Updater"));
    EXPECT_EQ(dataFile({}), readFile(file));

    world.tasks().refusal = E_ACCESSDENIED;
    EXPECT_THROW(restarted.signIn.disable(disabled(restarted.items(SIGN_IN).at(0))), exceptions::Exception);
    EXPECT_THROW(restarted.signIn.remove(restarted.items(SIGN_IN).at(0)), exceptions::Exception);
    EXPECT_EQ(dataFile({}), readFile(file)) << "a refused change stores nothing";
    EXPECT_TRUE(world.tasks().has("\\Contoso\\Updater"));

    world.tasks().refusal = S_OK;
    restarted.signIn.remove(restarted.items(SIGN_IN).at(0));
    EXPECT_FALSE(world.tasks().has("\\Contoso\\Updater"));
    const std::vector<StartupItem> kept =
        RegistryBackup(file).getEntries(StartupConstants::DELETED_FROM + StartupConstants::SIGN_IN_TASKS);
    ASSERT_EQ(1u, kept.size());
    EXPECT_EQ("\\Contoso\\Updater", DeletedCopy::nameOf(kept[0]).name);
    EXPECT_EQ(updater, kept[0].getRawData().value_or(""));
    EXPECT_EQ("", restarted.signIn.damage(kept[0]));
    const StartupItem damaged(kept[0].getType(), 1, kept[0].getValue(), "", 1, std::string("<Task>"));
    EXPECT_EQ(0u, restarted.signIn.damage(damaged).find("Its definition cannot be read, so it cannot be restored: "));
}

} // namespace
