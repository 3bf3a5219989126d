#include "products/bootwarden/BootwardenDlg.h"

#include "exceptions/MessageBoxReporter.h"
#include "exceptions/QuestionBox.h"
#include "platform/Win32Api.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/PopupMenu.h"
#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "resources/resource.h"
#include "util/ApplicationConstants.h"
#include "util/StringHelper.h"
#include "util/assertion/Assertion.h"
#include "windows/file/WindowsFileHelper.h"
#include "windows/info/WindowsVersion.h"
#include "windows/process/ProcessHelper.h"

#include <cstring>

namespace products::bootwarden {

namespace {

const char* const SOURCE = "products/bootwarden/BootwardenDlg";

const UINT ID_DISABLE = 100;
const UINT ID_ENABLE = 101;
const UINT ID_DELETE = 102;
const UINT ID_RUN = 103;
const UINT ID_INFO = 104;

const int IMAGE_FOLDER = 0;
const int IMAGE_NO_ICON = 1;
const int IMAGE_FOLDER_WARNING = 2;
const int STATE_ENABLED = 1;
const int STATE_DISABLED = 2;
const int NO_TYPE = -1;

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

HINSTANCE resources()
{
    return platform::win32().GetModuleHandleA(nullptr);
}

} // namespace

BootwardenDlg::BootwardenDlg(MessageBoxReporter* reporter, HWND parent)
    : Dialog(IDD, parent), _icon(nullptr), _startupInterface(reporter), _reporter(reporter),
      _registryBackup(DATA_FILE_NAME),
      _machineRun(StartupConstants::LOCAL_MACHINE_RUN, _registryBackup),
      _machineRunOnce(StartupConstants::LOCAL_MACHINE_RUN_ONCE, _registryBackup),
      _machineRunOnceEx(StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX, _registryBackup),
      _userRun(StartupConstants::CURRENT_USER_RUN, _registryBackup),
      _userRunOnce(StartupConstants::CURRENT_USER_RUN_ONCE, _registryBackup),
      _machineRunServices(StartupConstants::LOCAL_MACHINE_RUN_SERVICES, _registryBackup),
      _machineRunServicesOnce(StartupConstants::LOCAL_MACHINE_RUN_SERVICES_ONCE, _registryBackup),
      _commonStartup(StartupConstants::COMMON_STARTUP, ".\\lmas\\"),
      _userStartup(StartupConstants::USER_STARTUP, ".\\cuas\\")
{
    _icon = platform::win32().LoadIconA(resources(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    for (database::StartupDatabase* database :
         std::initializer_list<database::StartupDatabase*>{&_machineRun, &_machineRunOnce,
                                                           &_machineRunOnceEx, &_userRun,
                                                           &_userRunOnce})
        _startupInterface.addDatabase(database);
    // The RunServices keys exist only outside the NT family.
    if (!windows::info::isWindowsNT()) {
        _startupInterface.addDatabase(&_machineRunServices);
        _startupInterface.addDatabase(&_machineRunServicesOnce);
    }
    _startupInterface.addDatabase(&_commonStartup);
    _startupInterface.addDatabase(&_userStartup);
}

void BootwardenDlg::DoDataExchange(platform::DataExchange& exchange)
{
    Dialog::DoDataExchange(exchange);
    exchange.control(IDC_TREE, _tree);
    exchange.text(IDC_COMMAND_LINE, _commandLine);
}

BOOL BootwardenDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    if (HMENU systemMenu = platform::win32().GetSystemMenu(GetSafeHwnd(), FALSE)) {
        platform::win32().AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        platform::win32().AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, "&About..");
    }
    platform::win32().SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(_icon));
    platform::win32().SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(_icon));
    createImageLists();
    insertFixedNodes();
    insertLeaves();
    SetWindowText(APPLICATION_NAME);
    const std::string damage = _registryBackup.getDamageReport();
    if (!damage.empty())
        _reporter->showError(damage);
    return TRUE;
}

void BootwardenDlg::createImageLists()
{
    const std::pair<platform::ImageList*, std::vector<int>> lists[] = {
        {&_imageList, {IDB_FOLDER, IDB_CROSS, IDB_FOLDER_WARNING}},
        {&_stateImageList, {IDB_CROSS, IDB_CHECKED, IDB_UNCHECKED}},
    };
    for (const auto& list : lists) {
        list.first->Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 1);
        for (int bitmapId : list.second) {
            const HBITMAP bitmap = platform::win32().LoadBitmapA(resources(), MAKEINTRESOURCEA(bitmapId));
            list.first->Add(bitmap, RGB(255, 255, 255));
            platform::win32().DeleteObject(bitmap);
        }
    }
    _tree.SetImageList(_imageList, TVSIL_NORMAL);
    _tree.SetImageList(_stateImageList, TVSIL_STATE);
}

HTREEITEM BootwardenDlg::insertLocation(const char* text, HTREEITEM parent, int type,
                                        const char* description)
{
    const HTREEITEM node = _tree.insertItem(text, parent, IMAGE_FOLDER, false, 0);
    if (type != NO_TYPE)
        _locationNodes.add(type, node);
    _descriptions.add(node, description);
    return node;
}

void BootwardenDlg::insertFixedNodes()
{
    _registryNode = insertLocation("Registry", nullptr, NO_TYPE, REGISTRY_TEXT);
    _autostartNode = insertLocation("Autostart", nullptr, NO_TYPE, AUTOSTART_TEXT);
    _registryAllUsersNode =
        insertLocation("All users", _registryNode, NO_TYPE, REGISTRY_ALL_USERS_TEXT);
    _registryCurrentUserNode =
        insertLocation("Current User", _registryNode, NO_TYPE, REGISTRY_CURRENT_USER_TEXT);
    _machineRunNode = insertLocation("Run", _registryAllUsersNode,
                                     StartupConstants::LOCAL_MACHINE_RUN, RUN_TEXT);
    _machineRunOnceNode = insertLocation("Run Once", _registryAllUsersNode,
                                         StartupConstants::LOCAL_MACHINE_RUN_ONCE, RUN_ONCE_TEXT);
    _machineRunOnceExNode = insertLocation(
        "Run Once Ex", _registryAllUsersNode, StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX, RUN_ONCE_TEXT);
    _userRunNode = insertLocation("Run", _registryCurrentUserNode,
                                  StartupConstants::CURRENT_USER_RUN, RUN_TEXT);
    _userRunOnceNode = insertLocation("Run Once", _registryCurrentUserNode,
                                      StartupConstants::CURRENT_USER_RUN_ONCE, RUN_ONCE_TEXT);
    _autostartAllUsersNode = insertLocation("All users", _autostartNode,
                                            StartupConstants::COMMON_STARTUP, AUTOSTART_ALL_USERS_TEXT);
    _autostartCurrentUserNode = insertLocation(
        "Current user", _autostartNode, StartupConstants::USER_STARTUP, AUTOSTART_CURRENT_USER_TEXT);
    if (!windows::info::isWindowsNT()) {
        _machineRunServicesNode =
            insertLocation("Run Services", _registryAllUsersNode,
                           StartupConstants::LOCAL_MACHINE_RUN_SERVICES, RUN_SERVICES_TEXT);
        _machineRunServicesOnceNode =
            insertLocation("Run Services Once", _registryAllUsersNode,
                           StartupConstants::LOCAL_MACHINE_RUN_SERVICES_ONCE, RUN_SERVICES_ONCE_TEXT);
    }
}

void BootwardenDlg::insertLeaves()
{
    for (int type : _startupInterface.getTypes()) {
        const HTREEITEM node = _locationNodes.get(type);
        std::string error;
        bool failed = false;
        try {
            insertEntries(node, _startupInterface.getItems(type));
        } catch (const exceptions::Exception& e) {
            error = e.getMessage();
            failed = true;
        } catch (...) {
            error = "An unexpected exception occured when inserting leafts. Please contact Quillmere.";
            failed = true;
            reportAssertion("false", SOURCE, 324);
        }
        if (failed)
            _tree.setItemImage(node, IMAGE_FOLDER_WARNING, IMAGE_FOLDER_WARNING);
        if (_errors.exists(node))
            _errors.remove(node);
        if (failed)
            _errors.add(node, error);
    }
}

void BootwardenDlg::insertEntries(HTREEITEM node, const std::vector<StartupItem>& items)
{
    for (const StartupItem& item : items) {
        const HTREEITEM leaf = _tree.insertItem(item.getValue(), node, entryImage(item), true, STATE_ENABLED);
        _items.add(leaf, item);
        setEnabled(leaf, item.getState() == StartupConstants::ENABLED);
    }
}

int BootwardenDlg::entryImage(const StartupItem& item)
{
    const std::string exePath = findExePath(item.getData());
    if (exePath.empty() || !check(exePath.size() < MAX_PATH, "exePath.size() < MAX_PATH", SOURCE, 359))
        return IMAGE_NO_ICON;
    char path[MAX_PATH] = {};
    std::memcpy(path, exePath.data(), exePath.size());
    WORD index = 0;
    const HICON icon = platform::win32().ExtractAssociatedIconA(nullptr, path, &index);
    if (!icon)
        return IMAGE_NO_ICON;
    // Each entry gets its own image, taken once while the tree is built.
    const int image = _imageList.ReplaceIcon(-1, icon);
    platform::win32().DestroyIcon(icon);
    return image == -1 ? IMAGE_NO_ICON : image;
}

std::string BootwardenDlg::findExePath(const std::string& commandLine)
{
    const std::string::size_type p = StringHelper::toLower(commandLine).find(".exe");
    if (p == std::string::npos)
        return commandLine;
    if (commandLine[0] != '"')
        return commandLine.substr(0, p + 4);
    return commandLine.substr(1, p + 3);
}

void BootwardenDlg::setEnabled(HTREEITEM item, bool enable)
{
    _items.get(item).setState(enable ? StartupConstants::ENABLED : StartupConstants::DISABLED);
    _tree.setImageState(item, enable ? STATE_ENABLED : STATE_DISABLED);
}

void BootwardenDlg::toggleEnabled(HTREEITEM item)
{
    setEnabled(item, _items.get(item).getState() == StartupConstants::DISABLED);
}

bool BootwardenDlg::OnCommand(WORD id, WORD code)
{
    if (code == BN_CLICKED && id == IDOK) {
        OnBnClickedOk();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_HELP_BUTTON) {
        OnBnClickedHelp();
        return true;
    }
    return Dialog::OnCommand(id, code);
}

bool BootwardenDlg::OnNotify(const NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_TREE)
        return false;
    switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        OnTvnSelchangedTree();
        break;
    case NM_CLICK:
        OnNMClickTree();
        break;
    case NM_RCLICK:
        OnNMRclickTree();
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

void BootwardenDlg::OnTvnSelchangedTree()
{
    const HTREEITEM item = _tree.GetSelectedItem();
    _commandLine.clear();
    if (_items.exists(item))
        _commandLine = _items.get(item).getData();
    UpdateData(false);
}

POINT BootwardenDlg::cursorInTree(POINT screen) const
{
    POINT client = screen;
    platform::win32().ScreenToClient(_tree.GetSafeHwnd(), &client);
    return client;
}

void BootwardenDlg::OnNMClickTree()
{
    POINT screen = {};
    platform::win32().GetCursorPos(&screen);
    UINT flags = 0;
    const HTREEITEM item = _tree.HitTest(cursorInTree(screen), &flags);
    if (!(flags & TVHT_ONITEMSTATEICON) || !_items.exists(item))
        return;
    try {
        toggleEnabled(item);
    } catch (const exceptions::Exception& e) {
        _reporter->showError(e.getMessage());
    }
}

void BootwardenDlg::OnNMRclickTree()
{
    platform::PopupMenu menu;
    POINT screen = {};
    platform::win32().GetCursorPos(&screen);
    UINT flags = 0;
    const HTREEITEM item = _tree.HitTest(cursorInTree(screen), &flags);
    if (item)
        _tree.SelectItem(item);
    if (item && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON))) {
        if (_items.exists(item)) {
            // Each goes in at the top: the menu reads Enable or Disable, Delete, Run.
            menu.insertAtTop(ID_RUN, "&Run");
            menu.insertAtTop(ID_DELETE, "&Delete");
            if (_items.get(item).getState() == StartupConstants::DISABLED)
                menu.insertAtTop(ID_ENABLE, "&Enable");
            else
                menu.insertAtTop(ID_DISABLE, "&Disable");
        } else {
            menu.insertAtTop(ID_INFO, "&Info");
        }
    }
    const UINT chosen = menu.track(screen, GetSafeHwnd());
    try {
        switch (chosen) {
        case ID_DISABLE:
            setEnabled(item, false);
            break;
        case ID_ENABLE:
            setEnabled(item, true);
            break;
        case ID_DELETE:
            deleteEntry(item);
            break;
        case ID_RUN:
            runEntry(item);
            break;
        case ID_INFO:
            showInfo(item);
            break;
        default:
            break;
        }
    } catch (const exceptions::Exception& e) {
        _reporter->showError(e.getMessage());
    }
}

void BootwardenDlg::deleteEntry(HTREEITEM item)
{
    if (!QuestionBox("Question").ask("Are you sure you want to delete this key?"))
        return;
    // The facade reports its own failures; the leaf goes either way.
    _startupInterface.remove(_items.get(item));
    _tree.deleteItem(item);
    _items.remove(item);
}

void BootwardenDlg::runEntry(HTREEITEM item)
{
    const std::string commandLine = _items.get(item).getData();
    if (WindowsFileHelper::isExecutable(commandLine))
        ProcessHelper::createProcess(commandLine);
    else
        ProcessHelper::shellExecute(commandLine, "open");
}

void BootwardenDlg::showInfo(HTREEITEM item)
{
    std::string text = "General Information:\n" + _descriptions.get(item);
    if (_errors.exists(item))
        text += "\n\nError description:\n" + _errors.get(item) +
                "\n\nIf you have questions about this key, please include the text in this "
                "message in you email. Press CTRL+C to copy it.";
    _reporter->showInformation(text);
}

void BootwardenDlg::OnBnClickedOk()
{
    for (const auto& entry : _items) {
        const StartupItem& item = entry.second;
        if (!item.isChanged())
            continue;
        if (item.getState() == StartupConstants::DISABLED)
            _startupInterface.disable(item);
        else
            _startupInterface.enable(item);
    }
    _registryBackup.save();
    OnOK();
}

void BootwardenDlg::OnBnClickedHelp()
{
    try {
        const std::string address = "file://" + WindowsFileHelper::getCurrentDirectory() + "manual.html";
        ProcessHelper::shellExecute(address, "open");
    } catch (const windows::process::CouldNotShellExecuteException& e) {
        _reporter->showError("Couldn't launch your browser with the help file.\n" + e.getMessage() +
                             "\nPlease try to open the file (manual.html) manually from explorer.");
    } catch (const exceptions::Exception& e) {
        _reporter->showError("An exception was caught when trying to view the help file.\n" +
                             e.getMessage() +
                             "\n\nHowever you can browse these files manually from explorer.");
    }
}

bool BootwardenDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    _reporter->showInformation(APPLICATION_NAME + " " + APPLICATION_VERSION);
    return true;
}

bool BootwardenDlg::OnPaint()
{
    if (!platform::win32().IsIconic(GetSafeHwnd()))
        return false;
    PAINTSTRUCT paint = {};
    const HDC dc = platform::win32().BeginPaint(GetSafeHwnd(), &paint);
    platform::win32().SendMessageA(GetSafeHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client = {};
    platform::win32().GetClientRect(GetSafeHwnd(), &client);
    const int x = (client.right - client.left - platform::win32().GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - platform::win32().GetSystemMetrics(SM_CYICON) + 1) / 2;
    platform::win32().DrawIcon(dc, x, y, _icon);
    platform::win32().EndPaint(GetSafeHwnd(), &paint);
    return true;
}

HICON BootwardenDlg::OnQueryDragIcon()
{
    return _icon;
}

} // namespace products::bootwarden
