#pragma once

#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <string>

namespace platform {

class DataExchange;

// A modal dialog made from a template of the program's resources. The dialog procedure only
// routes each message to one virtual handler; an exception that leaves a handler ends the
// modal run and is thrown again by DoModal, so no exception crosses the system's frames.
class Dialog {
public:
    Dialog(int templateId, HWND parent);
    virtual ~Dialog();

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until it ends; IDOK or IDCANCEL.
    INT_PTR DoModal();
    HWND GetSafeHwnd() const { return _window; }

protected:
    // Binds the controls and shows the members in them; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);
    // Takes the controls' data into the members (true) or shows the members (false).
    void UpdateData(bool saveAndValidate = true);

    // BN_CLICKED of OK: takes the data and ends with IDOK.
    virtual void OnOK();
    // BN_CLICKED of Cancel or the close box: ends with IDCANCEL.
    virtual void OnCancel();
    void EndDialog(int result);

    // Each answers whether it handled the message; unhandled ones get the default handling.
    virtual bool OnCommand(WORD id, WORD code);
    virtual bool OnNotify(NMHDR& header, LRESULT& result);
    virtual bool OnSysCommand(UINT id, LPARAM param);
    // screen is (-1, -1) when the menu was asked for from the keyboard.
    virtual bool OnContextMenu(HWND window, POINT screen);
    // The client area's new size.
    virtual void OnSize(int width, int height);
    // The sizes the window may take; true when info was changed.
    virtual bool OnGetMinMaxInfo(MINMAXINFO& info);
    // Draws the window's icon while it is minimized.
    virtual bool OnPaint();
    virtual HICON OnQueryDragIcon();
    // A message of the program's own (WM_APP and above), which a thread of its own may post.
    virtual bool OnAppMessage(UINT message);
    // A timer of the window's ticked: the system ticks only when nothing else waits.
    virtual bool OnTimer(UINT_PTR id);

    HWND GetDlgItem(int id) const;
    // The window's big and small icon, also drawn while it is minimized.
    void SetIcon(HICON icon);
    void SetWindowText(const std::string& text);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR route(UINT message, WPARAM wParam, LPARAM lParam);

    int _templateId;
    HWND _parent;
    HWND _window = nullptr;
    HICON _icon = nullptr;
    std::exception_ptr _failure;
};

} // namespace platform
