#include "platform/framework/DataExchange.h"

#include "platform/Win32Api.h"
#include "platform/framework/TreeCtrl.h"

#include <vector>

namespace platform {

void DataExchange::control(int id, TreeCtrl& control)
{
    if (!control.GetSafeHwnd())
        control.Attach(win32().GetDlgItem(_dialog, id));
}

void DataExchange::text(int id, std::string& value)
{
    const HWND item = win32().GetDlgItem(_dialog, id);
    if (!_save) {
        win32().SetWindowTextA(item, value.c_str());
        return;
    }
    std::vector<char> buffer(win32().GetWindowTextLengthA(item) + 1, '\0');
    const int length = win32().GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
    value.assign(buffer.data(), length > 0 ? length : 0);
}

} // namespace platform
