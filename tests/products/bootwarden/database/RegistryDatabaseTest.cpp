#include "products/bootwarden/database/RegistryDatabase.h"

#include "exceptions/IOException.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/StartupInterface.h"
#include "products/bootwarden/database/RegistryRoot.h"
#include "products/bootwarden/database/ValueListDatabase.h"
#include "support/Files.h"
#include "support/Locations.h"
#include "support/Records.h"
#include "support/RoundTrip.h"
#include "support/ScriptedDatabase.h"
#include "support/StartupWorld.h"
#include "windows/registry/RegistryException.h"

#include <gtest/gtest.h>

#include <regstr.h>
#include <shlobj.h>

#include <algorithm>
#include <tuple>

using products::bootwarden::Location;
using products::bootwarden::LocationTable;
using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;
using products::bootwarden::database::RegistryDatabase;

namespace {

const int USER_RUN = StartupConstants::CURRENT_USER_RUN;

// The current user's real Run key in the test prefix, emptied for each test.
class RegistryDatabaseTest : public testing::Test {
protected:
    ScratchDirectory dir{"registry_database"};
    const std::string file = dir.file("bootwarden.dat");
    RegistryScratch run{HKEY_CURRENT_USER, RUN_KEY};
    RegistryBackup backup{file};
    RegistryDatabase database{USER_RUN, backup};
};

TEST_F(RegistryDatabaseTest, ListsValuesThenStoredEntriesThatAreNotBackAsTheyWere)
{
    run.setString("A", "a.exe");
    run.setString("B", "b.exe");
    backup.put(StartupItem(USER_RUN, 1, "a", "old a.exe"));
    backup.put(StartupItem(USER_RUN, 1, "b", "b.exe"));
    backup.put(StartupItem(USER_RUN, 1, "C", "c.exe"));
    backup.put(StartupItem(StartupConstants::LOCAL_MACHINE_RUN, 1, "D", "d.exe"));
    EXPECT_EQ((std::vector<std::string>{"0 A=a.exe", "0 B=b.exe", "1 C=c.exe", "1 a=old a.exe"}),
              describe(database.getItems()))
        << "a copy like the value adds nothing; one that differs is listed beside it";
    EXPECT_EQ(3u, backup.getEntries(USER_RUN).size()) << "listing changes nothing";
}

TEST_F(RegistryDatabaseTest, AValueStaysWhenItsDisablingCannotBeCompleted)
{
    run.setString("Keep", "k.exe");
    const StartupItem item = disabled(database.getItems().at(0));
    {
        platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
        EXPECT_THROW(database.disable(item), io::file::CouldNotSaveFileException);
    }
    EXPECT_TRUE(run.has("Keep"));
    EXPECT_FALSE(backup.holds(item));
    EXPECT_FALSE(ScratchDirectory::exists(file));

    platform::ScopedOverride refuse(&platform::Win32Api::RegDeleteValueU,
                                    [](HKEY, const std::string&) { return LONG(ERROR_ACCESS_DENIED); });
    EXPECT_THROW(database.disable(item), windows::registry::RegistryAccessDeniedException);
    EXPECT_TRUE(run.has("Keep"));
    EXPECT_FALSE(backup.holds(item));
}

// Enabling that the data file cannot record is taken back: the entry is disabled, as it was.
TEST_F(RegistryDatabaseTest, AnEnableThatCannotBeSavedLeavesTheEntryDisabled)
{
    backup.put(StartupItem(USER_RUN, 1, "Back", "b.exe"));
    backup.commit();
    database.enable(database.getItems().at(0));
    {
        platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
        EXPECT_THROW(database.commit(), io::file::CouldNotSaveFileException);
    }
    EXPECT_FALSE(run.has("Back"));
    EXPECT_EQ(std::vector<std::string>{"1 Back=b.exe"}, describe(database.getItems()));
    EXPECT_EQ(1u, RegistryBackup(file).getEntries(USER_RUN).size());
}

// Names as Windows compares them: a stored entry and a value of the same name in any case.
TEST_F(RegistryDatabaseTest, AStoredEntryAndAValueOfItsNameNeverOverwriteEachOther)
{
    struct Case {
        const char* what;
        const char* live;                // the value in the key (named "APP"), or null
        const char* command;             // "enable", "delete" (the stored entry), "disable" or "delete value"
        std::vector<std::string> key;    // the key afterwards, "name=data"
        std::vector<std::string> stored; // the data file afterwards
        bool refused;
    };
    const Case cases[] = {
        {"same command: the copy goes", "a.exe", "enable", {"APP=a.exe"}, {}, false},
        {"another command: refused, both stay", "b.exe", "enable", {"APP=b.exe"}, {"App=a.exe"}, true},
        {"no value: written back", nullptr, "enable", {"App=a.exe"}, {}, false},
        {"disabling stores the command as it is now", "b.exe", "disable", {}, {"APP=b.exe"}, false},
        {"deleting the stored one leaves the value", "b.exe", "delete", {"APP=b.exe"}, {}, false},
        {"deleting the value leaves a stored one that differs", "b.exe", "delete value", {}, {"App=a.exe"}, false},
        {"deleting the value takes its hidden copy", "a.exe", "delete value", {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileA(file.c_str());
        RegistryScratch fresh{HKEY_CURRENT_USER, RUN_KEY};
        RegistryBackup store(file);
        RegistryDatabase location(USER_RUN, store);
        store.put(StartupItem(USER_RUN, 1, "App", "a.exe"));
        store.commit();
        if (c.live)
            fresh.setString("APP", c.live);
        // The stored entry as the window listed it before the value came (back).
        const StartupItem storedApp(USER_RUN, 1, "App", "a.exe");
        bool refused = false;
        try {
            if (c.command == std::string("delete"))
                location.remove(storedApp);
            else if (c.command == std::string("delete value"))
                location.remove(location.getItems().at(0));
            else if (c.command == std::string("enable"))
                location.enable(storedApp);
            else
                location.disable(disabled(location.getItems().at(0)));
            store.commit();
        } catch (const products::bootwarden::database::RegistryDatabaseException& e) {
            refused = true;
            EXPECT_EQ(
                "The key already holds a value named App with another command, so the disabled entry is left as it "
                "is. Delete or disable one of them first.\nKey: HKEY_CURRENT_USER\\" +
                    RUN_KEY + "\nIn the key: b.exe\nDisabled: a.exe",
                e.getMessage());
        }
        EXPECT_EQ(c.refused, refused);
        std::vector<std::string> key, stored;
        for (const StartupItem& i : location.getItems())
            (i.getState() == 0 ? key : stored).push_back(i.getValue() + "=" + std::string(i.getData()));
        EXPECT_EQ(c.key, key);
        EXPECT_EQ(c.stored, stored);
        RegistryBackup onDisk(file);
        EXPECT_EQ(c.stored.size(), onDisk.getEntries(USER_RUN).size()) << "the data file says the same";
    }
}

// Every value, whatever its type and language, and a name or command holding half a UTF-16
// pair (any program can write one), comes back from disable, a restart and enable with its type
// and every byte, and acts on itself only.
TEST_F(RegistryDatabaseTest, EveryValueRoundTripsByteForByteInItsOwnName)
{
    struct Value {
        std::string listed; // the name as it is listed
        DWORD type;
        std::string bytes;
        std::wstring units = {}; // the name's UTF-16 when it is no valid text
        ValueName name() const { return units.empty() ? ValueName(listed) : ValueName(units); }
    };
    const std::string cyrillic = "\xd0\x9f\xd0\xb0\xd0\xbd\xd0\xb5\xd0\xbb\xd1\x8c"; // Панель
    const std::string chinese = "\xe5\x90\xaf\xe5\x8a\xa8\xe5\x99\xa8";              // 启动器
    const std::string emoji = "\xf0\x9f\x9a\x80";                                    // rocket
    const std::wstring oddCommand = std::wstring(L"C:\\odd\xDC00.exe") + L'\0';
    const std::string oddBytes(reinterpret_cast<const char*>(oddCommand.data()), oddCommand.size() * 2);
    const Value values[] = {
        {"App", REG_SZ, utf16("C:\\App\\app.exe" + std::string(1, '\0'))},
        {"\xef\xbc\xa1pp", REG_SZ, utf16("C:\\Users\\" + cyrillic + "\\a.exe /" + chinese + std::string(1, '\0'))},
        {"???", REG_SZ, utf16("q.exe" + std::string(1, '\0'))},
        {chinese, REG_EXPAND_SZ, utf16("%APPDATA%\\" + emoji + ".exe" + std::string(1, '\0'))},
        {cyrillic + emoji, REG_MULTI_SZ, utf16(std::string("a\0b\0\0", 5))},
        {"Count", REG_DWORD, std::string("\x2a\0\0\0", 4)},
        {"Large", REG_QWORD, std::string("\x01\0\0\0\0\0\0\x80", 8)},
        {"Bytes", REG_BINARY, std::string("\0\x01\0\xff", 4)},
        {"Empty", REG_SZ, utf16(std::string(1, '\0'))},
        {"Unterminated", REG_SZ, utf16("u.exe")}, // Wine adds the NUL; Windows keeps it as it is
        {"None", REG_NONE, std::string()},
        {"Odd\xED\xA0\x80", REG_SZ, oddBytes, L"Odd\xD800"},
        {"Data", REG_SZ, oddBytes},
    };
    std::vector<std::string> stored;
    for (const Value& value : values) {
        run.set(value.name(), value.type, value.bytes);
        stored.push_back(run.bytes(value.name()));
    }
    const std::vector<std::string> listed = describe(database.getItems());
    EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), "0 Data=C:\\odd\xED\xB0\x80.exe"));
    for (const Value& value : values) {
        for (const StartupItem& item : database.getItems())
            if (item.getValue() == value.listed && item.getState() == 0)
                database.disable(disabled(item));
        for (const Value& other : values)
            EXPECT_EQ(&other <= &value, !run.has(other.name())) << value.listed << " disabled, " << other.listed;
    }
    RegistryBackup restarted(file);
    RegistryDatabase afterRestart(USER_RUN, restarted);
    for (const StartupItem& item : restarted.getEntries(USER_RUN))
        afterRestart.enable(item);
    restarted.commit();
    for (std::size_t i = 0; i < std::size(values); ++i) {
        DWORD type = 0;
        EXPECT_EQ(stored[i], run.bytes(values[i].name(), &type)) << values[i].listed;
        EXPECT_EQ(values[i].type, type) << values[i].listed;
    }
}

// The console enables an entry while the window, which read the data file before, still has it
// stored; the window's user then disables it again.
TEST_F(RegistryDatabaseTest, DisablingStoresTheEntryWhateverWasReadBefore)
{
    run.setString("App", "a.exe");
    database.stageDisable(disabled(database.getItems().at(0)));
    database.disable(disabled(database.getItems().at(0)));
    {
        RegistryBackup console(file);
        RegistryDatabase consoleRun(USER_RUN, console);
        consoleRun.enable(console.getEntries(USER_RUN).at(0));
        console.commit();
    }
    ASSERT_TRUE(run.has("App"));
    const StartupItem live = disabled(database.getItems().at(0));
    database.stageDisable(live);
    database.disable(live);
    EXPECT_FALSE(run.has("App"));
    EXPECT_EQ(1u, RegistryBackup(file).getEntries(USER_RUN).size()) << "in the file, not only in what was read";
}

// The table's keys and folders are the system's own: its SDK names the keys, and the folder
// settings lead where the shell itself keeps the Startup folders.
TEST(RegistryLocationTest, TheTableNamesTheKeysAndFoldersWindowsReads)
{
    using C = StartupConstants;
    const std::pair<int, const char*> keys[] = {
        {C::LOCAL_MACHINE_RUN, REGSTR_PATH_RUN},
        {C::LOCAL_MACHINE_RUN_ONCE, REGSTR_PATH_RUNONCE},
        {C::LOCAL_MACHINE_RUN_ONCE_EX, REGSTR_PATH_RUNONCEEX},
        {C::LOCAL_MACHINE_RUN_SERVICES, REGSTR_PATH_RUNSERVICES},
        {C::LOCAL_MACHINE_RUN_SERVICES_ONCE, REGSTR_PATH_RUNSERVICESONCE},
        {C::CURRENT_USER_RUN, REGSTR_PATH_RUN},
        {C::CURRENT_USER_RUN_ONCE, REGSTR_PATH_RUNONCE},
        {C::LOCAL_MACHINE_RUN_32, REGSTR_PATH_RUN},
        {C::LOCAL_MACHINE_POLICY_RUN, REGSTR_PATH_RUN_POLICY},
        {C::CURRENT_USER_POLICY_RUN, REGSTR_PATH_RUN_POLICY},
    };
    for (const auto& key : keys)
        EXPECT_EQ(key.second, keyOf(key.first)) << key.first;
    const std::tuple<int, int, const char*> folders[] = {{C::USER_STARTUP, CSIDL_STARTUP, ".\\cuas\\"},
                                                         {C::COMMON_STARTUP, CSIDL_COMMON_STARTUP, ".\\lmas\\"}};
    for (const auto& [type, shellFolder, disabledFolder] : folders) {
        const Location& row = *LocationTable::find(type);
        char setting[MAX_PATH] = {}, shell[MAX_PATH] = {};
        DWORD size = sizeof setting;
        ::RegGetValueA(products::bootwarden::database::registryRoot(row), row.key, row.folderValue, RRF_RT_REG_SZ,
                       nullptr, setting, &size);
        ::SHGetFolderPathA(nullptr, shellFolder, nullptr, 0, shell);
        EXPECT_STREQ(shell, setting) << row.folderValue;
        EXPECT_STREQ(disabledFolder, row.disabledFolder);
    }
}

// Every registry location of the table in its own key and view: a value disabled there leaves
// every other location as it was, lies in the data file where older versions look only when they
// know the location, survives a restart and comes back to its own key.
TEST(RegistryLocationTest, EveryRegistryLocationRoundTripsInItsOwnKeyAndView)
{
    const StartupWorld world("round_trip");
    const std::string file = world.file("bootwarden.dat");
    std::vector<const Location*> locations;
    for (const Location& location : LocationTable::all())
        if (location.kind == Location::Kind::RegistryKey && location.systems != Location::Systems::None &&
            location.allowed.allows(products::bootwarden::EntryAction::Disable) &&
            location.layout == Location::Layout::Values)
            locations.push_back(&location);
    const auto command = [](const Location& location) {
        return "\"C:\\Program Files\\" + std::string(location.label) + "\\tool.exe\" " + std::string(300, 'o');
    };
    // A value every location takes for an entry.
    const auto name = [](const Location& location) { return location.values ? location.values[0] : "Same"; };
    for (const Location* location : locations) {
        SCOPED_TRACE(location->label);
        for (const Location* each : locations)
            world.key(each->type).setString(name(*each), command(*each));
        RegistryBackup backup(file);
        RegistryDatabase database(location->type, backup);
        const std::vector<StartupItem> items = database.getItems();
        EXPECT_EQ(std::vector<std::string>{"0 " + std::string(name(*location)) + "=" + command(*location)},
                  describe(items));
        database.disable(disabled(items.at(0)));
        for (const Location* each : locations)
            EXPECT_EQ(each != location, world.key(each->type).has(name(*each))) << each->label;
        EXPECT_EQ(word(location->recordType == StartupConstants::NO_RECORD ? 0 : 1), readFile(file).substr(0, 4));

        for (const Location* each : locations)
            EXPECT_EQ(each == location, !RegistryBackup(file).getEntries(each->type).empty()) << each->label;
        expectComesBack<RegistryDatabase>(file, location->type, [&] {
            DWORD type = 0;
            EXPECT_EQ(command(*location), world.key(location->type).get(name(*location), &type));
            EXPECT_EQ(DWORD(REG_SZ), type);
        });
    }
}

// The current user's Windows settings start the programs their values Load and Run name; the
// key's other values are settings, and an empty Load names nothing.
TEST(RegistryLocationTest, OfTheWindowsSettingsOnlyLoadAndRunNamingAProgramAreEntries)
{
    const StartupWorld world("windows_values");
    const int type = StartupConstants::CURRENT_USER_WINDOWS;
    const RegistryScratch& settings = world.key(type);
    settings.setString("load", "C:\\l.exe");
    settings.setString("Run", "");
    settings.setString("Device", "Printer,winspool,LPT1:");
    RegistryBackup backup(world.file("bootwarden.dat"));
    RegistryDatabase database(type, backup);
    const std::vector<StartupItem> items = database.getItems();
    EXPECT_EQ(std::vector<std::string>{"0 load=C:\\l.exe"}, describe(items));
    database.disable(disabled(items.at(0)));
    settings.setString("Load", ""); // as Windows leaves it
    database.enable(backup.getEntries(type).at(0));
    EXPECT_EQ("C:\\l.exe", settings.get("Load"));
    EXPECT_EQ("Printer,winspool,LPT1:", settings.get("Device"));
}

// RunOnceEx as Windows reads it, in both views: the values of its numbered sections are the
// commands; the key's own values and a section's title are settings. A command goes back to its
// section byte for byte, and is stored where older versions never look.
TEST(RegistryLocationTest, RunOnceExListsTheValuesOfItsSections)
{
    const StartupWorld world("run_once_ex");
    const std::string file = world.file("bootwarden.dat");
    for (const int type :
         {StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX, StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX_32}) {
        const RegistryScratch& key = world.key(type);
        key.setString("Title", "Installing");
        key.set("Flags", REG_DWORD, std::string("\x20\0\0\0", 4));
        RegistryScratch first(key.root(), key.subKey() + "\\0001"), second(key.root(), key.subKey() + "\\0002");
        first.setString("", "Section title");
        first.setString("Line1", "||C:\\Tools\\setup.exe /quiet");
        second.setString("Line1", "\"C:\\x.exe\"", REG_EXPAND_SZ);
        RegistryBackup backup(file);
        RegistryDatabase database(type, backup);
        const std::vector<StartupItem> items = database.getItems();
        EXPECT_EQ(
            (std::vector<std::string>{"0 0001\\Line1=||C:\\Tools\\setup.exe /quiet", "0 0002\\Line1=\"C:\\x.exe\""}),
            describe(items));
        EXPECT_EQ("C:\\Tools\\setup.exe /quiet", database.getCommand(items.at(0))) << "\"||\" says only not to wait";
        {
            platform::ScopedOverride gone(&platform::Win32Api::RegOpenKeyExU, [real = platform::win32().RegOpenKeyExU](
                                                                                  HKEY root, const std::string& name,
                                                                                  REGSAM access, PHKEY opened) {
                const bool section = name.size() > 5 && name.substr(name.size() - 5) == "\\0002";
                return section ? LONG(ERROR_FILE_NOT_FOUND) : real(root, name, access, opened);
            });
            EXPECT_EQ(1u, database.getItems().size()) << "a section run and removed while listed hides no other";
        }
        const RegistryDatabase::Note title = database.getNote(items.at(0));
        EXPECT_EQ("Section 0001: Section title", title.text);
        EXPECT_FALSE(title.warning);
        EXPECT_EQ("", database.getNote(items.at(1)).text);
        const std::string bytes = second.bytes("Line1");
        database.disable(disabled(items.at(1)));
        EXPECT_FALSE(second.has("Line1"));
        EXPECT_TRUE(first.has("Line1"));
        EXPECT_EQ(word(0), readFile(file).substr(0, 4)) << "no record an older version would write into the key";
        expectComesBack<RegistryDatabase>(file, type, [&] {
            DWORD valueType = 0;
            EXPECT_EQ(bytes, second.bytes("Line1", &valueType));
            EXPECT_EQ(DWORD(REG_EXPAND_SZ), valueType);
        });
        database.remove(database.getItems().at(0));
        EXPECT_FALSE(first.has("Line1"));
        EXPECT_TRUE(key.has("Title") && first.has("")) << "settings stay";
        ::DeleteFileA(file.c_str()); // its copy
    }
}

// Active Setup in both views: a component with a command is one entry, known by its title (by its
// key without one); a component without a command is none. Its command leaves the component and
// comes back byte for byte; the component's other values stay.
TEST(RegistryLocationTest, ActiveSetupListsEachComponentWithACommand)
{
    const StartupWorld world("active_setup");
    const std::string file = world.file("bootwarden.dat");
    for (const int type :
         {StartupConstants::LOCAL_MACHINE_ACTIVE_SETUP, StartupConstants::LOCAL_MACHINE_ACTIVE_SETUP_32}) {
        const RegistryScratch& key = world.key(type);
        RegistryScratch titled(key.root(), key.subKey() + "\\{A1}"), untitled(key.root(), key.subKey() + "\\{B2}"),
            idle(key.root(), key.subKey() + "\\{C3}");
        titled.setString("", "Contoso Updater");
        titled.setString("StubPath", "C:\\Tools\\updater.exe /user", REG_EXPAND_SZ);
        titled.setString("Version", "4,2");
        untitled.setString("StubPath", "C:\\b.exe");
        idle.setString("", "Installed for the machine only");
        RegistryBackup backup(file);
        RegistryDatabase database(type, backup);
        const std::vector<StartupItem> items = database.getItems();
        EXPECT_EQ((std::vector<std::string>{"0 {A1}=C:\\Tools\\updater.exe /user", "0 {B2}=C:\\b.exe"}),
                  describe(items));
        EXPECT_EQ("Contoso Updater", database.getLabel(items.at(0)));
        EXPECT_EQ("{B2}", database.getLabel(items.at(1)));
        EXPECT_EQ("Component {A1}", database.getNote(items.at(0)).text);
        const std::string bytes = titled.bytes("StubPath");
        database.disable(disabled(items.at(0)));
        EXPECT_FALSE(titled.has("StubPath"));
        EXPECT_TRUE(untitled.has("StubPath"));
        EXPECT_EQ(word(0), readFile(file).substr(0, 4)) << "no record an older version would write into the key";

        RegistryBackup restarted(file);
        RegistryDatabase again(type, restarted);
        const std::vector<StartupItem> listed = again.getItems();
        EXPECT_EQ((std::vector<std::string>{"0 {B2}=C:\\b.exe", "1 {A1}=C:\\Tools\\updater.exe /user"}),
                  describe(listed));
        EXPECT_EQ("Contoso Updater", again.getLabel(listed.at(1))) << "a stored component keeps its title";
        again.enable(listed.at(1));
        restarted.commit();
        DWORD valueType = 0;
        EXPECT_EQ(bytes, titled.bytes("StubPath", &valueType));
        EXPECT_EQ(DWORD(REG_EXPAND_SZ), valueType);
        EXPECT_EQ("4,2", titled.get("Version"));
        EXPECT_EQ(dataFile({}), readFile(file));
    }
}

// The shell and the sign-in programs are marked when they are not Windows' own, however that is
// spelt.
TEST(RegistryLocationTest, AWinlogonValueThatIsNotWindowsOwnHasANote)
{
    const StartupWorld world("winlogon");
    RegistryBackup backup(world.file("bootwarden.dat"));
    const int machine = StartupConstants::LOCAL_MACHINE_WINLOGON, user = StartupConstants::CURRENT_USER_WINLOGON;
    const std::tuple<int, const char*, const char*, const char*> values[] = {
        {machine, "Shell", "Explorer.EXE", ""},
        {machine, "Userinit", "C:\\WINDOWS\\System32\\userinit.exe,", ""},
        {machine, "Userinit", "%SystemRoot%\\system32\\userinit.exe,C:\\agent.exe",
         "This is not Windows' own Userinit, which is %SystemRoot%\\system32\\userinit.exe,. Windows starts: "
         "%SystemRoot%\\system32\\userinit.exe,C:\\agent.exe"},
        {user, "Shell", "C:\\kiosk.exe",
         "This is not Windows' own Shell, which is explorer.exe. Windows starts: C:\\kiosk.exe"},
    };
    for (const auto& [type, name, data, note] : values) {
        world.key(type).setString(name, data);
        RegistryDatabase database(type, backup);
        const RegistryDatabase::Note found = database.getNote(StartupItem(type, 0, name, data));
        EXPECT_EQ(note, found.text) << data;
        EXPECT_EQ(*note != '\0', found.warning) << data;
    }
    EXPECT_EQ((std::vector<std::string>{"0 Shell=Explorer.EXE",
                                        "0 Userinit=%SystemRoot%\\system32\\userinit.exe,C:\\agent.exe"}),
              describe(RegistryDatabase(machine, backup).getItems()));
}

// The system's own switches, as its startup settings write them.
TEST_F(RegistryDatabaseTest, EntriesSwitchedOffBySystemSettingsAreDisabledAndSwitchedOnInPlace)
{
    RegistryScratch approved{HKEY_CURRENT_USER, LocationTable::switchesKey(USER_RUN)};
    for (const char* name : {"Flagged", "On", "Missing", "Short"})
        run.setString(name, std::string(name) + ".exe");
    const std::string off = std::string("\x03\0\0\0", 4) + std::string("\xd4\x0d\x43\x8d\xc8\x3b\xd9\x01", 8);
    const std::string on = std::string("\x02", 1) + std::string(11, '\0');
    approved.set("FLAGGED", REG_BINARY, off); // the switch's name in any case, as the registry matches it
    approved.set("On", REG_BINARY, on);
    approved.set("Short", REG_BINARY, std::string("\x03\0", 2));
    const std::vector<StartupItem> items = database.getItems();
    EXPECT_EQ((std::vector<std::string>{"0 Missing=Missing.exe", "0 On=On.exe", "0 Short=Short.exe",
                                        "1 Flagged=Flagged.exe"}),
              describe(items))
        << "a short switch counts as on";
    const StartupItem& flagged = itemNamed(items, "Flagged");
    ASSERT_TRUE(flagged.isDisabledBySystem());
    EXPECT_FALSE(flagged.isChanged());

    database.enable(flagged);
    EXPECT_EQ(on, approved.bytes("Flagged")) << "switched on as the system does";
    EXPECT_TRUE(run.has("Flagged")) << "the value never moved";
    EXPECT_EQ(std::string("\x03\0", 2), approved.bytes("Short")) << "never rewritten";
    EXPECT_TRUE(backup.getEntries(USER_RUN).empty());
}

TEST_F(RegistryDatabaseTest, DeletingKeepsACopyOfEnabledAndDisabledEntries)
{
    run.setString("Del", "d.exe");
    database.remove(database.getItems().at(0));
    EXPECT_FALSE(run.has("Del"));

    database.disable(StartupItem(USER_RUN, 1, "Old", "o.exe"));
    database.remove(StartupItem(USER_RUN, 1, "Old", "o.exe"));
    const RegistryBackup restarted(file);
    EXPECT_TRUE(restarted.getEntries(USER_RUN).empty()) << "the copy takes the stored entry's place, written at once";
    const std::vector<StartupItem> copies = restarted.getEntries(StartupConstants::DELETED_FROM + USER_RUN);
    ASSERT_EQ(2u, copies.size());
    EXPECT_EQ("d.exe", copies[0].getData());
    EXPECT_EQ("o.exe", copies[1].getData());
}

TEST_F(RegistryDatabaseTest, AMissingKeyListsItsStoredEntriesAndIsMadeAgainToEnableThem)
{
    database.disable(StartupItem(USER_RUN, 1, "Kept", "k.exe"));
    database.disable(StartupItem(USER_RUN, 1, "Dropped", "d.exe"));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, RUN_KEY.c_str());
    EXPECT_EQ((std::vector<std::string>{"1 Dropped=d.exe", "1 Kept=k.exe"}), describe(database.getItems()));
    database.remove(StartupItem(USER_RUN, 1, "Dropped", "d.exe"));
    database.enable(StartupItem(USER_RUN, 1, "Kept", "k.exe"));
    EXPECT_EQ("k.exe", run.get("Kept").substr(0, 5));

    platform::ScopedOverride denied(&platform::Win32Api::RegOpenKeyExU, failing(LONG(ERROR_ACCESS_DENIED), 0));
    EXPECT_THROW(database.getItems(), windows::registry::RegistryAccessDeniedException)
        << "only a missing key is empty";
}

} // namespace

namespace {

// One of the places programs hide in, as Windows holds it: the value Windows reads (in the key,
// or in a program's subkey) and a setting beside it that must stay.
struct HidingPlace {
    int type;
    const char* subkey; // "" for the key itself
    const char* value;
    DWORD valueType;
    std::string bytes;
    std::vector<std::string> listed; // sorted
    std::size_t out;                 // in the list's order
    // The marks of the entries in the list's order, and whether the first refuses to be disabled.
    std::vector<bool> marked;
    // What an installer that mends itself writes back while the entry is disabled.
    std::string mended;
    bool ownRefused = false;
    bool switchedOn = false; // the location's switch, where it has one
};

std::string units(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

template <class Database>
void expectRoundTrip(const StartupWorld& world, const HidingPlace& place)
{
    const std::string file = world.file("bootwarden.dat");
    const RegistryScratch& key = world.key(place.type);
    const RegistryScratch program(key.root(), key.subKey() + "\\" + place.subkey);
    const RegistryScratch& holder = *place.subkey ? program : key;
    holder.set(place.value, place.valueType, place.bytes);
    holder.setString("Setting", "stays");
    if (place.switchedOn)
        holder.set(LocationTable::find(place.type)->listSwitch, REG_DWORD, word(1));
    RegistryBackup backup(file);
    Database database(place.type, backup);
    const std::vector<StartupItem> items = database.getItems();
    EXPECT_EQ(place.listed, describe(items));
    for (std::size_t i = 0; i < items.size() && i < place.marked.size(); ++i)
        EXPECT_EQ(place.marked[i], database.getNote(items[i]).warning) << i;
    EXPECT_EQ(place.ownRefused,
              !products::bootwarden::StartupInterface::allows(items.at(0), products::bootwarden::EntryAction::Disable));
    database.disable(disabled(items.at(place.out)));
    EXPECT_EQ(place.listed.size(), database.getItems().size()) << "listed as disabled";
    EXPECT_NE(place.bytes, holder.bytes(place.value)) << "gone from what Windows reads";
    EXPECT_EQ(word(0), readFile(file).substr(0, 4)) << "no record an older version would act on";
    expectComesBack<Database>(file, place.type, [&] {
        DWORD type = 0;
        EXPECT_EQ(place.bytes, holder.bytes(place.value, &type));
        EXPECT_EQ(place.valueType, type);
        EXPECT_EQ("stays", holder.get("Setting"));
    });

    RegistryBackup later(file);
    Database again(place.type, later);
    again.disable(disabled(items.at(place.out)));
    holder.set(place.value, place.valueType, place.mended);
    const std::vector<StartupItem> mended = again.getItems();
    EXPECT_EQ(1, std::count(mended.begin(), mended.end(), items.at(place.out))) << "back, and stored: one entry";
    ::DeleteFileA(file.c_str());
}

} // namespace

// The places programs hide in, in both views where Windows has both (the debuggers' key is one): an entry leaves what
// Windows reads alone, the rest of it as it was, and comes back byte for byte; Windows' own disk check is never
// disabled; a list that Windows reads none of is marked, one it reads is not; an entry put back while it is stored is
// one entry.
TEST(RegistryLocationTest, TheHidingPlacesGiveBackWhatWindowsReadsByteForByte)
{
    using C = StartupConstants;
    using namespace std::string_view_literals;
    const StartupWorld world("hiding_places");
    const std::string appInit = units(u"C:\\a.dll, C:\\hook.dll\0"sv);
    const std::string bootExecute = units(u"autocheck autochk *\0C:\\Tools\\clean.exe /q\0\0"sv);
    // clang-format off
    const HidingPlace places[] = {
        {C::LOCAL_MACHINE_DEBUGGERS, "notepad.exe", "Debugger", REG_EXPAND_SZ, units(u"C:\\spy.exe\0"sv),
         {"0 notepad.exe=C:\\spy.exe"}, 0, {false}, units(u"C:\\spy.exe\0"sv)},
        {C::LOCAL_MACHINE_APPINIT_DLLS, "", "AppInit_DLLs", REG_SZ, appInit,
         {"0 C:\\a.dll=C:\\a.dll", "0 C:\\hook.dll=C:\\hook.dll"}, 1, {true, true}, units(u"C:\\hook.dll\0"sv)},
        {C::LOCAL_MACHINE_APPINIT_DLLS_32, "", "AppInit_DLLs", REG_SZ, appInit,
         {"0 C:\\a.dll=C:\\a.dll", "0 C:\\hook.dll=C:\\hook.dll"}, 0, {false, false}, units(u"C:\\a.dll\0"sv),
         false, true},
        {C::BOOT_EXECUTE, "", "BootExecute", REG_MULTI_SZ, bootExecute,
         {"0 C:\\Tools\\clean.exe /q=C:\\Tools\\clean.exe /q", "0 autocheck autochk *=autocheck autochk *"}, 1,
         {false, true}, units(u"C:\\Tools\\clean.exe /q\0\0"sv), true},
    };
    // clang-format on
    for (const HidingPlace& place : places) {
        SCOPED_TRACE(LocationTable::treePath(place.type));
        if (LocationTable::find(place.type)->layout == Location::Layout::List)
            expectRoundTrip<products::bootwarden::database::ValueListDatabase>(world, place);
        else
            expectRoundTrip<RegistryDatabase>(world, place);
    }
}
