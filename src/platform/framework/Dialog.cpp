#include "platform/framework/Dialog.h"

#include "platform/Win32Api.h"
#include "platform/framework/DataExchange.h"

namespace platform {

Dialog::Dialog(int templateId, HWND parent) : _templateId(templateId), _parent(parent) {}

Dialog::~Dialog() = default;

INT_PTR Dialog::DoModal()
{
    _failure = nullptr;
    const INT_PTR result = win32().DialogBoxParamW(win32().GetModuleHandleA(nullptr), MAKEINTRESOURCEW(_templateId),
                                                   _parent, DialogProc, reinterpret_cast<LPARAM>(this));
    _window = nullptr;
    if (_failure)
        std::rethrow_exception(_failure);
    return result;
}

BOOL Dialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::UpdateData(bool saveAndValidate)
{
    DataExchange exchange(_window, saveAndValidate);
    DoDataExchange(exchange);
}

void Dialog::OnOK()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void Dialog::EndDialog(int result)
{
    win32().EndDialog(_window, result);
}

bool Dialog::OnCommand(WORD id, WORD code)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
    else
        return false;
    return true;
}

bool Dialog::OnNotify(NMHDR&, LRESULT&)
{
    return false;
}

bool Dialog::OnSysCommand(UINT, LPARAM)
{
    return false;
}

void Dialog::OnSize(int, int) {}

bool Dialog::OnGetMinMaxInfo(MINMAXINFO&)
{
    return false;
}

bool Dialog::OnContextMenu(HWND, POINT)
{
    return false;
}

bool Dialog::OnPaint()
{
    if (!_icon || !win32().IsIconic(_window))
        return false;
    PAINTSTRUCT paint = {};
    const HDC dc = win32().BeginPaint(_window, &paint);
    win32().SendMessageW(_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client = {};
    win32().GetClientRect(_window, &client);
    const int x = (client.right - client.left - win32().GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - win32().GetSystemMetrics(SM_CYICON) + 1) / 2;
    win32().DrawIcon(dc, x, y, _icon);
    win32().EndPaint(_window, &paint);
    return true;
}

bool Dialog::OnAppMessage(UINT)
{
    return false;
}

bool Dialog::OnTimer(UINT_PTR)
{
    return false;
}

HICON Dialog::OnQueryDragIcon()
{
    return _icon;
}

void Dialog::SetIcon(HICON icon)
{
    _icon = icon;
    win32().SendMessageW(_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    win32().SendMessageW(_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

HWND Dialog::GetDlgItem(int id) const
{
    return win32().GetDlgItem(_window, id);
}

void Dialog::SetWindowText(const std::string& text)
{
    win32().SetWindowTextU(_window, text);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        dialog->_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    }
    auto* dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!dialog)
        return FALSE;
    if (message == WM_NCDESTROY)
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    try {
        return dialog->route(message, wParam, lParam);
    } catch (...) {
        if (!dialog->_failure)
            dialog->_failure = std::current_exception();
        win32().EndDialog(window, IDABORT);
        return TRUE;
    }
}

INT_PTR Dialog::route(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(*reinterpret_cast<NMHDR*>(lParam), result))
            return FALSE;
        ::SetWindowLongPtrW(_window, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_CONTEXTMENU:
        return OnContextMenu(reinterpret_cast<HWND>(wParam),
                             POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wParam));
    default:
        return message >= WM_APP && message <= 0xBFFF && OnAppMessage(message);
    }
}

} // namespace platform
