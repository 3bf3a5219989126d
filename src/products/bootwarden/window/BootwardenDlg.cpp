#include "products/bootwarden/window/BootwardenDlg.h"

#include "exceptions/MessageBoxReporter.h"
#include "exceptions/QuestionBox.h"
#include "platform/Win32Api.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/PopupMenu.h"
#include "products/bootwarden/window/Manual.h"
#include "resources/resource.h"
#include "util/ApplicationConstants.h"
#include "windows/registry/RegistryEditor.h"
#include "windows/shell/Explorer.h"

#include <chrono>

using exceptions::MessageBoxReporter;
using exceptions::QuestionBox;
using util::APPLICATION_NAME;
using util::APPLICATION_VERSION;

namespace products::bootwarden::window {

using inspection::BackgroundInspector;
using inspection::ProgramFacts;
using inspection::ProgramInspector;

namespace {

// Posted by the inspector's thread when answers wait.
const UINT WM_PROGRAMS_INSPECTED = WM_APP + 1;
// Posted by the window to itself, to ask for the next slice of programs: it stays responsive
// between.
const UINT WM_INSPECT_MORE = WM_APP + 2;
// Posted by the thread that lists the scheduled tasks when they are listed.
const UINT WM_TASKS_LISTED = WM_APP + 3;
// Ticks while the window reads what the filter tests of its entries, a slice each time nothing
// else waits: a posted message would come before the user's keys and the window's painting.
const UINT_PTR LEARN_TIMER = 1;
// How long one slice may keep the window from answering.
const std::chrono::milliseconds LEARNED_FOR(15);
// Posted by the window to itself once the filter first holds text: the publishers of every
// entry's program are asked for.
const UINT WM_ASK_PUBLISHERS = WM_APP + 5;

// The filter box's own key: Down goes on into the tree, as from a search box.
LRESULT CALLBACK filterKeys(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR tree)
{
    if (message == WM_KEYDOWN && wParam == VK_DOWN) {
        platform::win32().SetFocus(reinterpret_cast<HWND>(tree));
        return 0;
    }
    if (message == WM_NCDESTROY)
        platform::win32().RemoveWindowSubclass(box, filterKeys, id);
    return platform::win32().DefSubclassProc(box, message, wParam, lParam);
}

// 10000 as "10,000".
std::string grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

} // namespace

BootwardenDlg::BootwardenDlg(MessageBoxReporter* reporter, HWND parent)
    : Dialog(IDD, parent), _treeWidget(_tree), _reporter(reporter), _locations(reporter),
      _startupTree(_locations.startup(), _treeWidget), _textFilter(_locations.startup())
{
}

void BootwardenDlg::DoDataExchange(platform::DataExchange& exchange)
{
    Dialog::DoDataExchange(exchange);
    exchange.control(IDC_TREE, _tree);
    exchange.text(IDC_COMMAND_LINE, _commandLine);
    exchange.text(IDC_PROGRAM_FACTS, _programFacts);
    exchange.check(IDC_HIDE_MICROSOFT, _hideMicrosoft);
}

BootwardenDlg::~BootwardenDlg()
{
    _reporter->setOwner(nullptr);
}

BOOL BootwardenDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    // Every box belongs to the window, so nothing in it can be pressed while one is open.
    _reporter->setOwner(GetSafeHwnd());
    if (HMENU systemMenu = platform::win32().GetSystemMenu(GetSafeHwnd(), FALSE)) {
        platform::win32().AppendMenuU(systemMenu, MF_SEPARATOR, 0, "");
        platform::win32().AppendMenuU(systemMenu, MF_STRING, IDM_ABOUTBOX, "&About..");
    }
    // A shared icon of the program's resources: the system owns it.
    SetIcon(platform::win32().LoadIconA(platform::win32().GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    // The tree takes the room a larger window gives; the buttons stay along its bottom edge.
    using Layout = platform::ControlLayout;
    _layout.start(GetSafeHwnd());
    _layout.anchor(IDC_TREE_FRAME, Layout::LEFT | Layout::TOP | Layout::RIGHT | Layout::BOTTOM);
    _layout.anchor(IDC_TREE, Layout::LEFT | Layout::TOP | Layout::RIGHT | Layout::BOTTOM);
    _layout.anchor(IDC_FILTER_LABEL, Layout::LEFT | Layout::TOP);
    _layout.anchor(IDC_FILTER, Layout::LEFT | Layout::TOP | Layout::RIGHT);
    _layout.anchor(IDC_FILTER_COUNT, Layout::RIGHT | Layout::TOP);
    _layout.anchor(IDC_COMMAND_LABEL, Layout::LEFT | Layout::BOTTOM);
    _layout.anchor(IDC_COMMAND_LINE, Layout::LEFT | Layout::RIGHT | Layout::BOTTOM);
    _layout.anchor(IDC_PROGRAM_FACTS, Layout::LEFT | Layout::RIGHT | Layout::BOTTOM);
    _layout.anchor(IDC_HIDE_MICROSOFT, Layout::LEFT | Layout::BOTTOM);
    for (const int button : {IDC_HELP_BUTTON, IDCANCEL, IDOK})
        _layout.anchor(button, Layout::RIGHT | Layout::BOTTOM);
    platform::win32().SetWindowSubclass(GetDlgItem(IDC_FILTER), filterKeys, 0,
                                        reinterpret_cast<DWORD_PTR>(_tree.GetSafeHwnd()));
    _treeWidget.createImageLists();
    listTasks();
    _startupTree.build();
    startLearning();
    _inspector = std::make_unique<BackgroundInspector>(GetSafeHwnd(), WM_PROGRAMS_INSPECTED);
    _microsoftFilter = std::make_unique<MicrosoftFilter>(_startupTree, *_inspector);
    SetWindowText(APPLICATION_NAME);
    const std::string damage = _locations.registryBackup().getDamageReport();
    if (!damage.empty())
        _reporter->showError(damage);
    return TRUE;
}

bool BootwardenDlg::OnCommand(WORD id, WORD code)
{
    if (id == IDC_FILTER && code == EN_CHANGE) {
        OnEnChangeFilter();
        return true;
    }
    if (id == IDCANCEL && clearFilter())
        return true;
    if (code != BN_CLICKED)
        return Dialog::OnCommand(id, code);
    // The dialog turns Enter into OK wherever the focus is; in the tree it opens a location.
    if (id == IDOK && !expandSelectedLocation())
        OnBnClickedOk();
    else if (id == IDC_HELP_BUTTON)
        Manual::open(*_reporter);
    else if (id == IDC_HIDE_MICROSOFT)
        OnBnClickedHideMicrosoft();
    else if (id != IDOK)
        return Dialog::OnCommand(id, code);
    return true;
}

bool BootwardenDlg::expandSelectedLocation()
{
    const HTREEITEM selected = _tree.GetSelectedItem();
    const bool enterInTree =
        platform::win32().GetKeyState(VK_RETURN) < 0 && platform::win32().GetFocus() == _tree.GetSafeHwnd();
    if (!enterInTree || !selected || !_tree.GetChildItem(selected))
        return false;
    _tree.Expand(selected, TVE_EXPAND);
    return true;
}

bool BootwardenDlg::OnNotify(NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_TREE)
        return false;
    result = 0;
    switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        OnTvnSelchangedTree();
        return true;
    case NM_CLICK:
        OnNMClickTree();
        return true;
    case NM_RCLICK:
        OnNMRclickTree();
        result = TRUE; // the menu is shown; the control need not ask for another
        return true;
    case TVN_GETDISPINFOW: {
        TVITEMW& item = reinterpret_cast<NMTVDISPINFOW&>(header).item;
        _treeWidget.supplyImage(item, _startupTree.programCommand(item.hItem));
        return true;
    }
    case TVN_KEYDOWN:
        result = OnTvnKeydownTree(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey);
        return true;
    default:
        return false;
    }
}

void BootwardenDlg::OnTvnSelchangedTree()
{
    _commandLine = _startupTree.commandLine(_tree.GetSelectedItem());
    showProgramFacts();
}

void BootwardenDlg::showProgramFacts()
{
    const std::string command = _startupTree.programCommand(_tree.GetSelectedItem());
    const std::optional<ProgramFacts> facts = command.empty() ? std::nullopt : _inspector->known(command);
    _programFacts = facts ? facts->summary() : command.empty() ? "" : "Checking who signed the program...";
    if (!command.empty() && !facts)
        _inspector->request(command);
    UpdateData(false);
}

bool BootwardenDlg::OnAppMessage(UINT message)
{
    if (message == WM_PROGRAMS_INSPECTED)
        OnProgramsInspected();
    else if (message == WM_INSPECT_MORE)
        OnInspectMore();
    else if (message == WM_TASKS_LISTED)
        OnTasksListed();
    else if (message == WM_ASK_PUBLISHERS)
        OnAskPublishers();
    else
        return false;
    return true;
}

void BootwardenDlg::OnProgramsInspected()
{
    bool showsMore = false;
    for (const BackgroundInspector::Answer& answer : _inspector->takeAnswered()) {
        _microsoftFilter->answered(answer.commandLine);
        const std::string publisher = answer.facts.publisher();
        if (!publisher.empty())
            showsMore = _textFilter.learnPublisher(answer.commandLine, publisher) || showsMore;
    }
    // An entry may hold the filter's text in its publisher, learned only now.
    if (showsMore)
        filterTree();
    showProgramFacts();
}

void BootwardenDlg::startLearning()
{
    // Shortcuts' targets are costly to read: read while the window waits, a keystroke need not.
    _toLearn = _startupTree.items();
    platform::win32().SetTimer(GetSafeHwnd(), LEARN_TIMER, USER_TIMER_MINIMUM, nullptr);
}

bool BootwardenDlg::OnTimer(UINT_PTR id)
{
    if (id != LEARN_TIMER)
        return false;
    const auto start = std::chrono::steady_clock::now();
    while (!_toLearn.empty() && std::chrono::steady_clock::now() - start < LEARNED_FOR) {
        const StartupItem& item = _toLearn.back();
        _textFilter.learn(item);
        // An icon the filter would show in a location it opens costs the keystroke that opens it.
        if (item.isCommand())
            _treeWidget.prepareImage(_textFilter.commandLine(item));
        _toLearn.pop_back();
    }
    if (_toLearn.empty())
        platform::win32().KillTimer(GetSafeHwnd(), LEARN_TIMER);
    return true;
}

void BootwardenDlg::askPublishersOnce()
{
    if (_filterText.empty() || _publishersAsked)
        return;
    _publishersAsked = true;
    platform::win32().PostMessageW(GetSafeHwnd(), WM_ASK_PUBLISHERS, 0, 0);
}

void BootwardenDlg::OnAskPublishers()
{
    for (const StartupItem& item : _startupTree.items())
        if (item.isCommand())
            _inspector->request(_textFilter.commandLine(item));
}

void BootwardenDlg::OnEnChangeFilter()
{
    platform::win32().GetWindowTextU(GetDlgItem(IDC_FILTER), _filterText);
    askPublishersOnce();
    filterTree(_textFilter.narrows(_filterText));
    // Entries the filter brings back may be Microsoft's.
    if (_hideMicrosoft)
        startHiding();
}

void BootwardenDlg::filterTree(bool narrower)
{
    {
        const platform::PausedDrawing paused(_tree);
        _startupTree.filter(_textFilter.matcher(_filterText), narrower);
    }
    platform::win32().SetWindowTextU(GetDlgItem(IDC_FILTER_COUNT), _filterText.empty()
                                                                       ? std::string()
                                                                       : grouped(_startupTree.shownCount()) + " of " +
                                                                             grouped(_startupTree.entryCount()));
}

bool BootwardenDlg::clearFilter()
{
    const HWND box = GetDlgItem(IDC_FILTER);
    if (platform::win32().GetFocus() != box || _filterText.empty())
        return false;
    platform::win32().SetWindowTextU(box, std::string());
    return true;
}

void BootwardenDlg::listTasks()
{
    // The service answers for each task in turn: the window is drawn and answers meanwhile.
    const HWND window = GetSafeHwnd();
    _locations.listTasksInBackground([window] { platform::win32().PostMessageW(window, WM_TASKS_LISTED, 0, 0); });
}

void BootwardenDlg::OnTasksListed()
{
    {
        const platform::PausedDrawing paused(_tree);
        _startupTree.insertListed();
    }
    entriesListed();
}

void BootwardenDlg::entriesListed()
{
    filterTree();
    startLearning();
    if (_hideMicrosoft)
        startHiding();
}

void BootwardenDlg::OnBnClickedHideMicrosoft()
{
    UpdateData(true);
    if (_hideMicrosoft) {
        startHiding();
        return;
    }
    const platform::PausedDrawing paused(_tree);
    _microsoftFilter->stop();
}

void BootwardenDlg::startHiding()
{
    _microsoftFilter->start();
    platform::win32().PostMessageW(GetSafeHwnd(), WM_INSPECT_MORE, 0, 0);
}

void BootwardenDlg::OnInspectMore()
{
    const platform::PausedDrawing paused(_tree);
    if (_microsoftFilter->askMore())
        platform::win32().PostMessageW(GetSafeHwnd(), WM_INSPECT_MORE, 0, 0);
    showProgramFacts();
}

HTREEITEM BootwardenDlg::itemUnderCursor(POINT& screen, UINT& flags) const
{
    platform::win32().GetCursorPos(&screen);
    POINT client = screen;
    platform::win32().ScreenToClient(_tree.GetSafeHwnd(), &client);
    return _tree.HitTest(client, &flags);
}

void BootwardenDlg::OnNMClickTree()
{
    POINT screen = {};
    UINT flags = 0;
    const HTREEITEM item = itemUnderCursor(screen, flags);
    if ((flags & TVHT_ONITEMSTATEICON) && _startupTree.isEntry(item))
        toggleEntry(item);
}

void BootwardenDlg::OnNMRclickTree()
{
    POINT screen = {};
    UINT flags = 0;
    const HTREEITEM item = itemUnderCursor(screen, flags);
    if (!item || !(flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)))
        return;
    _tree.SelectItem(item);
    showMenu(item, screen);
}

bool BootwardenDlg::OnContextMenu(HWND window, POINT screen)
{
    const HTREEITEM selected = _tree.GetSelectedItem();
    // From the mouse the tree's own right click has shown the menu already.
    if (window != _tree.GetSafeHwnd() || screen.x != -1 || screen.y != -1 || !selected)
        return false;
    RECT label = {};
    _tree.GetItemRect(selected, &label, TRUE);
    POINT atNode = {label.left, label.bottom};
    platform::win32().ClientToScreen(_tree.GetSafeHwnd(), &atNode);
    showMenu(selected, atNode);
    return true;
}

bool BootwardenDlg::OnTvnKeydownTree(WORD key)
{
    const HTREEITEM selected = _tree.GetSelectedItem();
    if (key == VK_SPACE && _startupTree.isEntry(selected))
        toggleEntry(selected);
    else if (key == VK_DELETE && _startupTree.offers(selected, StartupTree::Command::Delete))
        runCommand(StartupTree::Command::Delete, selected);
    else if (key == VK_DELETE && _startupTree.offers(selected, StartupTree::Command::Forget))
        runCommand(StartupTree::Command::Forget, selected);
    else if (key == VK_F5)
        refresh();
    else if ((key == 'F' && platform::win32().GetKeyState(VK_CONTROL) < 0) ||
             platform::win32().MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) == '/')
        platform::win32().SetFocus(GetDlgItem(IDC_FILTER));
    else
        return false;
    return true; // no incremental search for a key that did something
}

void BootwardenDlg::showMenu(HTREEITEM node, POINT screen)
{
    const std::vector<StartupTree::Command> commands = _startupTree.commands(node);
    if (commands.empty())
        return;
    platform::PopupMenu menu;
    for (StartupTree::Command command : commands)
        menu.append(static_cast<UINT>(command), StartupTree::text(command));
    if (const UINT chosen = menu.track(screen, GetSafeHwnd()))
        runCommand(static_cast<StartupTree::Command>(chosen), node);
}

void BootwardenDlg::toggleEntry(HTREEITEM node)
{
    try {
        _startupTree.toggle(node);
    } catch (const exceptions::Exception& e) {
        _reporter->showError(e.getMessage());
    }
}

void BootwardenDlg::runCommand(StartupTree::Command command, HTREEITEM node)
{
    try {
        switch (command) {
        case StartupTree::Command::Disable:
        case StartupTree::Command::Enable:
            _startupTree.setEnabled(node, command == StartupTree::Command::Enable);
            break;
        case StartupTree::Command::Delete:
            if (QuestionBox("Question", GetSafeHwnd())
                    .ask("Are you sure you want to delete this key?\n\nIt can be restored from \"Deleted\"."))
                _startupTree.remove(node);
            break;
        case StartupTree::Command::Restore:
            _startupTree.restore(node);
            break;
        case StartupTree::Command::Forget:
            if (QuestionBox("Question", GetSafeHwnd())
                    .ask("Forget this deleted entry? Its copy is removed for good, and it can no longer be restored."))
                _startupTree.forget(node);
            break;
        case StartupTree::Command::Run:
            _startupTree.run(node);
            break;
        case StartupTree::Command::Info:
            _reporter->showInformation(_startupTree.information(node));
            break;
        case StartupTree::Command::OpenFileLocation:
            openFileLocation(node);
            break;
        case StartupTree::Command::OpenInRegistryEditor:
            windows::registry::RegistryEditor::openAt(_startupTree.registryKey(node));
            break;
        }
    } catch (const exceptions::Exception& e) {
        _reporter->showError(e.getMessage());
    }
}

void BootwardenDlg::openFileLocation(HTREEITEM node)
{
    const std::string program = ProgramInspector::locate(_startupTree.programCommand(node));
    if (!ProgramInspector::exists(program))
        _reporter->showError("There is no file " + program + " to show: the program this entry starts is missing.");
    else
        windows::shell::Explorer::select(program);
}

void BootwardenDlg::refresh()
{
    if (_startupTree.hasPendingChanges() && !QuestionBox("Question", GetSafeHwnd())
                                                 .ask("Listing the entries again drops the changes you have not "
                                                      "applied with OK. List them again?"))
        return;
    const platform::PausedDrawing paused(_tree);
    try {
        _locations.registryBackup().reload(); // another Bootwarden may have changed it
    } catch (const exceptions::Exception& e) {
        _reporter->showError(e.getMessage());
    }
    listTasks();
    _textFilter.forgetEntries();
    _startupTree.rebuild();
    _publishersAsked = false; // the entries listed now may start other programs
    askPublishersOnce();
    entriesListed();
    OnTvnSelchangedTree();
}

void BootwardenDlg::OnBnClickedOk()
{
    // What failed has been reported and stays pending: the user can mend the cause and press
    // OK again, or Cancel.
    if (_startupTree.applyChanges())
        OnOK();
}

void BootwardenDlg::OnSize(int width, int height)
{
    _layout.arrange(width, height);
}

bool BootwardenDlg::OnGetMinMaxInfo(MINMAXINFO& info)
{
    return _layout.limit(info);
}

bool BootwardenDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    _reporter->showInformation(APPLICATION_NAME + " " + APPLICATION_VERSION);
    return true;
}

} // namespace products::bootwarden::window
