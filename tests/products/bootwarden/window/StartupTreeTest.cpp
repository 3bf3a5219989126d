#include "products/bootwarden/window/StartupTree.h"
#include "products/bootwarden/window/TextFilter.h"

#include "exceptions/Exception.h"
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupInterface.h"
#include "support/AssertionRecorder.h"
#include "support/ScriptedDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <sstream>

using products::bootwarden::Location;
using products::bootwarden::LocationTable;
using products::bootwarden::StartupConstants;
using products::bootwarden::StartupInterface;
using products::bootwarden::StartupItem;
using products::bootwarden::window::StartupTree;
using products::bootwarden::window::StartupTreeWidget;
using products::bootwarden::window::TextFilter;
using Command = StartupTree::Command;
using Node = StartupTree::Node;

namespace {

// The tree control in memory: nodes, their images and marks, in the order the control keeps.
class MemoryTreeWidget : public StartupTreeWidget {
public:
    struct Item {
        std::string text;
        Item* parent;
        int image;
        int state;
        bool bold = false;
        std::vector<Item*> children;
        bool expanded = false;
    };

    Node insert(const std::string& text, Node parent, int image, int stateImage) override
    {
        _items.push_back({text, static_cast<Item*>(parent), image, stateImage, false, {}});
        childrenOf(parent).push_back(&_items.back());
        return &_items.back();
    }
    void sortChildren(Node parent, Node last) override
    {
        std::vector<Item*>& children = childrenOf(parent);
        std::stable_sort(children.begin(), children.end(), [last](const Item* a, const Item* b) {
            return std::make_pair(a == last, lower(a->text)) < std::make_pair(b == last, lower(b->text));
        });
    }
    void remove(Node node) override
    {
        std::vector<Item*>& siblings = childrenOf(item(node)->parent);
        siblings.erase(std::find(siblings.begin(), siblings.end(), item(node)));
    }
    void removeAll() override { _top.clear(); }
    void expand(Node node) override { item(node)->expanded = true; }
    void setImage(Node node, int image) override { item(node)->image = image; }
    void setStateImage(Node node, int stateImage) override { item(node)->state = stateImage; }
    void setBold(Node node, bool bold) override { item(node)->bold = bold; }

    static Item* item(Node node) { return static_cast<Item*>(node); }

    // Follows a path of texts from the top, "Registry/Current User/Run".
    Node find(const std::string& path)
    {
        std::istringstream parts(path);
        Item* found = nullptr;
        for (std::string part; std::getline(parts, part, '/');) {
            const std::vector<Item*>& children = childrenOf(found);
            const auto next = std::find_if(children.begin(), children.end(),
                                           [&part](const Item* child) { return child->text == part; });
            if (next == children.end())
                return nullptr;
            found = *next;
        }
        return found;
    }
    std::vector<std::string> children(const std::string& path)
    {
        std::vector<std::string> texts;
        const Node parent = path.empty() ? nullptr : find(path);
        if (!path.empty() && !parent)
            return texts;
        for (const Item* child : childrenOf(parent))
            texts.push_back(child->text);
        return texts;
    }
    Item& at(const std::string& path) { return *item(find(path)); }

private:
    static std::string lower(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(), ::tolower);
        return text;
    }
    std::vector<Item*>& childrenOf(Node parent) { return parent ? item(parent)->children : _top; }

    std::list<Item> _items;
    std::vector<Item*> _top;
};

const int DISABLED = StartupConstants::DISABLED;
const int ENABLED = StartupConstants::ENABLED;
const int RUN = StartupConstants::CURRENT_USER_RUN;
const std::string USER_RUN = LocationTable::treePath(RUN);
using Widget = StartupTreeWidget;

// The locations of 64-bit Windows NT: every row of the table the system has.
class StartupTreeTest : public testing::Test {
protected:
    RecordingReporter reporter;
    StartupInterface startup{&reporter};
    MemoryTreeWidget view;
    StartupTree tree{startup, view};
    std::list<ScriptedDatabase> databases;

    ScriptedDatabase& serve(int type, std::vector<StartupItem> items = {})
    {
        databases.emplace_back(type, std::move(items));
        startup.addDatabase(&databases.back());
        return databases.back();
    }
    ScriptedDatabase& serveAll(std::vector<StartupItem> userRunItems = {})
    {
        for (const Location& location : LocationTable::all())
            if (location.label && location.systems != Location::Systems::OutsideNt && location.type != RUN)
                serve(location.type);
        return serve(RUN, std::move(userRunItems));
    }
    Node entry(const std::string& name) { return view.find(USER_RUN + "/" + name); }
    MemoryTreeWidget::Item& at(const std::string& name) { return view.at(USER_RUN + "/" + name); }
};

TEST_F(StartupTreeTest, EachServedLocationAtItsPlaceInTheTable)
{
    serveAll();
    tree.build();
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry"}), view.children(""));
    EXPECT_EQ((std::vector<std::string>{"All users", "Current User"}), view.children("Registry"));
    for (const Location& location : LocationTable::all()) {
        if (!location.label)
            continue;
        const Node node = view.find(LocationTable::treePath(location.type));
        ASSERT_EQ(location.systems != Location::Systems::OutsideNt && location.shownWhenEmpty, node != nullptr)
            << location.label << ": a place the program added is shown when it holds an entry";
        if (!node)
            continue;
        EXPECT_EQ(Widget::IMAGE_FOLDER, view.at(LocationTable::treePath(location.type)).image);
        EXPECT_EQ(std::vector<Command>{Command::Info}, tree.commands(node));
        EXPECT_EQ("", tree.commandLine(node));
        EXPECT_EQ(std::string("General Information:\n") + location.description, tree.information(node));
    }
    EXPECT_EQ(std::vector<Command>{}, tree.commands(nullptr));
    EXPECT_EQ("General Information:\nEach time the system boots, it executes all commands stored under "
              "this key, then removes them. Typical candidates are setup programs that require that you "
              "reboot your system to continue the installation.",
              tree.information(view.find("Registry/All users/Run Once Ex")));
}

TEST_F(StartupTreeTest, APlaceTheProgramAddedIsShownWithAnEntryLiveOrStored)
{
    const int server = StartupConstants::TERMINAL_SERVER_RUN, serverOnce = StartupConstants::TERMINAL_SERVER_RUN_ONCE;
    serve(server, {StartupItem(server, DISABLED, "Setup", "s.exe")});
    serve(serverOnce, {StartupItem(serverOnce, ENABLED, "Patch", "p.exe")});
    const int activeSetup = StartupConstants::LOCAL_MACHINE_ACTIVE_SETUP;
    ScriptedDatabase& components = serve(activeSetup, {StartupItem(activeSetup, ENABLED, "{A1}", "u.exe")});
    components.label = "Contoso Updater";
    tree.build();
    EXPECT_EQ(std::vector<std::string>{"Setup"}, view.children(LocationTable::treePath(server)));
    EXPECT_EQ(std::vector<std::string>{"Patch"}, view.children(LocationTable::treePath(serverOnce)));
    EXPECT_EQ(std::vector<std::string>{"Contoso Updater"}, view.children(LocationTable::treePath(activeSetup)))
        << "as its location names it";
    EXPECT_EQ((std::vector<std::string>{"Active Setup", "Terminal Server Run", "Terminal Server Run Once"}),
              view.children("Registry/All users"));
    components.calls.clear();
    tree.toggle(view.find(LocationTable::treePath(activeSetup) + "/Contoso Updater"));
    tree.applyChanges();
    EXPECT_EQ((std::vector<std::string>{"stage {A1}", "disable {A1}", "commit "}), components.calls)
        << "by its value, not by the name it shows";
}

// Windows cannot sign in without its shell: no check box, no Disable or Delete, and a shell that
// is not Windows' own is marked and says so.
TEST_F(StartupTreeTest, AnEssentialEntryIsNeverDisabledAndItsNoteIsShown)
{
    const int winlogon = StartupConstants::LOCAL_MACHINE_WINLOGON;
    ScriptedDatabase& database = serve(winlogon, {StartupItem(winlogon, ENABLED, "Shell", "kiosk.exe")});
    database.note = {"not Windows' own", true};
    tree.build();
    const std::string path = LocationTable::treePath(winlogon) + "/Shell";
    EXPECT_EQ(Widget::STATE_NONE, view.at(path).state);
    EXPECT_EQ(Widget::IMAGE_FOLDER_WARNING, view.at(path).image);
    EXPECT_EQ((std::vector<Command>{Command::Run, Command::OpenFileLocation, Command::Info}),
              tree.commands(view.find(path)));
    EXPECT_EQ("General Information:\nnot Windows' own", tree.information(view.find(path)));
    tree.toggle(view.find(path));
    EXPECT_FALSE(tree.hasPendingChanges());
}

// A service is disabled and enabled here; the system's own tools remove and start it.
TEST_F(StartupTreeTest, AServiceIsNeverDeletedOrStartedHere)
{
    const int services = StartupConstants::AUTOMATIC_SERVICES;
    serve(services, {StartupItem(services, ENABLED, "Spooler", "spoolsv.exe")}).registryKey = "HKEY_LOCAL_MACHINE\\S";
    tree.build();
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry", "Services"}), view.children(""));
    const StartupTree::Node spooler = view.find("Services/Automatic/Spooler");
    EXPECT_EQ((std::vector<Command>{Command::Disable, Command::OpenFileLocation, Command::OpenInRegistryEditor}),
              tree.commands(spooler));
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\S\\Spooler", tree.registryKey(spooler));
    EXPECT_EQ("spoolsv.exe", tree.programCommand(spooler));
}

// A deleted entry's copy is listed under Deleted, after every place Windows starts from, by the path
// of the location it came from; it is only restored or forgotten, and Deleted goes with the last.
TEST_F(StartupTreeTest, DeletedEntriesComeLastAndAreRestoredWhereTheyCameFrom)
{
    const int services = StartupConstants::AUTOMATIC_SERVICES, copies = StartupConstants::DELETED_FROM + RUN;
    serve(services, {StartupItem(services, ENABLED, "Spooler", "spoolsv.exe")});
    serve(RUN, {StartupItem(RUN, ENABLED, "Tool", "t.exe")});
    ScriptedDatabase& deleted = serve(copies, {StartupItem(copies, DISABLED, "20261208T110233.123Z|Old", "o.exe")});
    deleted.failure = [&deleted](const StartupItem& asked) {
        if (!asked.getValue().empty())
            deleted.items.clear(); // restored: the copy is gone
    };
    tree.build();
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry", "Services", "Deleted"}), view.children(""));
    EXPECT_EQ(std::vector<std::string>{USER_RUN}, view.children("Deleted"));
    const Node copy = MemoryTreeWidget::item(view.find("Deleted"))->children.at(0)->children.at(0);
    EXPECT_EQ(Widget::STATE_NONE, MemoryTreeWidget::item(copy)->state);
    EXPECT_EQ((std::vector<Command>{Command::Restore, Command::Forget}), tree.commands(copy));

    ASSERT_TRUE(tree.restore(copy));
    EXPECT_EQ((std::vector<std::string>{"Old", "Tool"}), view.children(USER_RUN));
    EXPECT_EQ(Widget::STATE_ENABLED, at("Old").state);
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry", "Services"}), view.children(""));
    EXPECT_FALSE(tree.hasPendingChanges());
}

TEST_F(StartupTreeTest, EntriesAreSortedLeavesWithIconAndCheckBox)
{
    ScriptedDatabase& userRun =
        serveAll({StartupItem(RUN, ENABLED, "tool", "\"C:\\Program Files\\T\\Tool.EXE\" /min"),
                  StartupItem(RUN, DISABLED, "Old", "C:\\missing.exe"), StartupItem(RUN, ENABLED, "b", ""),
                  StartupItem(RUN, ENABLED, "", "0x0000002a (42)", 4, std::string("\x2a\0\0\0", 4)),
                  StartupItem(RUN, ENABLED, "z\xED\xA0\x80", "z\xED\xB0\x80.exe")});
    tree.build();
    EXPECT_EQ(std::vector<std::string>{"list "}, userRun.calls) << "commands are read when asked for, not to list";
    const std::string odd = "z\xEF\xBF\xBD   (the name holds half of a UTF-16 pair)";
    EXPECT_EQ((std::vector<std::string>{"(Default)", "b", "Old", "tool", odd}), view.children(USER_RUN));
    EXPECT_EQ("z\xEF\xBF\xBD.exe", tree.commandLine(entry(odd)));
    EXPECT_EQ(Widget::IMAGE_NO_PROGRAM, at("(Default)").image);
    EXPECT_EQ((std::vector<Command>{Command::Disable, Command::Delete}), tree.commands(entry("(Default)")))
        << "a number is no command to run";
    EXPECT_EQ(Widget::IMAGE_PROGRAM, at("tool").image);
    EXPECT_EQ(Widget::IMAGE_PROGRAM, at("b").image) << "an icon is a question for later";
    EXPECT_EQ(Widget::STATE_ENABLED, at("tool").state);
    EXPECT_EQ(Widget::STATE_DISABLED, at("Old").state);
    EXPECT_EQ("\"C:\\Program Files\\T\\Tool.EXE\" /min", tree.commandLine(entry("tool")));
    EXPECT_EQ((std::vector<Command>{Command::Enable, Command::Delete, Command::Run, Command::OpenFileLocation}),
              tree.commands(entry("Old")))
        << "no key of the registry to open";
    EXPECT_EQ("", tree.programCommand(entry("(Default)")));
}

TEST_F(StartupTreeTest, AnUnlistableLocationShowsTheWarningAndKeepsItsReason)
{
    const int userStartup = StartupConstants::USER_STARTUP;
    const std::string machineRun = LocationTable::treePath(StartupConstants::LOCAL_MACHINE_RUN);
    const std::string userFolder = LocationTable::treePath(userStartup);
    serve(StartupConstants::LOCAL_MACHINE_RUN).failure = [](const StartupItem&) {
        throw exceptions::Exception("no key");
    };
    serve(RUN, {StartupItem(RUN, ENABLED, "a", "")}).failure = [](const StartupItem&) { throw 42; };
    serve(userStartup, {StartupItem(userStartup, ENABLED, "b.exe", "")}).problem = "disabled side unknown";
    AssertionRecorder assertions;
    tree.build();
    EXPECT_EQ(std::vector<std::string>{"b.exe"}, view.children(userFolder)) << "listed all the same";
    EXPECT_EQ(Widget::IMAGE_FOLDER_WARNING, view.at(userFolder).image);
    EXPECT_NE(std::string::npos, tree.information(view.find(userFolder)).find("disabled side unknown"));
    EXPECT_EQ(Widget::IMAGE_FOLDER_WARNING, view.at(machineRun).image);
    EXPECT_NE(std::string::npos,
              tree.information(view.find(machineRun))
                  .find("\n\nError description:\nno key\n\nIf you have questions about this key, please "
                        "include the text in this message in you email. Press CTRL+C to copy it."));
    EXPECT_NE(std::string::npos,
              tree.information(view.find(USER_RUN))
                  .find("An unexpected exception occured when inserting leafts. Please contact Quillmere."));
    EXPECT_EQ(std::vector<std::string>{"false"}, assertions.expressions());
}

// A change waits for OK in bold; OK stages every disable and does them before the enables, then
// commits once, and keeps what failed pending. The system's own switch is turned back in place.
TEST_F(StartupTreeTest, ChangesWaitForOkInBoldAndOkKeepsTheFailedOnesPending)
{
    StartupItem switchedOff(RUN, ENABLED, "Off", "o.exe");
    switchedOff.markDisabledBySystem();
    ScriptedDatabase& userRun =
        serveAll({StartupItem(RUN, ENABLED, "A", "a.exe"), StartupItem(RUN, ENABLED, "B", "b.exe"),
                  StartupItem(RUN, DISABLED, "C", "c.exe"), switchedOff});
    tree.build();
    EXPECT_EQ(Widget::STATE_DISABLED_BY_SYSTEM, at("Off").state);
    EXPECT_EQ("o.exe   (switched off in the system's startup settings)", tree.commandLine(entry("Off")));
    tree.toggle(entry("A"));
    EXPECT_EQ(Widget::STATE_DISABLED, at("A").state);
    EXPECT_TRUE(at("A").bold);
    EXPECT_EQ(Command::Enable, tree.commands(entry("A"))[0]);
    tree.setEnabled(entry("A"), true);
    EXPECT_FALSE(at("A").bold) << "back to the state it was read with";
    EXPECT_FALSE(tree.hasPendingChanges());

    for (const char* name : {"A", "B", "C", "Off"})
        tree.toggle(entry(name));
    EXPECT_EQ(Widget::STATE_ENABLED, at("Off").state);
    EXPECT_TRUE(tree.hasPendingChanges());
    userRun.calls.clear();
    userRun.failure = [](const StartupItem& item) {
        if (item.getValue() == "B")
            throw exceptions::Exception("denied");
    };
    EXPECT_FALSE(tree.applyChanges());
    EXPECT_EQ((std::vector<std::string>{"stage A", "stage B", "disable A", "enable C", "enable Off", "commit "}),
              userRun.calls);
    EXPECT_EQ(1u, reporter.texts.size());
    EXPECT_FALSE(at("A").bold);
    EXPECT_TRUE(at("B").bold);
    userRun.failure = nullptr;
    userRun.calls.clear();
    EXPECT_TRUE(tree.applyChanges());
    EXPECT_EQ((std::vector<std::string>{"stage B", "disable B", "commit "}), userRun.calls)
        << "only what is still pending";
    EXPECT_FALSE(tree.hasPendingChanges());
}

// A hidden entry keeps its pending change, which OK applies; shown again, it is where it was.
TEST_F(StartupTreeTest, AHiddenEntryKeepsItsChangeAndComesBackInItsPlace)
{
    ScriptedDatabase& userRun =
        serveAll({StartupItem(RUN, ENABLED, "A", "a.exe"), StartupItem(RUN, ENABLED, "B", "b.exe"),
                  StartupItem(RUN, ENABLED, "C", "c.exe")});
    tree.build();
    tree.toggle(entry("B"));
    tree.hide(entry("B"));
    tree.hide(entry("A"));
    EXPECT_EQ((std::vector<std::string>{"C"}), view.children(USER_RUN));
    EXPECT_EQ(1u, tree.entries().size());
    EXPECT_TRUE(tree.hasPendingChanges());
    userRun.calls.clear();
    EXPECT_TRUE(tree.applyChanges());
    EXPECT_EQ((std::vector<std::string>{"stage B", "disable B", "commit "}), userRun.calls);
    EXPECT_FALSE(tree.hasPendingChanges());
    tree.toggle(entry("C"));
    tree.hide(entry("C"));
    tree.showHidden();
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), view.children(USER_RUN));
    EXPECT_EQ(Widget::STATE_DISABLED, at("B").state);
    EXPECT_FALSE(at("B").bold);
    EXPECT_TRUE(at("C").bold) << "still waiting for OK";
    tree.rebuild();
    tree.showHidden();
    EXPECT_EQ(3u, view.children(USER_RUN).size()) << "listing again drops what was hidden";
}

TEST_F(StartupTreeTest, DeleteDropsTheLeafOnlyWhenTheEntryIsGoneListingAgainDropsPendingChanges)
{
    ScriptedDatabase& userRun = serveAll(
        {StartupItem(RUN, ENABLED, "A", ""), StartupItem(RUN, ENABLED, "B", ""), StartupItem(RUN, ENABLED, "C", "")});
    userRun.failure = [](const StartupItem& item) {
        if (item.getValue() == "B")
            throw exceptions::Exception("denied");
    };
    tree.build();
    EXPECT_TRUE(tree.remove(entry("A")));
    EXPECT_FALSE(tree.remove(entry("B")));
    EXPECT_EQ((std::vector<std::string>{"B", "C"}), view.children(USER_RUN));
    EXPECT_FALSE(tree.isEntry(nullptr));

    userRun.failure = nullptr;
    tree.toggle(entry("C"));
    userRun.items.emplace_back(RUN, ENABLED, "New", "");
    tree.rebuild();
    EXPECT_FALSE(tree.hasPendingChanges());
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "New"}), view.children(USER_RUN));
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry"}), view.children(""));
    EXPECT_EQ(Widget::STATE_ENABLED, at("C").state);
}

} // namespace

// The filter box's text: the entries whose name, command line or known publisher hold it, in any
// case; the locations and groups left empty go, the others open. What the filter hides keeps its
// pending change for OK, and the filter and the hiding of Microsoft's entries each keep theirs.
TEST_F(StartupTreeTest, TheFilterShowsTheEntriesThatHoldItsTextAndOkAppliesTheHiddenOnes)
{
    const int machineRun = StartupConstants::LOCAL_MACHINE_RUN;
    const std::string MACHINE_RUN = LocationTable::treePath(machineRun);
    ScriptedDatabase& userRun = serveAll({StartupItem(RUN, ENABLED, "Tool", "notepad.exe"),
                                          StartupItem(RUN, ENABLED, "Updater", "C:\\Contoso\\update.exe"),
                                          StartupItem(RUN, ENABLED,
                                                      "\xc3\x89"
                                                      "cran",
                                                      "screen.exe")});
    std::find_if(databases.begin(), databases.end(), [](const auto& served) {
        return served.type == machineRun;
    })->items = {StartupItem(machineRun, ENABLED, "Tray", "tray.exe")};
    TextFilter text(startup);
    text.learnPublisher("tray.exe", "Fabrikam, Inc.");
    tree.build();
    tree.toggle(entry("Updater"));
    struct Case {
        const char* typed;
        std::vector<std::string> top;
        std::vector<std::string> userRun;
        std::vector<std::string> machineRun;
    };
    // clang-format off
    const Case cases[] = {
        {"CONTOSO",   {"Registry"}, {"Updater"}, {}},
        {"o",         {"Registry"}, {"Tool", "Updater"}, {}},
        {"ool",       {"Registry"}, {"Tool"}, {}},  // narrower: what "o" hid is not asked again
        {"fabrikam",  {"Registry"}, {}, {"Tray"}},
        {"\xc3\xa9" "cran", {"Registry"}, {"\xc3\x89" "cran"}, {}},
        {"nowhere",   {}, {}, {}},
        {"",          {"Autostart", "Registry"}, {"Tool", "Updater", "\xc3\x89" "cran"}, {"Tray"}},
    };
    // clang-format on
    for (const Case& typed : cases) {
        SCOPED_TRACE(typed.typed);
        const bool narrower = text.narrows(typed.typed);
        tree.filter(text.matcher(typed.typed), narrower);
        EXPECT_EQ(typed.top, view.children(""));
        EXPECT_EQ(typed.userRun, view.children(USER_RUN));
        EXPECT_EQ(typed.machineRun, view.children(MACHINE_RUN));
        EXPECT_EQ(typed.userRun.size() + typed.machineRun.size(), tree.shownCount());
        EXPECT_EQ(4u, tree.entryCount());
        if (!typed.userRun.empty()) {
            EXPECT_EQ(*typed.typed != 0, view.at(USER_RUN).expanded && view.at("Registry").expanded);
        }
    }
    EXPECT_TRUE(at("Updater").bold) << "its change kept while the filter hid it";

    tree.hide(entry("Tool"));
    tree.filter(text.matcher("o"));
    EXPECT_EQ(std::vector<std::string>{"Updater"}, view.children(USER_RUN)) << "Microsoft's stays hidden";
    tree.filter(text.matcher("contoso"));
    tree.showHidden();
    EXPECT_EQ(std::vector<std::string>{"Updater"}, view.children(USER_RUN)) << "the filter's stays hidden";
    tree.filter(text.matcher("screen"));
    userRun.calls.clear();
    EXPECT_TRUE(tree.applyChanges());
    EXPECT_EQ((std::vector<std::string>{"stage Updater", "disable Updater", "commit "}), userRun.calls);
}
