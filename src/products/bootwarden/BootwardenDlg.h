#pragma once

#include "platform/framework/Dialog.h"
#include "platform/framework/ImageList.h"
#include "products/bootwarden/Mapper.h"
#include "products/bootwarden/StartupInterface.h"
#include "products/bootwarden/StartupItem.h"
#include "products/bootwarden/database/AutostartDatabase.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "products/bootwarden/database/RegistryDatabase.h"
#include "windows/mfc/TreeControl.h"

#include <string>
#include <vector>

class MessageBoxReporter;

namespace products::bootwarden {

// The program's window: a tree of the startup locations with every entry as a checkable leaf.
// Enabling and disabling only mark the dialog's copy of an entry; OK applies them, Cancel
// drops them. Delete and Run act at once.
class BootwardenDlg : public platform::Dialog {
public:
    static constexpr int IDD = 102;

    // Loads the data file and sets up every location; a data file that cannot be read throws.
    explicit BootwardenDlg(MessageBoxReporter* reporter, HWND parent = nullptr);

protected:
    void DoDataExchange(platform::DataExchange& exchange) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    bool OnSysCommand(UINT id, LPARAM param) override;
    bool OnPaint() override;
    HICON OnQueryDragIcon() override;

private:
    void OnBnClickedOk();
    void OnBnClickedHelp();
    void OnTvnSelchangedTree();
    void OnNMClickTree();
    void OnNMRclickTree();

    void createImageLists();
    void insertFixedNodes();
    HTREEITEM insertLocation(const char* text, HTREEITEM parent, int type, const char* description);
    void insertLeaves();
    void insertEntries(HTREEITEM node, const std::vector<StartupItem>& items);
    int entryImage(const StartupItem& item);
    static std::string findExePath(const std::string& commandLine);
    void setEnabled(HTREEITEM item, bool enable);
    void toggleEnabled(HTREEITEM item);
    void deleteEntry(HTREEITEM item);
    void runEntry(HTREEITEM item);
    void showInfo(HTREEITEM item);
    POINT cursorInTree(POINT screen) const;

    HICON _icon;
    TreeControl _tree;
    platform::ImageList _imageList;
    platform::ImageList _stateImageList;
    StartupInterface _startupInterface;
    HTREEITEM _registryNode = nullptr;
    HTREEITEM _autostartNode = nullptr;
    HTREEITEM _registryAllUsersNode = nullptr;
    HTREEITEM _registryCurrentUserNode = nullptr;
    HTREEITEM _machineRunNode = nullptr;
    HTREEITEM _machineRunOnceNode = nullptr;
    HTREEITEM _machineRunOnceExNode = nullptr;
    HTREEITEM _machineRunServicesNode = nullptr;
    HTREEITEM _machineRunServicesOnceNode = nullptr;
    HTREEITEM _userRunNode = nullptr;
    HTREEITEM _userRunOnceNode = nullptr;
    HTREEITEM _autostartAllUsersNode = nullptr;
    HTREEITEM _autostartCurrentUserNode = nullptr;
    MessageBoxReporter* _reporter;
    database::RegistryBackup _registryBackup;
    database::RegistryDatabase _machineRun;
    database::RegistryDatabase _machineRunOnce;
    database::RegistryDatabase _machineRunOnceEx;
    database::RegistryDatabase _userRun;
    database::RegistryDatabase _userRunOnce;
    database::RegistryDatabase _machineRunServices;
    database::RegistryDatabase _machineRunServicesOnce;
    database::AutostartDatabase _commonStartup;
    database::AutostartDatabase _userStartup;
    Mapper<HTREEITEM, StartupItem> _items;
    Mapper<HTREEITEM, std::string> _descriptions;
    Mapper<HTREEITEM, std::string> _errors;
    Mapper<int, HTREEITEM> _locationNodes;
    std::string _commandLine;
};

} // namespace products::bootwarden
