#include "products/bootwarden/window/StartupTree.h"

#include "exceptions/Exception.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupInterface.h"
#include "util/Utf8.h"
#include "util/assertion/Assertion.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

using util::Utf8;
using util::assertion::check;
using util::assertion::reportAssertion;

namespace products::bootwarden::window {

namespace {

// Reports of the tree building keep naming the window they have always named.
const char* const SOURCE = "products/bootwarden/BootwardenDlg";

// The most entries of a location the filter opens it for.
const std::size_t OPENED_AT_MOST = 200;

// A name as people can read it: a lone UTF-16 unit, which no font shows, as U+FFFD, and the
// name marked, since what is shown is then not all there is.
std::string nameShown(const std::string& name)
{
    if (!Utf8::hasLoneSurrogate(name))
        return name;
    return Utf8::displayable(name) + "   (the name holds half of a UTF-16 pair)";
}

} // namespace

StartupTree::StartupTree(StartupInterface& startup, StartupTreeWidget& view) : _startup(startup), _view(view) {}

void StartupTree::build()
{
    insertGroups();
    for (int type : _startup.getTypes()) {
        if (_startup.isListing(type))
            _listing.push_back(type);
        else
            insertEntries(type);
    }
    sortAll();
    if (_matches)
        applyFilter();
}

void StartupTree::insertListed()
{
    if (_listing.empty())
        return;
    for (int type : std::exchange(_listing, {}))
        insertEntries(type);
    sortAll();
    if (_matches)
        applyFilter();
}

void StartupTree::sortAll()
{
    // The deleted entries come after every place Windows starts them from.
    const auto deleted = _groups.find(LocationTable::find(StartupConstants::DELETED_TASKS)->group);
    _view.sortChildren(nullptr, deleted == _groups.end() ? nullptr : deleted->second);
    for (const auto& group : _groups)
        _view.sortChildren(group.second);
}

void StartupTree::rebuild()
{
    _view.removeAll();
    _entries.clear();
    _hidden.clear();
    _descriptions.clear();
    _problems.clear();
    _locations.clear();
    _placed.clear();
    _groups.clear();
    _listing.clear();
    build();
}

void StartupTree::insertGroups()
{
    for (const LocationGroup* group : LocationTable::groups())
        if (group->shownWhenEmpty)
            this->group(group);
}

StartupTree::Node StartupTree::group(const LocationGroup* group)
{
    if (const auto shown = _groups.find(group); shown != _groups.end())
        return shown->second;
    const Node parent = group->parent ? this->group(group->parent) : nullptr;
    const Node node = _view.insert(group->name, parent, StartupTreeWidget::IMAGE_FOLDER, StartupTreeWidget::STATE_NONE);
    _descriptions.add(node, group->description);
    _groups[group] = node;
    return node;
}

StartupTree::Node StartupTree::insertLocation(int type)
{
    const Location* location = LocationTable::find(type);
    if (!check(location && location->group, "location && location->group", SOURCE, __LINE__))
        return nullptr;
    const int image = _problems.count(type) ? StartupTreeWidget::IMAGE_FOLDER_WARNING : StartupTreeWidget::IMAGE_FOLDER;
    const Node node = _view.insert(location->label, group(location->group), image, StartupTreeWidget::STATE_NONE);
    _descriptions.add(node, location->description);
    _locations.add(type, node);
    _placed.insert(type);
    return node;
}

void StartupTree::insertEntries(int type)
{
    std::vector<StartupItem> items;
    std::string problem;
    try {
        items = _startup.getItems(type);
        problem = _startup.getProblem(type);
    } catch (const exceptions::Exception& e) {
        problem = e.getMessage();
    } catch (...) {
        problem = "An unexpected exception occured when inserting leafts. Please contact Quillmere.";
        reportAssertion("false", SOURCE, 324);
    }
    const Location* row = LocationTable::find(type);
    if (items.empty() && problem.empty() && row && !row->shownWhenEmpty)
        return;
    if (!problem.empty())
        _problems[type] = problem;
    const Node location = insertLocation(type);
    if (!location)
        return;
    for (const StartupItem& item : items)
        insertEntry(location, item);
    _view.sortChildren(location);
}

StartupTree::Node StartupTree::insertEntry(Node location, const StartupItem& item)
{
    // A key's unnamed value is shown as the registry editor shows it.
    const std::string name = _startup.getLabel(item);
    const std::string label = name.empty() ? "(Default)" : nameShown(name);
    const database::StartupDatabase::Note note = _startup.getNote(item);
    const int image = note.warning       ? StartupTreeWidget::IMAGE_FOLDER_WARNING
                      : item.isCommand() ? StartupTreeWidget::IMAGE_PROGRAM
                                         : StartupTreeWidget::IMAGE_NO_PROGRAM;
    const Node leaf = _view.insert(label, location, image, stateImage(item));
    _entries.add(leaf, item);
    if (!note.text.empty())
        _descriptions.add(leaf, note.text);
    return leaf;
}

const StartupItem& StartupTree::entry(Node node) const
{
    return _entries.get(node);
}

bool StartupTree::hasPendingChanges() const
{
    return std::any_of(_entries.begin(), _entries.end(), [](const auto& leaf) { return leaf.second.isChanged(); }) ||
           std::any_of(_hidden.begin(), _hidden.end(), [](const Hidden& hidden) { return hidden.item.isChanged(); });
}

std::vector<StartupTree::Node> StartupTree::entries() const
{
    std::vector<Node> nodes;
    for (const auto& leaf : _entries)
        nodes.push_back(leaf.first);
    return nodes;
}

std::vector<StartupItem> StartupTree::items() const
{
    std::vector<StartupItem> all;
    all.reserve(entryCount());
    for (const auto& leaf : _entries)
        all.push_back(leaf.second);
    for (const Hidden& hidden : _hidden)
        all.push_back(hidden.item);
    return all;
}

void StartupTree::hide(Node node)
{
    if (!isEntry(node))
        return;
    _hidden.push_back({entry(node), true, false});
    removeLeaf(node);
}

void StartupTree::removeLeaf(Node node)
{
    _view.remove(node);
    drop(node);
}

void StartupTree::drop(Node node)
{
    _entries.remove(node);
    if (_descriptions.exists(node))
        _descriptions.remove(node);
}

void StartupTree::showHidden()
{
    for (Hidden& hidden : _hidden)
        hidden.microsoft = false;
    applyFilter();
}

void StartupTree::filter(Matcher matches, bool narrower)
{
    narrower = narrower && _matches && matches;
    _matches = std::move(matches);
    applyFilter(narrower);
}

void StartupTree::applyFilter(bool narrower)
{
    if (_matches)
        takeOutUnmatched();
    std::set<Node> refilled;
    std::vector<Hidden> stillHidden;
    for (Hidden& hidden : _hidden) {
        hidden.unmatched = _matches && ((narrower && hidden.unmatched) || !_matches(hidden.item));
        if (hidden.microsoft || hidden.unmatched) {
            stillHidden.push_back(std::move(hidden));
            continue;
        }
        const Node location = locationNode(hidden.item.getType());
        show(insertEntry(location, hidden.item), hidden.item);
        refilled.insert(location);
    }
    _hidden = std::move(stillHidden);
    arrangePlaces();
    for (const Node location : refilled)
        _view.sortChildren(location);
}

void StartupTree::takeOutUnmatched()
{
    std::map<int, std::vector<Node>> shown;
    for (const auto& leaf : _entries)
        shown[leaf.second.getType()].push_back(leaf.first);
    for (const auto& [type, nodes] : shown) {
        std::vector<StartupItem> staying;
        std::vector<Node> going;
        for (const Node node : nodes) {
            if (_matches(entry(node)))
                staying.push_back(entry(node));
            else
                going.push_back(node);
        }
        for (const Node node : going)
            _hidden.push_back({entry(node), false, true});
        // The control lays its items out again for each leaf taken out: when most go, the
        // location is made again with those that stay.
        if (going.size() <= staying.size()) {
            for (const Node node : going)
                removeLeaf(node);
            continue;
        }
        for (const Node node : nodes)
            drop(node);
        removeLocation(type);
        if (staying.empty())
            continue;
        const Node again = insertLocation(type);
        for (const StartupItem& item : staying)
            show(insertEntry(again, item), item);
        _view.sortChildren(again);
    }
}

void StartupTree::arrangePlaces()
{
    std::map<int, std::size_t> holding;
    for (const auto& leaf : _entries)
        ++holding[leaf.second.getType()];
    for (const int type : _placed) {
        const bool wanted = !_matches || holding.count(type);
        if (wanted && !_locations.exists(type)) {
            locationNode(type);
        } else if (!wanted && _locations.exists(type)) {
            removeLocation(type);
        }
    }
    if (!_matches)
        insertGroups();
    std::set<const LocationGroup*> needed;
    for (const auto& shown : _locations)
        for (const LocationGroup* within = LocationTable::find(shown.first)->group; within; within = within->parent)
            needed.insert(within);
    for (auto shown = _groups.begin(); shown != _groups.end();) {
        if (!_matches || needed.count(shown->first)) {
            ++shown;
            continue;
        }
        // A group whose parent goes too goes with it.
        if (!shown->first->parent || needed.count(shown->first->parent))
            _view.remove(shown->second);
        _descriptions.remove(shown->second);
        shown = _groups.erase(shown);
    }
    sortAll();
    if (!_matches)
        return;
    for (const auto& group : _groups)
        _view.expand(group.second);
    // Thousands of entries open are no help to read, and opening them costs a keystroke's time.
    for (const auto& location : _locations)
        if (holding[location.first] <= OPENED_AT_MOST)
            _view.expand(location.second);
}

void StartupTree::removeLocation(int type)
{
    const Node node = _locations.get(type);
    _view.remove(node);
    _descriptions.remove(node);
    _locations.remove(type);
}

StartupTree::Node StartupTree::locationNode(int type)
{
    return _locations.exists(type) ? _locations.get(type) : insertLocation(type);
}

std::vector<StartupTree::Command> StartupTree::commands(Node node) const
{
    std::vector<Command> commands;
    if (isEntry(node) && StartupInterface::isDeleted(entry(node))) {
        commands = {Command::Restore, Command::Forget};
    } else if (isEntry(node)) {
        const StartupItem& item = entry(node);
        if (hasCheckBox(item))
            commands.push_back(item.getState() == StartupConstants::DISABLED ? Command::Enable : Command::Disable);
        if (_startup.allows(item, EntryAction::Delete))
            commands.push_back(Command::Delete);
        if (item.isCommand() && _startup.allows(item, EntryAction::Run))
            commands.push_back(Command::Run);
        if (item.isCommand())
            commands.push_back(Command::OpenFileLocation);
        if (!_startup.getRegistryKey(item).empty())
            commands.push_back(Command::OpenInRegistryEditor);
    }
    if (_descriptions.exists(node))
        commands.push_back(Command::Info);
    return commands;
}

bool StartupTree::offers(Node node, Command command) const
{
    const std::vector<Command> offered = commands(node);
    return std::find(offered.begin(), offered.end(), command) != offered.end();
}

bool StartupTree::hasCheckBox(const StartupItem& item) const
{
    return _startup.allows(item, EntryAction::Disable);
}

const char* StartupTree::text(Command command)
{
    const char* const texts[] = {
        "&Disable", "&Enable",  "&Delete", "&Run", "Open file &location", "Open in Re&gistry Editor",
        "&Info",    "&Restore", "&Forget"};
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

std::string StartupTree::programCommand(Node node) const
{
    if (!isEntry(node) || !entry(node).isCommand())
        return std::string();
    return _startup.getCommand(entry(node));
}

std::string StartupTree::registryKey(Node node) const
{
    return isEntry(node) ? _startup.getRegistryKey(entry(node)) : std::string();
}

std::string StartupTree::information(Node node) const
{
    std::string text = "General Information:\n" + _descriptions.get(node);
    const auto location =
        std::find_if(_locations.begin(), _locations.end(), [node](const auto& shown) { return shown.second == node; });
    if (location != _locations.end() && _problems.count(location->first))
        text += "\n\nError description:\n" + _problems.at(location->first) +
                "\n\nIf you have questions about this key, please include the text in this "
                "message in you email. Press CTRL+C to copy it.";
    return text;
}

void StartupTree::setEnabled(Node node, bool enabled)
{
    StartupItem& item = _entries.get(node);
    if (!hasCheckBox(item))
        return;
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
    const StartupItem item = entry(node);
    if (!_startup.remove(item))
        return false;
    removeLeaf(node);
    relist(StartupConstants::DELETED_FROM + item.getType());
    return true;
}

bool StartupTree::restore(Node node)
{
    const StartupItem copy = entry(node);
    const std::optional<StartupItem> restored = _startup.restore(copy);
    if (!restored)
        return false;
    relist(copy.getType());
    insertEntry(locationNode(restored->getType()), *restored);
    _view.sortChildren(_locations.get(restored->getType()));
    if (_matches)
        applyFilter();
    return true;
}

bool StartupTree::forget(Node node)
{
    const StartupItem copy = entry(node);
    if (!_startup.forget(copy))
        return false;
    relist(copy.getType());
    return true;
}

void StartupTree::relist(int type)
{
    if (!_startup.serves(type))
        return;
    if (_locations.exists(type)) {
        std::vector<Node> leaves;
        for (const auto& leaf : _entries)
            if (leaf.second.getType() == type)
                leaves.push_back(leaf.first);
        for (const Node leaf : leaves)
            drop(leaf);
        removeLocation(type);
    }
    _hidden.erase(std::remove_if(_hidden.begin(), _hidden.end(),
                                 [type](const Hidden& hidden) { return hidden.item.getType() == type; }),
                  _hidden.end());
    _placed.erase(type);
    insertEntries(type);
    // A group shown only for its locations goes with the last of them.
    const LocationGroup* group = LocationTable::find(type)->group;
    const bool holds = std::any_of(_locations.begin(), _locations.end(), [group](const auto& shown) {
        return LocationTable::find(shown.first)->group == group;
    });
    if (!holds && !group->shownWhenEmpty && _groups.count(group)) {
        _view.remove(_groups.at(group));
        _descriptions.remove(_groups.at(group));
        _groups.erase(group);
    }
    sortAll();
    if (_matches)
        applyFilter();
}

bool StartupTree::applyChanges()
{
    // Hidden entries too; in the order of the list, whatever the nodes' addresses: the user reads
    // the reports of what failed in that order.
    std::vector<std::pair<Node, StartupItem*>> changed; // no node for a hidden entry
    for (auto& leaf : _entries)
        if (leaf.second.isChanged())
            changed.emplace_back(leaf.first, &leaf.second);
    for (Hidden& hidden : _hidden)
        if (hidden.item.isChanged())
            changed.emplace_back(nullptr, &hidden.item);
    std::sort(changed.begin(), changed.end(), [](const auto& a, const auto& b) {
        return std::make_pair(a.second->getType(), Utf8::foldCase(a.second->getValue())) <
               std::make_pair(b.second->getType(), Utf8::foldCase(b.second->getValue()));
    });
    std::vector<StartupItem> items;
    for (const auto& change : changed)
        items.push_back(*change.second);
    std::vector<bool> applied;
    const bool done = _startup.applyChanges(items, applied);
    for (std::size_t i = 0; i < changed.size(); ++i) {
        if (!applied[i])
            continue;
        changed[i].second->markApplied();
        if (changed[i].first)
            show(changed[i].first, *changed[i].second);
    }
    return done;
}

void StartupTree::show(Node node, const StartupItem& item)
{
    _view.setStateImage(node, stateImage(item));
    _view.setBold(node, item.isChanged());
}

int StartupTree::stateImage(const StartupItem& item) const
{
    if (!hasCheckBox(item))
        return StartupTreeWidget::STATE_NONE;
    if (item.getState() == StartupConstants::ENABLED)
        return StartupTreeWidget::STATE_ENABLED;
    return item.isDisabledBySystem() ? StartupTreeWidget::STATE_DISABLED_BY_SYSTEM : StartupTreeWidget::STATE_DISABLED;
}

} // namespace products::bootwarden::window
