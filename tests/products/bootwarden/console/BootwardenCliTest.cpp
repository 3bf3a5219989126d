#include "products/bootwarden/console/BootwardenCli.h"

#include "io/file/FileLock.h"
#include "products/bootwarden/database/RegistryBackup.h"

#include "products/bootwarden/StartupLocations.h"
#include "support/Files.h"
#include "util/parser/JsonValue.h"
#include "support/Locations.h"
#include "support/StartupWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using util::parser::JsonValue;

using products::bootwarden::StartupLocations;
using products::bootwarden::console::BootwardenCli;
using products::bootwarden::console::CollectingReporter;

namespace {

const std::string USER_RUN = products::bootwarden::LocationTable::treePath(StartupConstants::CURRENT_USER_RUN);

std::size_t utf8ToCharacters(const std::string& text)
{
    return wide(text).size();
}

class BootwardenCliTest : public testing::Test {
protected:
    StartupWorld world{"console"};
    const RegistryScratch& userRun = world.key(StartupConstants::CURRENT_USER_RUN);

    struct Result {
        int code;
        std::string out;
        std::string err;
    };

    void SetUp() override { userRun.setString("Tool", "C:\\windows\\system32\\notepad.exe /x"); }

    Result run(const std::vector<std::string>& arguments)
    {
        CollectingReporter reporter;
        StartupLocations locations(&reporter);
        Result result{0, "", ""};
        result.code = BootwardenCli(locations, reporter).run(arguments, result.out, result.err);
        return result;
    }
};

TEST_F(BootwardenCliTest, UsageHelpAndVersion)
{
    const std::string usage =
        "usage: bootwarden-cli list [--format table|csv|json] [--verify] [--hide-microsoft]\n"
        "       bootwarden-cli disable|enable|delete --location LOCATION [--state STATE] [--dry-run] "
        "NAME\n"
        "       bootwarden-cli restore|forget --location LOCATION [--dry-run] NAME\n"
        "       bootwarden-cli compare BASELINE.json [--format table|json]\n"
        "       bootwarden-cli --help | --version\n"
        "LOCATION is a location as the window's tree names it, \"Registry/Current User/Run\" for "
        "instance.\n"
        "STATE (enabled, disabled or switched-off, as list shows it) picks one of two entries of "
        "one name.\n"
        "restore puts a deleted entry back where it came from; forget removes its copy for good. Either takes the\n"
        "latest copy of that name that list shows as deleted in LOCATION.\n"
        "BASELINE.json is what list --format json wrote earlier.\n";
    EXPECT_EQ(usage, run({"--help"}).out);
    EXPECT_EQ("Bootwarden Center 1.01\n", run({"--version"}).out);
    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{},
                                               {"list", "--format", "xml"},
                                               {"disable"},
                                               {"enable", "Tool"},
                                               {"delete", "--location", USER_RUN},
                                               {"disable", "--location", USER_RUN, "Tool", "Other"},
                                               {"frob"},
                                               {"list", "--verify", "--format"},
                                               {"compare"},
                                               {"compare", "a.json", "b.json"},
                                               {"compare", "a.json", "--format", "csv"}}) {
        const Result result = run(wrong);
        EXPECT_EQ(BootwardenCli::USAGE, result.code) << testing::PrintToString(wrong);
        EXPECT_EQ(usage, result.err) << testing::PrintToString(wrong);
    }
}

TEST_F(BootwardenCliTest, ChangesApplyAtOnceWithTheWindowsSafety)
{
    const Result dry = run({"disable", "--location", USER_RUN, "--dry-run", "Tool"});
    EXPECT_EQ("Would disable Tool in Registry/Current User/Run.\n", dry.out);
    EXPECT_TRUE(userRun.has("Tool"));

    EXPECT_EQ("Disabled Tool in Registry/Current User/Run.\n", run({"disable", "--location", USER_RUN, "Tool"}).out);
    EXPECT_FALSE(userRun.has("Tool"));
    EXPECT_NE(std::string::npos, readFile(world.file("bootwarden.dat")).find("Tool")) << "kept in the data file";
    EXPECT_EQ("Tool in Registry/Current User/Run is disabled already.\n",
              run({"disable", "--location", "registry/current user/run", "Tool"}).out);
    EXPECT_EQ("Enabled Tool in Registry/Current User/Run.\n", run({"enable", "--location", USER_RUN, "Tool"}).out);
    EXPECT_EQ("C:\\windows\\system32\\notepad.exe /x", userRun.get("Tool"));

    {
        platform::ScopedOverride refuse(&platform::Win32Api::RegDeleteValueU,
                                        [](HKEY, const std::string&) { return LONG(ERROR_ACCESS_DENIED); });
        const Result refused = run({"disable", "--location", USER_RUN, "Tool"});
        EXPECT_EQ(BootwardenCli::FAILED, refused.code);
        EXPECT_EQ(0u, refused.err.find("Error while disabling an entry.\n\n")) << "the window's own message";
        EXPECT_TRUE(userRun.has("Tool"));
    }
    EXPECT_EQ("Deleted Tool in Registry/Current User/Run.\n", run({"delete", "--location", USER_RUN, "Tool"}).out);
    EXPECT_FALSE(userRun.has("Tool"));

    const Result nowhere = run({"delete", "--location", "Registry/Elsewhere", "Tool"});
    EXPECT_EQ(BootwardenCli::USAGE, nowhere.code);
    EXPECT_EQ(0u, nowhere.err.find(
                      "There is no location Registry/Elsewhere. The locations are:\n  Registry/All users/Run\n"));
    userRun.setString("Other", "o.exe");
    const Result nobody = run({"delete", "--location", USER_RUN, "Tool"});
    EXPECT_EQ(BootwardenCli::USAGE, nobody.code);
    EXPECT_EQ("There is no entry Tool in Registry/Current User/Run. Its entries are:\n  Other\n", nobody.err);
}

TEST_F(BootwardenCliTest, ListsEveryEntryInEachFormat)
{
    const std::string chinese = "\xe5\x90\xaf\xe5\x8a\xa8\xe5\x99\xa8";
    userRun.setString("Say, \"hi\"", "C:\\a\\b.exe \"quoted\"\tTab");
    userRun.setString(chinese, "C:\\" + chinese + "\\" + std::string(90, 'x') + ".exe");
    run({"disable", "--location", USER_RUN, "Tool"});
    createShortcut(world.folder(StartupConstants::USER_STARTUP) + "Notes.lnk", "C:\\windows\\system32\\notepad.exe");

    const std::string csv = run({"list", "--format", "csv"}).out;
    EXPECT_NE(std::string::npos, csv.find(",Notes.lnk,C:\\windows\\system32\\notepad.exe,enabled,yes,\r\n"))
        << "a shortcut lists what it starts";
    EXPECT_EQ(0u, csv.find("location,where,name,command,state,program_exists,deleted\r\n"));
    EXPECT_NE(std::string::npos, csv.find("Registry/Current User/Run,HKEY_CURRENT_USER\\" + RUN_KEY +
                                          ",\"Say, \"\"hi\"\"\",\"C:\\a\\b.exe \"\"quoted\"\"\tTab\",enabled,no,\r\n"));
    EXPECT_NE(std::string::npos, csv.find(",Tool,C:\\windows\\system32\\notepad.exe /x,disabled,yes,\r\n"));

    const std::string json = run({"list", "--format", "json"}).out;
    EXPECT_EQ('[', json.front());
    std::string escapedKey = "HKEY_CURRENT_USER\\" + RUN_KEY;
    for (std::size_t at = 0; (at = escapedKey.find('\\', at)) != std::string::npos; at += 2)
        escapedKey.insert(at, 1, '\\');
    EXPECT_NE(std::string::npos, json.find("{\"location\": \"Registry/Current User/Run\", \"where\": \"" + escapedKey +
                                           "\", \"name\": \"Say, "
                                           "\\\"hi\\\"\", \"command\": \"C:\\\\a\\\\b.exe \\\"quoted\\\"\\u0009Tab\", "
                                           "\"state\": \"enabled\", \"programExists\": false}"));
    EXPECT_NE(std::string::npos, json.find("\"name\": \"" + chinese + "\""));

    const std::string table = run({"list"}).out;
    EXPECT_NE(std::string::npos,
              table.find("\n  disabled     Tool                    yes C:\\windows\\system32\\notepad.exe /x\n"));
    std::size_t start = 0;
    for (std::size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = table.substr(start, end - start);
        EXPECT_LE(utf8ToCharacters(line), 80u) << line;
    }
}

// Names as Windows compares them, text that is not quite text, a damaged or busy data file.
TEST_F(BootwardenCliTest, OddNamesAndFilesAreToldNotGuessed)
{
    EXPECT_EQ("Disabled Tool in Registry/Current User/Run.\n", run({"disable", "--location", USER_RUN, "TOOL"}).out)
        << "a name matches in any case, as the registry matches it";

    const Result refused = run({"delete", "--location", USER_RUN, "x\xED\xA0\x80"});
    EXPECT_EQ(BootwardenCli::USAGE, refused.code);
    EXPECT_EQ("An argument is not valid text (it holds half of a UTF-16 pair): x\xEF\xBF\xBD\nNothing was changed.\n",
              refused.err);

    userRun.setString("Row\r\x1b[2Kdisabled", "c.exe\a");
    const std::string table = run({"list"}).out;
    EXPECT_NE(std::string::npos, table.find("  enabled      Row\\r\\x1b[2Kdisabled    no  c.exe\\x07\n")) << table;
    EXPECT_NE(std::string::npos, run({"list", "--format", "csv"}).out.find(",\"Row\r\x1b[2Kdisabled\",c.exe\a,"))
        << "CSV stays exact";

    const std::string data = world.file("bootwarden.dat");
    writeFile(data, "\x02" + readFile(data).substr(1)); // counts a record that is not there
    const Result damaged = run({"list"});
    EXPECT_EQ(BootwardenCli::FAILED, damaged.code);
    EXPECT_NE(std::string::npos, damaged.out.find("Tool")) << "what is whole is listed";
    EXPECT_EQ(0u, damaged.err.find("The data file bootwarden.dat is damaged."));

    world.key(StartupConstants::LOCAL_MACHINE_WINLOGON).setString("Shell", "explorer.exe");
    const Result essential = run({"disable", "--location", "Registry/All users/Winlogon", "--dry-run", "Shell"});
    EXPECT_EQ(BootwardenCli::FAILED, essential.code);
    EXPECT_EQ(0u, essential.err.find("Bootwarden never disables Shell in Registry/All users/Winlogon: "))
        << essential.err;

    const io::file::FileLock otherBootwarden("bootwarden.dat");
    platform::ScopedOverride noWait(&platform::Win32Api::Sleep, [](DWORD) {});
    const Result busy = run({"enable", "--location", USER_RUN, "tool"});
    EXPECT_EQ(BootwardenCli::FAILED, busy.code);
    EXPECT_NE(std::string::npos,
              busy.err.find("Another Bootwarden is changing the disabled entries, so nothing was changed."));
    EXPECT_NE(std::string::npos, readFile(data).find("Tool")) << "still stored";
}

// A component is listed by its title and found by its title or its key; two of one title are told
// apart by their keys.
TEST_F(BootwardenCliTest, AnActiveSetupComponentGoesByItsTitleOrItsKey)
{
    const RegistryScratch& components = world.key(StartupConstants::LOCAL_MACHINE_ACTIVE_SETUP);
    const std::string where =
        products::bootwarden::LocationTable::treePath(StartupConstants::LOCAL_MACHINE_ACTIVE_SETUP);
    RegistryScratch first(components.root(), components.subKey() + "\\{A1}"),
        second(components.root(), components.subKey() + "\\{B2}");
    for (const RegistryScratch* component : {&first, &second}) {
        component->setString("", "Updater");
        component->setString("StubPath", "C:\\u.exe");
    }
    EXPECT_NE(std::string::npos, run({"list", "--format", "json"})
                                     .out.find("\"location\": \"" + where +
                                               "\", \"where\": \"HKEY_LOCAL_MACHINE\\\\"
                                               "Software\\\\Microsoft\\\\Active Setup\\\\"
                                               "Installed Components\", \"name\": \"Updater\""));
    const Result both = run({"disable", "--location", where, "updater"});
    EXPECT_EQ(BootwardenCli::USAGE, both.code);
    EXPECT_EQ("There are several entries named updater in " + where +
                  ":\n  {A1} (enabled): C:\\u.exe\n  {B2} (enabled): C:\\u.exe\nName one exactly as it is written, or "
                  "say which with --state enabled or --state disabled.\n",
              both.err);
    EXPECT_EQ("Disabled Updater in " + where + ".\n", run({"disable", "--location", where, "{b2}"}).out);
    EXPECT_TRUE(first.has("StubPath"));
    EXPECT_FALSE(second.has("StubPath"));
}

// Every kind of entry Delete acts on leaves a copy that a restart lists as deleted, with the day;
// restore puts it back byte for byte, unless a live entry of that name holds another command;
// forget removes the copy for good.
TEST_F(BootwardenCliTest, EveryKindOfEntryDeletedIsRestoredByteForByteOrForgotten)
{
    const std::string folder = world.folder(StartupConstants::USER_STARTUP);
    const RegistryScratch& appInit = world.key(StartupConstants::LOCAL_MACHINE_APPINIT_DLLS);
    const auto task = [](const std::string& program) {
        return taskXml("<LogonTrigger><Enabled>true</Enabled></LogonTrigger>",
                       "<Exec><Command>" + program + "</Command></Exec>");
    };
    const auto registryBytes = [](const RegistryScratch& key, const std::string& name) {
        DWORD type = 0;
        const std::string bytes = key.bytes(name, &type);
        return std::to_string(type) + ":" + bytes;
    };
    struct Kind {
        int type;
        std::string name;
        std::function<void(const std::string& command)> plant; // a live entry of the name
        std::function<std::string()> bytes;                    // what the location holds of it
        std::function<void()> unplant;
    };
    // clang-format off
    const Kind kinds[] = {
        {StartupConstants::CURRENT_USER_RUN, "Expanding",
         [&](const std::string& command) { userRun.setString("Expanding", command, REG_EXPAND_SZ); },
         [&] { return userRun.has("Expanding") ? registryBytes(userRun, "Expanding") : ""; },
         [&] { userRun.deleteValue("Expanding"); }},
        {StartupConstants::CURRENT_USER_RUN, "Kept",  // disabled: restored disabled
         [&](const std::string& command) { userRun.setString("Kept", command); run({"disable", "--location", USER_RUN, "Kept"}); },
         [&] { return world.storedNames(StartupConstants::CURRENT_USER_RUN) == std::vector<std::string>{"Kept"} && !userRun.has("Kept") ? "disabled" : ""; },
         [&] { run({"enable", "--location", USER_RUN, "Kept"}); userRun.deleteValue("Kept"); }},
        {StartupConstants::LOCAL_MACHINE_APPINIT_DLLS, "b.dll",
         [&](const std::string&) { appInit.setString("AppInit_DLLs", "a.dll b.dll"); },
         [&] { return registryBytes(appInit, "AppInit_DLLs"); },
         nullptr},
        {StartupConstants::USER_STARTUP, "Start.cmd",
         [&](const std::string& command) { writeFile(folder + "Start.cmd", "@start " + command); },
         [&] { return ScratchDirectory::exists(folder + "Start.cmd") ? readFile(folder + "Start.cmd") : ""; },
         [&] { ::DeleteFileA((folder + "Start.cmd").c_str()); }},
        {StartupConstants::SIGN_IN_TASKS, "\\Contoso\\Updater",
         [&](const std::string& command) { world.tasks().add("\\Contoso\\Updater", task(command)); },
         [&] { return world.tasks().has("\\Contoso\\Updater") ? world.tasks().xml("\\Contoso\\Updater") : ""; },
         [&] { world.tasks().remove("\\Contoso\\Updater"); }},
    };
    // clang-format on
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const std::string location = products::bootwarden::LocationTable::treePath(kind.type);
        kind.plant("%SystemRoot%\\tool.exe");
        const std::string before = kind.bytes();
        ASSERT_NE("", before);
        ASSERT_EQ(BootwardenCli::DONE, run({"delete", "--location", location, kind.name}).code);
        EXPECT_NE(before, kind.bytes());

        const JsonValue listed = JsonValue::parse(run({"list", "--format", "json"}).out);
        const auto copy = std::find_if(listed.items().begin(), listed.items().end(), [&](const JsonValue& row) {
            return row.member("name")->text() == kind.name && row.member("state")->text() == "deleted";
        });
        ASSERT_NE(listed.items().end(), copy);
        EXPECT_EQ(location, copy->member("location")->text()) << "listed where it came from";
        EXPECT_EQ(24u, copy->member("deleted")->text().size()) << "with when: " << copy->member("deleted")->text();

        if (kind.unplant) {
            kind.plant("C:\\Other\\tool.exe");
            const Result refused = run({"restore", "--location", location, kind.name});
            EXPECT_EQ(BootwardenCli::FAILED, refused.code);
            EXPECT_NE(std::string::npos, refused.err.find("so the deleted")) << refused.err;
            kind.unplant();
        }
        EXPECT_EQ("Restored " + kind.name + " in " + location + ".\n",
                  run({"restore", "--location", location, kind.name}).out);
        EXPECT_EQ(before, kind.bytes()) << "back byte for byte";

        run({"delete", "--location", location, kind.name});
        EXPECT_EQ("Forgot the copy of " + kind.name + " in " + location + ".\n",
                  run({"forget", "--location", location, kind.name}).out);
        EXPECT_EQ(BootwardenCli::USAGE, run({"restore", "--location", location, kind.name}).code) << "gone for good";
    }
    EXPECT_EQ(std::vector<std::string>{},
              world.storedNames(StartupConstants::DELETED_FROM + StartupConstants::USER_STARTUP));
}

// A value re-added after it was disabled, and its stored copy: --state picks one.
TEST_F(BootwardenCliTest, TheStatePicksOneOfTwoEntriesOfOneName)
{
    ASSERT_EQ(BootwardenCli::DONE, run({"disable", "--location", USER_RUN, "Tool"}).code);
    userRun.setString("Tool", "C:\\new.exe");
    EXPECT_NE(std::string::npos, run({"delete", "--location", USER_RUN, "Tool"}).err.find("--state enabled"));
    EXPECT_EQ(BootwardenCli::DONE, run({"delete", "--location", USER_RUN, "--state", "enabled", "Tool"}).code);
    EXPECT_FALSE(userRun.has("Tool"));
    EXPECT_NE(std::string::npos, readFile(world.file("bootwarden.dat")).find("notepad")) << "the stored copy stays";
    userRun.setString("Tool", "C:\\new.exe");
    EXPECT_EQ(BootwardenCli::DONE, run({"delete", "--location", USER_RUN, "--state", "disabled", "Tool"}).code);
    EXPECT_TRUE(userRun.has("Tool"));
    EXPECT_NE(std::string::npos,
              run({"list", "--format", "csv"}).out.find(",Tool,C:\\windows\\system32\\notepad.exe /x,deleted,"))
        << "its copy is the deleted one";
    EXPECT_EQ(BootwardenCli::USAGE, run({"delete", "--location", USER_RUN, "--state", "on", "Tool"}).code);
}

// A service is listed with the services' place and its display name, disabled and enabled by it,
// never deleted.
TEST_F(BootwardenCliTest, AServiceIsDisabledAndEnabledButNeverDeleted)
{
    const TestService service("BootwardenTestCli", "Contoso Updater", SERVICE_AUTO_START);
    const std::string where = products::bootwarden::LocationTable::treePath(StartupConstants::AUTOMATIC_SERVICES);
    EXPECT_NE(
        std::string::npos,
        run({"list", "--format", "json"})
            .out.find(
                "{\"location\": \"Services/Automatic\", \"where\": "
                "\"HKEY_LOCAL_MACHINE\\\\System\\\\CurrentControlSet\\\\Services\", \"name\": \"Contoso Updater\""));
    const Result refused = run({"delete", "--location", where, "Contoso Updater"});
    EXPECT_EQ(BootwardenCli::FAILED, refused.code);
    EXPECT_EQ(0u, refused.err.find("Bootwarden never deletes Contoso Updater in Services/Automatic: ")) << refused.err;
    EXPECT_EQ("Disabled Contoso Updater in Services/Automatic.\n",
              run({"disable", "--location", where, "contoso updater"}).out);
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), service.startType());
    EXPECT_EQ("Enabled Contoso Updater in Services/Automatic.\n",
              run({"enable", "--location", where, "BootwardenTestCli"}).out);
    EXPECT_EQ(DWORD(SERVICE_AUTO_START), service.startType());
}

// What the inspector found of each program, in every format; Microsoft's entries hidden only when
// a signature says they are Microsoft's, not when a program says so of itself.
TEST_F(BootwardenCliTest, ListVerifiedSaysWhoSignedEachProgram)
{
    const SignedPrograms programs;
    const struct {
        const char* name;
        std::string command;
        const char* signature;
        const char* publisher;
        bool hidden;
    } entries[] = {
        {"Signed", '"' + SignedPrograms::path("contoso-updater.exe") + "\" /quiet", "verified", "Contoso Ltd", false},
        {"Microsoft's", SignedPrograms::path("microsoft-signed.exe"), "verified", "Microsoft Corporation", true},
        {"Says Microsoft", "winver.exe", "unsigned", "", false},
    };
    for (const auto& entry : entries)
        userRun.setString(entry.name, entry.command);

    const Result listed = run({"list", "--verify", "--format", "json"});
    EXPECT_EQ(BootwardenCli::DONE, listed.code) << listed.err;
    const JsonValue json = JsonValue::parse(listed.out);
    const Result hiding = run({"list", "--format", "json", "--hide-microsoft"});
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        const auto& items = json.items();
        const auto row = std::find_if(items.begin(), items.end(), [&](const JsonValue& item) {
            return item.member("location")->text() == USER_RUN && item.member("name")->text() == entry.name;
        });
        ASSERT_NE(items.end(), row);
        EXPECT_EQ(entry.signature, row->member("signature")->text());
        EXPECT_EQ(entry.publisher, row->member("publisher")->text());
        EXPECT_EQ(entry.hidden, hiding.out.find("\"name\": \"" + std::string(entry.name) + "\"") == std::string::npos);
    }
    EXPECT_EQ(std::string::npos, hiding.out.find("\"signature\"")) << "hiding alone adds no columns";
    const auto signedRow = std::find_if(json.items().begin(), json.items().end(),
                                        [](const JsonValue& item) { return item.member("name")->text() == "Signed"; });
    EXPECT_EQ("Contoso Ltd", signedRow->member("company")->text());
    EXPECT_EQ("Contoso Updater", signedRow->member("description")->text());
    EXPECT_EQ("4.2", signedRow->member("version")->text());

    const std::string csv = run({"list", "--format", "csv", "--verify"}).out;
    EXPECT_EQ(0u, csv.find("location,where,name,command,state,program_exists,publisher,signature,company,description,"
                           "version,deleted\r\n"));
    EXPECT_NE(std::string::npos, csv.find(",enabled,yes,Contoso Ltd,verified,Contoso Ltd,Contoso Updater,4.2,\r\n"));
    EXPECT_NE(
        std::string::npos,
        run({"list", "--verify"}).out.find("  enabled      Says Microsoft          yes unsigned      winver.exe"));
}

// What changed since a listing saved with list --format json, and what the exit code says.
TEST_F(BootwardenCliTest, CompareSaysWhatChangedSinceTheBaseline)
{
    const std::string baseline = world.file("baseline.json");
    userRun.setString("Old", "o.exe");
    userRun.setString("Later", "l.exe");
    writeFile(baseline, run({"list", "--format", "json"}).out);
    const Result same = run({"compare", baseline});
    EXPECT_EQ(BootwardenCli::DONE, same.code);
    EXPECT_EQ("Nothing changed since the baseline.\n", same.out);

    userRun.setString("New", "n.exe");
    run({"delete", "--location", USER_RUN, "Old"});
    userRun.setString("Tool", "C:\\Evil\\tool.exe");
    run({"disable", "--location", USER_RUN, "Later"});
    const Result compared = run({"compare", baseline});
    EXPECT_EQ(BootwardenCli::CHANGED, compared.code);
    EXPECT_EQ("changed  " + USER_RUN +
                  "  Later: state enabled -> disabled\n"
                  "added    " +
                  USER_RUN +
                  "  New: n.exe (enabled)\n"
                  "removed  " +
                  USER_RUN +
                  "  Old: o.exe (enabled)\n"
                  "changed  " +
                  USER_RUN +
                  "  Tool: command C:\\windows\\system32\\notepad.exe /x -> C:\\Evil\\tool.exe\n"
                  "Since the baseline: 1 added, 1 removed, 2 changed.\n",
              compared.out);
    EXPECT_EQ("", compared.err);
    const JsonValue json = JsonValue::parse(run({"compare", baseline, "--format", "json"}).out);
    EXPECT_EQ(1u, json.member("added")->items().size());
    EXPECT_EQ(1u, json.member("removed")->items().size());
    ASSERT_EQ(2u, json.member("changed")->items().size());
    const JsonValue& later = json.member("changed")->items()[0];
    EXPECT_EQ("Later", later.member("name")->text());
    EXPECT_EQ("enabled", later.member("before")->member("state")->text());
    EXPECT_EQ("disabled", later.member("after")->member("state")->text());

    writeFile(baseline, "usage: bootwarden-cli list\n");
    const Result unreadable = run({"compare", baseline});
    EXPECT_EQ(BootwardenCli::USAGE, unreadable.code);
    EXPECT_EQ("The baseline " + baseline + " cannot be read: it is not JSON: line 1, column 1: expected a value.\n",
              unreadable.err);
    const Result missing = run({"compare", world.file("none.json")});
    EXPECT_EQ(BootwardenCli::USAGE, missing.code);
    EXPECT_EQ(0u, missing.err.find("The baseline " + world.file("none.json") + " cannot be read: ")) << missing.err;
}

// Real processes, as scripts start them: six console programs at once, five times over, each
// disabling or deleting its own value. Every value ends in the data file, once (a deleted one as its copy).
TEST_F(BootwardenCliTest, SixConsolesAtOnceLoseNothing)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program = self;
    program = program.substr(0, program.rfind(L'\\', program.rfind(L'\\') - 1)) + L"\\bootwarden-cli.exe";
    const std::wstring copy = wide(world.file("bootwarden-cli.exe"));
    ASSERT_TRUE(::CopyFileW(program.c_str(), copy.c_str(), FALSE)) << utf8(program);
    std::vector<std::string> names;
    for (int i = 0; i < 30; ++i) {
        names.push_back("Value" + std::to_string(i));
        userRun.setString(names.back(), "v" + std::to_string(i) + ".exe");
    }
    for (int round = 0; round < 5; ++round) {
        std::vector<PROCESS_INFORMATION> processes(6);
        for (int i = 0; i < 6; ++i) {
            // Half of them delete, which keeps a copy in the same file.
            std::wstring commandLine = L"\"" + copy + (i % 2 ? L"\" delete" : L"\" disable") + L" --location \"" +
                                       wide(USER_RUN) + L"\" " + wide(names[round * 6 + i]);
            STARTUPINFOW startupInfo = {};
            startupInfo.cb = sizeof startupInfo;
            ASSERT_TRUE(::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                         nullptr, &startupInfo, &processes[i]));
        }
        for (PROCESS_INFORMATION& process : processes) {
            ::WaitForSingleObject(process.hProcess, 60000);
            DWORD code = 99;
            ::GetExitCodeProcess(process.hProcess, &code);
            EXPECT_EQ(0u, code);
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
    }
    std::vector<std::string> kept = world.storedNames(StartupConstants::CURRENT_USER_RUN);
    for (const std::string& copy :
         world.storedNames(StartupConstants::DELETED_FROM + StartupConstants::CURRENT_USER_RUN))
        kept.push_back(copy.substr(copy.find('|') + 1));
    std::sort(kept.begin(), kept.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, kept);
    for (const std::string& name : names)
        EXPECT_FALSE(userRun.has(name)) << name;
}

} // namespace
