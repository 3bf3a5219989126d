#include "platform/framework/DataExchange.h"

#include "platform/Win32Api.h"
#include "platform/framework/TreeView.h"

namespace platform {

void DataExchange::control(int id, TreeView& control)
{
    if (!control.GetSafeHwnd())
        control.Attach(win32().GetDlgItem(_dialog, id));
}

void DataExchange::text(int id, std::string& value)
{
    const HWND item = win32().GetDlgItem(_dialog, id);
    if (_save)
        win32().GetWindowTextU(item, value);
    else
        win32().SetWindowTextU(item, value);
}

void DataExchange::check(int id, bool& checked)
{
    const HWND item = win32().GetDlgItem(_dialog, id);
    if (_save)
        checked = win32().SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
        win32().SendMessageW(item, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

} // namespace platform
