#include "products/bootwarden/StartupTree.h"

#include "exceptions/Exception.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupInterface.h"
#include "util/StringHelper.h"
#include "util/Utf8.h"
#include "util/assertion/Assertion.h"

#include <algorithm>

namespace products::bootwarden {

namespace {

// Reports of the tree building keep naming the window they have always named.
const char* const SOURCE = "products/bootwarden/BootwardenDlg";
const int NO_TYPE = -1;
const int TOP = -1;

const char* const REGISTRY_TEXT =
    "Entries under this key will be executed from the registry everytime the computer starts up.";
const char* const AUTOSTART_TEXT = "Entries under this key will be executed from the autostart "
                                   "directories everytime the computer starts up.";
const char* const REGISTRY_ALL_USERS_TEXT =
    "Entries under this key will be executed for all users everytime the computer starts up.";
const char* const REGISTRY_CURRENT_USER_TEXT = "Entries under this key will be executed for the "
                                               "current user everytime the computer starts up.";
const char* const RUN_TEXT =
    "Each time the system boots, it executes all commands stored under this key. You might find "
    "command lines for applications that are started every time the computer reboots. Examples "
    "of programs are Anti-Virus programs, Volume Control and ICQ.";
const char* const RUN_ONCE_TEXT =
    "Each time the system boots, it executes all commands stored under this key, then removes "
    "them. Typical candidates are setup programs that require that you reboot your system to "
    "continue the installation.";
const char* const POLICY_RUN_TEXT =
    "Each time a user signs in, the system executes all commands stored under this key, which "
    "the system's policies fill. Administrators place programs here, and so do programs that want "
    "to be hard to find.";
const char* const AUTOSTART_ALL_USERS_TEXT = "Each time the system boots, it runs all executables "
                                             "stored under this directory. These are executed for "
                                             "all users.";
const char* const AUTOSTART_CURRENT_USER_TEXT =
    "Each time the system boots, it runs all executables stored under this directory. These are "
    "executed for the current user only.";
const char* const RUN_SERVICES_TEXT =
    "Run Services is run in the background when the logon dialog box first appears or at this "
    "stage of the boot process if there is no logon. These keys are for background services such "
    "as remote registry service and are run only once per boot.";
const char* const RUN_SERVICES_ONCE_TEXT =
    "Run Services Once is run in the background when the logon dialog box first appears or at "
    "this stage of the boot process if there is no logon. These keys are for background services "
    "such as remote registry service and are run only once per boot. This key is removed after "
    "execution.";

// One node of the tree's fixed part. A node with a type is a location, shown when the facade
// serves that type; the others group locations.
struct Location {
    const char* text;
    int parent; // the index of the parent in LOCATIONS, or TOP
    int type;
    const char* description;
};

const Location LOCATIONS[] = {
    {"Registry", TOP, NO_TYPE, REGISTRY_TEXT},
    {"Autostart", TOP, NO_TYPE, AUTOSTART_TEXT},
    {"All users", 0, NO_TYPE, REGISTRY_ALL_USERS_TEXT},
    {"Current User", 0, NO_TYPE, REGISTRY_CURRENT_USER_TEXT},
    {"Run", 2, StartupConstants::LOCAL_MACHINE_RUN, RUN_TEXT},
    {"Run Once", 2, StartupConstants::LOCAL_MACHINE_RUN_ONCE, RUN_ONCE_TEXT},
    {"Run Once Ex", 2, StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX, RUN_ONCE_TEXT},
    {"Run Services", 2, StartupConstants::LOCAL_MACHINE_RUN_SERVICES, RUN_SERVICES_TEXT},
    {"Run Services Once", 2, StartupConstants::LOCAL_MACHINE_RUN_SERVICES_ONCE, RUN_SERVICES_ONCE_TEXT},
    {"Run (32-bit)", 2, StartupConstants::LOCAL_MACHINE_RUN_32, RUN_TEXT},
    {"Run Once (32-bit)", 2, StartupConstants::LOCAL_MACHINE_RUN_ONCE_32, RUN_ONCE_TEXT},
    {"Run Once Ex (32-bit)", 2, StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX_32, RUN_ONCE_TEXT},
    {"Policies Run", 2, StartupConstants::LOCAL_MACHINE_POLICY_RUN, POLICY_RUN_TEXT},
    {"Policies Run (32-bit)", 2, StartupConstants::LOCAL_MACHINE_POLICY_RUN_32, POLICY_RUN_TEXT},
    {"Run", 3, StartupConstants::CURRENT_USER_RUN, RUN_TEXT},
    {"Run Once", 3, StartupConstants::CURRENT_USER_RUN_ONCE, RUN_ONCE_TEXT},
    {"Policies Run", 3, StartupConstants::CURRENT_USER_POLICY_RUN, POLICY_RUN_TEXT},
    {"All users", 1, StartupConstants::COMMON_STARTUP, AUTOSTART_ALL_USERS_TEXT},
    {"Current user", 1, StartupConstants::USER_STARTUP, AUTOSTART_CURRENT_USER_TEXT},
};

const std::size_t LOCATION_COUNT = sizeof LOCATIONS / sizeof LOCATIONS[0];

// A name as people can read it: a lone UTF-16 unit, which no font shows, as U+FFFD, and the
// name marked, since what is shown is then not all there is.
std::string nameShown(const std::string& name)
{
    if (!Utf8::hasLoneSurrogate(name))
        return name;
    return Utf8::displayable(name) + "   (the name holds half of a UTF-16 pair)";
}

} // namespace

StartupTree::StartupTree(StartupInterface& startup, StartupTreeView& view)
    : _startup(startup), _view(view)
{
}

void StartupTree::build()
{
    insertLocations();
    for (int type : _startup.getTypes())
        insertEntries(type);
}

void StartupTree::rebuild()
{
    _view.removeAll();
    _entries.clear();
    _descriptions.clear();
    _errors.clear();
    _locations.clear();
    build();
}

void StartupTree::insertLocations()
{
    const std::vector<int> served = _startup.getTypes();
    Node nodes[LOCATION_COUNT] = {};
    for (std::size_t i = 0; i < LOCATION_COUNT; ++i) {
        const Location& location = LOCATIONS[i];
        if (location.type != NO_TYPE &&
            std::find(served.begin(), served.end(), location.type) == served.end())
            continue;
        const Node parent = location.parent == TOP ? nullptr : nodes[location.parent];
        nodes[i] = _view.insert(location.text, parent, StartupTreeView::IMAGE_FOLDER,
                                StartupTreeView::STATE_NONE);
        _descriptions.add(nodes[i], location.description);
        if (location.type != NO_TYPE)
            _locations.add(location.type, nodes[i]);
    }
    _view.sortChildren(nullptr);
    for (Node node : nodes)
        if (node)
            _view.sortChildren(node);
}

void StartupTree::insertEntries(int type)
{
    const Node location = _locations.get(type);
    try {
        for (const StartupItem& item : _startup.getItems(type)) {
            // A key's unnamed value is shown as the registry editor shows it.
            const std::string label = item.getValue().empty() ? "(Default)" : nameShown(item.getValue());
            const int image = item.isCommand() ? StartupTreeView::IMAGE_PROGRAM : StartupTreeView::IMAGE_NO_ICON;
            const Node leaf = _view.insert(label, location, image, stateImage(item));
            _entries.add(leaf, item);
        }
        _view.sortChildren(location);
        const std::string problem = _startup.getProblem(type);
        if (problem.empty())
            return;
        _errors.add(location, problem);
    } catch (const exceptions::Exception& e) {
        _errors.add(location, e.getMessage());
    } catch (...) {
        _errors.add(location,
                    "An unexpected exception occured when inserting leafts. Please contact Quillmere.");
        reportAssertion("false", SOURCE, 324);
    }
    _view.setImage(location, StartupTreeView::IMAGE_FOLDER_WARNING);
}

const StartupItem& StartupTree::entry(Node node) const
{
    return _entries.get(node);
}

bool StartupTree::hasPendingChanges() const
{
    return std::any_of(_entries.begin(), _entries.end(),
                       [](const auto& leaf) { return leaf.second.isChanged(); });
}

std::vector<StartupTree::Command> StartupTree::commands(Node node) const
{
    if (isEntry(node)) {
        const bool disabled = entry(node).getState() == StartupConstants::DISABLED;
        if (!entry(node).isCommand())
            return {disabled ? Command::Enable : Command::Disable, Command::Delete};
        return {disabled ? Command::Enable : Command::Disable, Command::Delete, Command::Run};
    }
    if (_descriptions.exists(node))
        return {Command::Info};
    return {};
}

const char* StartupTree::text(Command command)
{
    const char* const texts[] = {"&Disable", "&Enable", "&Delete", "&Run", "&Info"};
    return texts[static_cast<int>(command) - static_cast<int>(Command::Disable)];
}

std::string StartupTree::commandLine(Node node) const
{
    if (!isEntry(node))
        return std::string();
    const StartupItem& item = entry(node);
    const std::string command = Utf8::displayable(_startup.getCommand(item));
    if (item.isDisabledBySystem() && item.getState() == StartupConstants::DISABLED)
        return command + "   (switched off in the system's startup settings)";
    return command;
}

std::string StartupTree::programOf(Node node) const
{
    if (!isEntry(node) || !entry(node).isCommand())
        return std::string();
    return programPath(_startup.getCommand(entry(node)));
}

std::string StartupTree::information(Node node) const
{
    std::string text = "General Information:\n" + _descriptions.get(node);
    if (_errors.exists(node))
        text += "\n\nError description:\n" + _errors.get(node) +
                "\n\nIf you have questions about this key, please include the text in this "
                "message in you email. Press CTRL+C to copy it.";
    return text;
}

void StartupTree::setEnabled(Node node, bool enabled)
{
    StartupItem& item = _entries.get(node);
    item.setState(enabled ? StartupConstants::ENABLED : StartupConstants::DISABLED);
    show(node, item);
}

void StartupTree::toggle(Node node)
{
    setEnabled(node, entry(node).getState() == StartupConstants::DISABLED);
}

bool StartupTree::run(Node node)
{
    return _startup.run(_entries.get(node));
}

bool StartupTree::remove(Node node)
{
    if (!_startup.remove(_entries.get(node)))
        return false;
    _view.remove(node);
    _entries.remove(node);
    return true;
}

bool StartupTree::applyChanges()
{
    std::vector<Node> nodes;
    std::vector<StartupItem> items;
    for (const auto& leaf : _entries)
        if (leaf.second.isChanged()) {
            nodes.push_back(leaf.first);
            items.push_back(leaf.second);
        }
    std::vector<bool> applied;
    const bool done = _startup.applyChanges(items, applied);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (applied[i]) {
            StartupItem& item = _entries.get(nodes[i]);
            item.markApplied();
            show(nodes[i], item);
        }
    return done;
}

std::string StartupTree::locationName(int type)
{
    for (std::size_t i = 0; i < LOCATION_COUNT; ++i) {
        if (LOCATIONS[i].type != type)
            continue;
        std::string name = LOCATIONS[i].text;
        for (int parent = LOCATIONS[i].parent; parent != TOP; parent = LOCATIONS[parent].parent)
            name = std::string(LOCATIONS[parent].text) + "/" + name;
        return name;
    }
    return std::string();
}

std::string StartupTree::programPath(const std::string& commandLine)
{
    const std::string::size_type p = StringHelper::toLower(commandLine).find(".exe");
    if (p == std::string::npos)
        return commandLine;
    if (commandLine[0] != '"')
        return commandLine.substr(0, p + 4);
    return commandLine.substr(1, p + 3);
}

void StartupTree::show(Node node, const StartupItem& item)
{
    _view.setStateImage(node, stateImage(item));
    _view.setBold(node, item.isChanged());
}

int StartupTree::stateImage(const StartupItem& item)
{
    if (item.getState() == StartupConstants::ENABLED)
        return StartupTreeView::STATE_ENABLED;
    return item.isDisabledBySystem() ? StartupTreeView::STATE_DISABLED_BY_SYSTEM : StartupTreeView::STATE_DISABLED;
}

} // namespace products::bootwarden
