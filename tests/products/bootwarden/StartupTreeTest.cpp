#include "products/bootwarden/StartupTree.h"

#include "exceptions/Exception.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupInterface.h"
#include "support/AssertionRecorder.h"
#include "support/ScriptedDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <sstream>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupInterface;
using products::bootwarden::StartupItem;
using products::bootwarden::StartupTree;
using products::bootwarden::StartupTreeWidget;
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
    };

    Node insert(const std::string& text, Node parent, int image, int stateImage) override
    {
        _items.push_back({text, static_cast<Item*>(parent), image, stateImage, false, {}});
        childrenOf(parent).push_back(&_items.back());
        return &_items.back();
    }
    void sortChildren(Node parent) override
    {
        std::vector<Item*>& children = childrenOf(parent);
        std::stable_sort(children.begin(), children.end(),
                         [](const Item* a, const Item* b) { return lower(a->text) < lower(b->text); });
    }
    void remove(Node node) override
    {
        std::vector<Item*>& siblings = childrenOf(item(node)->parent);
        siblings.erase(std::find(siblings.begin(), siblings.end(), item(node)));
    }
    void removeAll() override { _top.clear(); }
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
        for (const Item* child : childrenOf(path.empty() ? nullptr : find(path)))
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
const std::string USER_RUN = "Registry/Current User/Run";

// The locations of an NT system: every type but the RunServices keys.
class StartupTreeTest : public testing::Test {
protected:
    RecordingReporter reporter;
    StartupInterface startup{&reporter};
    MemoryTreeWidget view;
    StartupTree tree{startup, view};
    std::list<ScriptedDatabase> databases;

    void SetUp() override
    {
        for (int type : {0, 1, 2, 5, 6, 7, 9})
            serve(type);
    }
    ScriptedDatabase& serve(int type, std::vector<StartupItem> items = {})
    {
        databases.emplace_back(type, std::move(items));
        startup.addDatabase(&databases.back());
        return databases.back();
    }
    Node entry(const std::string& name) { return view.find(USER_RUN + "/" + name); }
};

TEST_F(StartupTreeTest, LocationsOfTheServedTypesInTheControlsOrder)
{
    tree.build();
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry"}), view.children(""));
    EXPECT_EQ((std::vector<std::string>{"All users", "Current User"}), view.children("Registry"));
    EXPECT_EQ((std::vector<std::string>{"Run", "Run Once", "Run Once Ex"}), view.children("Registry/All users"));
    EXPECT_EQ((std::vector<std::string>{"Run", "Run Once"}), view.children("Registry/Current User"));
    EXPECT_EQ((std::vector<std::string>{"All users", "Current user"}), view.children("Autostart"));
    EXPECT_EQ(StartupTreeWidget::IMAGE_FOLDER, view.at(USER_RUN).image);
    EXPECT_EQ(StartupTreeWidget::STATE_NONE, view.at(USER_RUN).state);
    EXPECT_EQ(std::vector<Command>{Command::Info}, tree.commands(view.find(USER_RUN)));
    EXPECT_EQ(std::vector<Command>{}, tree.commands(nullptr));
    EXPECT_EQ("", tree.commandLine(view.find(USER_RUN)));
    EXPECT_EQ("General Information:\nEach time the system boots, it executes all commands stored under "
              "this key, then removes them. Typical candidates are setup programs that require that you "
              "reboot your system to continue the installation.",
              tree.information(view.find("Registry/All users/Run Once Ex")));

    // Where the facade serves the RunServices keys, they are locations too.
    StartupInterface older(&reporter);
    MemoryTreeWidget olderView;
    ScriptedDatabase services(3), servicesOnce(4);
    older.addDatabase(&services);
    older.addDatabase(&servicesOnce);
    StartupTree(older, olderView).build();
    EXPECT_EQ((std::vector<std::string>{"Run Services", "Run Services Once"}),
              olderView.children("Registry/All users"));
    EXPECT_EQ(std::vector<std::string>{}, olderView.children("Autostart"));
}

TEST_F(StartupTreeTest, EntriesAreSortedLeavesWithIconAndCheckBox)
{
    ScriptedDatabase& userRun =
        serve(5, {StartupItem(5, ENABLED, "tool", "\"C:\\Program Files\\T\\Tool.EXE\" /min"),
                  StartupItem(5, DISABLED, "Old", "C:\\missing.exe"), StartupItem(5, ENABLED, "b", ""),
                  StartupItem(5, ENABLED, "", "0x0000002a (42)", 4, std::string("\x2a\0\0\0", 4)),
                  StartupItem(5, ENABLED, "z\xED\xA0\x80", "z\xED\xB0\x80.exe")});
    tree.build();
    EXPECT_EQ(std::vector<std::string>{"list "}, userRun.calls) << "commands are read when asked for, not to list";
    const std::string odd = "z\xEF\xBF\xBD   (the name holds half of a UTF-16 pair)";
    EXPECT_EQ((std::vector<std::string>{"(Default)", "b", "Old", "tool", odd}), view.children(USER_RUN));
    EXPECT_EQ("z\xEF\xBF\xBD.exe", tree.commandLine(entry(odd)));
    EXPECT_EQ(StartupTreeWidget::IMAGE_NO_ICON, view.at(USER_RUN + "/(Default)").image);
    EXPECT_EQ((std::vector<Command>{Command::Disable, Command::Delete}), tree.commands(entry("(Default)")))
        << "a number is no command to run";
    EXPECT_EQ(StartupTreeWidget::IMAGE_PROGRAM, view.at(USER_RUN + "/tool").image);
    EXPECT_EQ(StartupTreeWidget::IMAGE_PROGRAM, view.at(USER_RUN + "/b").image) << "an icon is a question for later";
    EXPECT_EQ(StartupTreeWidget::STATE_ENABLED, view.at(USER_RUN + "/tool").state);
    EXPECT_EQ(StartupTreeWidget::STATE_DISABLED, view.at(USER_RUN + "/Old").state);
    EXPECT_FALSE(view.at(USER_RUN + "/tool").bold);
    EXPECT_EQ("C:\\Program Files\\T\\Tool.EXE", tree.programOf(entry("tool")));
    EXPECT_EQ("", tree.programOf(entry("b")));
    EXPECT_EQ("", tree.programOf(entry("(Default)")));
    EXPECT_EQ("\"C:\\Program Files\\T\\Tool.EXE\" /min", tree.commandLine(entry("tool")));
    EXPECT_EQ((std::vector<Command>{Command::Disable, Command::Delete, Command::Run}), tree.commands(entry("tool")));
    EXPECT_EQ((std::vector<Command>{Command::Enable, Command::Delete, Command::Run}), tree.commands(entry("Old")));
    EXPECT_STREQ("&Disable", StartupTree::text(Command::Disable));
    EXPECT_STREQ("&Info", StartupTree::text(Command::Info));
}

TEST(StartupTreeProgramPathTest, TheProgramOfACommandLine)
{
    const std::pair<const char*, const char*> paths[] = {
        {"C:\\a\\tool.exe /x", "C:\\a\\tool.exe"},
        {"\"C:\\Program Files\\A\\Tool.Exe\" /x", "C:\\Program Files\\A\\Tool.Exe"},
        {"rundll32 shell32.dll,Control_RunDLL", "rundll32 shell32.dll,Control_RunDLL"},
        {"", ""},
    };
    for (const auto& path : paths)
        EXPECT_EQ(path.second, StartupTree::programPath(path.first)) << path.first;
}

TEST_F(StartupTreeTest, AnUnlistableLocationShowsTheWarningAndKeepsItsReason)
{
    databases.front().failure = [](const StartupItem&) { throw exceptions::Exception("no key"); };
    serve(5, {StartupItem(5, ENABLED, "a", "")}).failure = [](const StartupItem&) { throw 42; };
    serve(9, {StartupItem(9, ENABLED, "b.exe", "")}).problem = "disabled side unknown";
    AssertionRecorder assertions;
    tree.build();
    EXPECT_EQ(std::vector<std::string>{"b.exe"}, view.children("Autostart/Current user")) << "listed all the same";
    EXPECT_EQ(StartupTreeWidget::IMAGE_FOLDER_WARNING, view.at("Autostart/Current user").image);
    EXPECT_NE(std::string::npos, tree.information(view.find("Autostart/Current user")).find("disabled side unknown"));
    const Node machineRun = view.find("Registry/All users/Run");
    EXPECT_EQ(StartupTreeWidget::IMAGE_FOLDER_WARNING, view.at("Registry/All users/Run").image);
    EXPECT_EQ(StartupTreeWidget::IMAGE_FOLDER, view.at("Registry/All users/Run Once").image);
    const std::string information = tree.information(machineRun);
    EXPECT_NE(std::string::npos,
              information.find("\n\nError description:\nno key\n\nIf you have questions about this key, please "
                               "include the text in this message in you email. Press CTRL+C to copy it."));
    EXPECT_NE(std::string::npos,
              tree.information(view.find(USER_RUN))
                  .find("An unexpected exception occured when inserting leafts. Please contact Quillmere."));
    EXPECT_EQ(std::vector<std::string>{"false"}, assertions.expressions());
}

TEST_F(StartupTreeTest, AnEntrySwitchedOffByTheSystemShowsItsOwnBoxAndSaysSo)
{
    StartupItem switchedOff(5, ENABLED, "Off", "o.exe");
    switchedOff.markDisabledBySystem();
    ScriptedDatabase& userRun = serve(5, {switchedOff});
    tree.build();
    EXPECT_EQ(StartupTreeWidget::STATE_DISABLED_BY_SYSTEM, view.at(USER_RUN + "/Off").state);
    EXPECT_EQ("o.exe   (switched off in the system's startup settings)", tree.commandLine(entry("Off")));
    tree.toggle(entry("Off"));
    EXPECT_EQ(StartupTreeWidget::STATE_ENABLED, view.at(USER_RUN + "/Off").state);
    tree.applyChanges();
    EXPECT_EQ((std::vector<std::string>{"list ", "command Off", "enable Off", "commit "}), userRun.calls);
}

TEST_F(StartupTreeTest, ChangesWaitForOkInBold)
{
    serve(5, {StartupItem(5, ENABLED, "Tool", "t.exe"), StartupItem(5, DISABLED, "Old", "o.exe")});
    tree.build();
    EXPECT_FALSE(tree.hasPendingChanges());
    tree.toggle(entry("Tool"));
    EXPECT_EQ(StartupTreeWidget::STATE_DISABLED, view.at(USER_RUN + "/Tool").state);
    EXPECT_TRUE(view.at(USER_RUN + "/Tool").bold);
    EXPECT_TRUE(tree.hasPendingChanges());
    EXPECT_EQ(Command::Enable, tree.commands(entry("Tool"))[0]);
    tree.setEnabled(entry("Tool"), true);
    EXPECT_FALSE(view.at(USER_RUN + "/Tool").bold) << "back to the state it was read with";
    EXPECT_FALSE(tree.hasPendingChanges());
    tree.setEnabled(entry("Old"), true);
    EXPECT_EQ(StartupTreeWidget::STATE_ENABLED, view.at(USER_RUN + "/Old").state);
    EXPECT_TRUE(view.at(USER_RUN + "/Old").bold);
}

TEST_F(StartupTreeTest, OkAppliesEachChangeAndKeepsTheFailedOnesPending)
{
    ScriptedDatabase& userRun = serve(5, {StartupItem(5, ENABLED, "A", "a.exe"), StartupItem(5, ENABLED, "B", "b.exe"),
                                          StartupItem(5, DISABLED, "C", "c.exe"), StartupItem(5, ENABLED, "D", "")});
    userRun.failure = [](const StartupItem& item) {
        if (item.getValue() == "B")
            throw exceptions::Exception("denied");
    };
    tree.build();
    for (const char* name : {"A", "B", "C"})
        tree.toggle(entry(name));
    EXPECT_FALSE(tree.applyChanges());
    EXPECT_EQ((std::vector<std::string>{"list ", "stage A", "stage B", "disable A", "enable C", "commit "}),
              userRun.calls)
        << "every disable staged and done before the enables, then one commit";
    EXPECT_EQ(1u, reporter.texts.size());
    EXPECT_FALSE(view.at(USER_RUN + "/A").bold);
    EXPECT_TRUE(view.at(USER_RUN + "/B").bold);
    EXPECT_TRUE(tree.hasPendingChanges());
    userRun.failure = nullptr;
    userRun.calls.clear();
    EXPECT_TRUE(tree.applyChanges());
    EXPECT_EQ((std::vector<std::string>{"stage B", "disable B", "commit "}), userRun.calls) << "only what is still pending";
    EXPECT_FALSE(tree.hasPendingChanges());
}

TEST_F(StartupTreeTest, DeleteDropsTheLeafOnlyWhenTheEntryIsGone)
{
    ScriptedDatabase& userRun = serve(5, {StartupItem(5, ENABLED, "A", ""), StartupItem(5, ENABLED, "B", "")});
    userRun.failure = [](const StartupItem& item) {
        if (item.getValue() == "B")
            throw exceptions::Exception("denied");
    };
    tree.build();
    EXPECT_TRUE(tree.remove(entry("A")));
    EXPECT_FALSE(tree.remove(entry("B")));
    EXPECT_EQ(std::vector<std::string>{"B"}, view.children(USER_RUN));
    EXPECT_FALSE(tree.isEntry(nullptr));
}

TEST_F(StartupTreeTest, ListingAgainDropsPendingChanges)
{
    ScriptedDatabase& userRun = serve(5, {StartupItem(5, ENABLED, "A", "")});
    tree.build();
    tree.toggle(entry("A"));
    userRun.items.emplace_back(5, ENABLED, "New", "");
    tree.rebuild();
    EXPECT_FALSE(tree.hasPendingChanges());
    EXPECT_EQ((std::vector<std::string>{"A", "New"}), view.children(USER_RUN));
    EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry"}), view.children(""));
    EXPECT_EQ(StartupTreeWidget::STATE_ENABLED, view.at(USER_RUN + "/A").state);
}

} // namespace
