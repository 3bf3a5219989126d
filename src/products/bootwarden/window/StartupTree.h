#pragma once

#include "products/bootwarden/window/Mapper.h"
#include "products/bootwarden/StartupItem.h"
#include "products/bootwarden/window/StartupTreeWidget.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace products::bootwarden {
class StartupInterface;
struct LocationGroup;
} // namespace products::bootwarden

namespace products::bootwarden::window {

// What the main window shows and does, without the window: the startup locations as nodes,
// every entry as a checkable leaf, the changes that wait for OK, which commands each node
// offers, and the walk that applies the changes.
class StartupTree {
public:
    using Node = StartupTreeWidget::Node;

    enum class Command {
        Disable = 100,
        Enable,
        Delete,
        Run,
        OpenFileLocation,
        OpenInRegistryEditor,
        Info,
        Restore,
        Forget
    };

    StartupTree(StartupInterface& startup, StartupTreeWidget& view);

    // Inserts the locations the facade serves and their entries. A location whose entries
    // cannot be listed shows the warning folder and keeps the reason for Info. One whose entries
    // are being listed on another thread waits for insertListed().
    void build();
    // Inserts the locations that build() found listing, once they are listed.
    void insertListed();
    // Lists everything again; changes that were not applied are dropped.
    void rebuild();

    bool isEntry(Node node) const { return _entries.exists(node); }
    const StartupItem& entry(Node node) const;
    bool hasPendingChanges() const;

    // The commands of the node's menu, top to bottom; none for a node that is not there.
    std::vector<Command> commands(Node node) const;
    // The command's menu text.
    static const char* text(Command command);
    // The entry's command line; empty for a location.
    std::string commandLine(Node node) const;
    // The command line the entry starts, exactly as its location holds it; empty for a location
    // and for an entry that starts no program.
    std::string programCommand(Node node) const;
    // The key that holds the entry, as the Registry Editor names it; empty when none does.
    std::string registryKey(Node node) const;
    // The location's description, and the reason when its entries could not be listed.
    std::string information(Node node) const;

    void setEnabled(Node node, bool enabled);
    void toggle(Node node);
    // Starts the entry now; a failure has been reported.
    bool run(Node node);
    // Deletes the entry from its location; its leaf goes only when that worked, and its copy is
    // shown under Deleted.
    bool remove(Node node);
    // Puts a deleted entry back where it came from, and shows it there.
    bool restore(Node node);
    // Removes a deleted entry's copy for good.
    bool forget(Node node);
    // The entries shown, in no particular order.
    std::vector<Node> entries() const;
    // Every entry, shown or hidden.
    std::vector<StartupItem> items() const;
    // Takes an entry out of the tree as Microsoft's; it keeps its pending change, which OK applies.
    void hide(Node node);
    // Shows every entry hide() took out again, unless the filter hides it.
    void showHidden();

    using Matcher = std::function<bool(const StartupItem&)>;
    // Shows only the entries that matches holds for, with their locations expanded (those that
    // show at most 200), and takes out the locations and groups that then hold none; an empty
    // matcher shows every entry again. An entry the filter hides keeps its pending change, which
    // OK applies. Entries listed later are filtered too. narrower says that matches holds for no
    // entry the last matcher did not: those it hid are not asked again.
    void filter(Matcher matches, bool narrower = false);
    std::size_t shownCount() const { return _entries.size(); }
    // Shown or hidden.
    std::size_t entryCount() const { return shownCount() + _hidden.size(); }

    // Applies every pending change through the facade. An applied change is no longer
    // pending; a failed one stays pending (the facade has reported it). False when anything
    // failed.
    bool applyChanges();

    // Whether the node's menu holds the command.
    bool offers(Node node, Command command) const;

private:
    // An entry whose location never lets it be disabled has none.
    bool hasCheckBox(const StartupItem& item) const;
    void insertGroups();
    void sortAll();
    // The node of a group, inserted with its parents when it is not shown yet.
    Node group(const LocationGroup* group);
    Node insertLocation(int type);
    void insertEntries(int type);
    Node insertEntry(Node location, const StartupItem& item);
    // Takes the entry's leaf out of the tree and out of every map.
    void removeLeaf(Node node);
    // Takes the entry out of every map; its leaf goes with its location.
    void drop(Node node);
    // Hides the shown entries the filter does not hold.
    void takeOutUnmatched();
    // Hides what the filter does not hold and shows again what it does and nothing else hides.
    void applyFilter(bool narrower = false);
    // Takes out the locations and groups a filter leaves empty, and brings back those it does not.
    void arrangePlaces();
    // Lists the location's entries again, showing it only when it holds any: a place of deleted
    // entries, which has no pending changes.
    void relist(int type);
    // The location's node, inserted again when the filter took it out.
    Node locationNode(int type);
    // Takes the location's node out of the tree, with what its leaves still are there.
    void removeLocation(int type);
    // Shows the entry's state and whether it waits for OK.
    void show(Node node, const StartupItem& item);
    int stateImage(const StartupItem& item) const;

    StartupInterface& _startup;
    StartupTreeWidget& _view;
    Mapper<Node, StartupItem> _entries;
    struct Hidden {
        StartupItem item;
        bool microsoft; // by hide()
        bool unmatched; // by the filter
    };
    std::vector<Hidden> _hidden;
    Mapper<Node, std::string> _descriptions;
    std::map<int, std::string> _problems; // why a location's entries could not be listed, by type
    Mapper<int, Node> _locations;
    std::set<int> _placed; // the types whose locations are in the tree unless a filter took them out
    Matcher _matches;
    std::map<const LocationGroup*, Node> _groups;
    std::vector<int> _listing; // the types build() left for insertListed()
};

} // namespace products::bootwarden::window
