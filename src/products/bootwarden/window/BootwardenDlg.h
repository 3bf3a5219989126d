#pragma once

#include "platform/framework/ControlLayout.h"
#include "platform/framework/Dialog.h"
#include "products/bootwarden/inspection/BackgroundInspector.h"
#include "products/bootwarden/window/MicrosoftFilter.h"
#include "products/bootwarden/StartupLocations.h"
#include "products/bootwarden/window/StartupTree.h"
#include "products/bootwarden/window/TextFilter.h"
#include "products/bootwarden/window/Win32StartupTreeWidget.h"
#include "windows/mfc/TreeControl.h"

#include <memory>
#include <string>

namespace exceptions {
class MessageBoxReporter;
} // namespace exceptions

namespace products::bootwarden::window {

// The program's window. It owns the controls and the locations and hands every message to
// the startup tree, which knows what the window shows and does.
class BootwardenDlg : public platform::Dialog {
public:
    static constexpr int IDD = 102;

    // Loads the data file and sets up every location; a data file that cannot be read throws.
    explicit BootwardenDlg(exceptions::MessageBoxReporter* reporter, HWND parent = nullptr);
    ~BootwardenDlg() override;

protected:
    void DoDataExchange(platform::DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    bool OnSysCommand(UINT id, LPARAM param) override;
    bool OnContextMenu(HWND window, POINT screen) override;
    void OnSize(int width, int height) override;
    bool OnGetMinMaxInfo(MINMAXINFO& info) override;
    bool OnAppMessage(UINT message) override;
    bool OnTimer(UINT_PTR id) override;

private:
    void OnBnClickedOk();
    void OnTvnSelchangedTree();
    void OnBnClickedHideMicrosoft();
    // The facts of programs learned meanwhile: the selected entry's line, and Microsoft's
    // entries hidden when the user asked for it.
    void OnProgramsInspected();
    // Asks for the next slice of the entries' programs, while Microsoft's entries are hidden.
    void OnInspectMore();
    void listTasks();
    // The filter box's text changed: the tree shows what holds it.
    void OnEnChangeFilter();
    // narrower: the text holds the last one, so what that hid stays hidden.
    void filterTree(bool narrower = false);
    // Reads what the filter tests of every entry, a slice at a time.
    void startLearning();
    // Once the filter holds text: the publishers of every entry's program are asked for.
    void askPublishersOnce();
    void OnAskPublishers();
    // Esc in a filter box that holds text empties it; false when it does not.
    bool clearFilter();
    // Shows the scheduled tasks' locations, which were listed meanwhile.
    void OnTasksListed();
    // Entries were listed: the filter, its reading ahead and the hiding of Microsoft's entries
    // take them in.
    void entriesListed();
    void showProgramFacts();
    void startHiding();
    void OnNMClickTree();
    void OnNMRclickTree();
    bool OnTvnKeydownTree(WORD key);

    bool expandSelectedLocation();
    void showMenu(HTREEITEM node, POINT screen);
    void runCommand(StartupTree::Command command, HTREEITEM node);
    void openFileLocation(HTREEITEM node);
    void toggleEntry(HTREEITEM node);
    void refresh();
    HTREEITEM itemUnderCursor(POINT& screen, UINT& flags) const;

    platform::ControlLayout _layout;
    windows::mfc::TreeControl _tree;
    Win32StartupTreeWidget _treeWidget;
    exceptions::MessageBoxReporter* _reporter;
    StartupLocations _locations;
    StartupTree _startupTree;
    TextFilter _textFilter;
    std::string _filterText;
    std::vector<StartupItem> _toLearn;
    bool _publishersAsked = false;
    std::string _commandLine;
    std::string _programFacts;
    bool _hideMicrosoft = false;
    // Made with the window, to which they post.
    std::unique_ptr<inspection::BackgroundInspector> _inspector;
    std::unique_ptr<MicrosoftFilter> _microsoftFilter;
};

} // namespace products::bootwarden::window
