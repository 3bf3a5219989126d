#include "support/DialogDriver.h"

DialogDriver::DialogDriver(Script script)
    : _script(std::move(script)),
      _modal(&platform::Win32Api::DialogBoxParamW,
             [this](HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC procedure, LPARAM param) {
                 const HWND dialog = ::CreateDialogParamW(instance, name, parent, procedure, param);
                 if (!dialog)
                     return INT_PTR(-1);
                 _ran = true;
                 _script(dialog);
                 ::DestroyWindow(dialog);
                 return _ended ? _result : INT_PTR(0);
             }),
      _end(&platform::Win32Api::EndDialog, [this](HWND, INT_PTR result) {
          _ended = true;
          _result = result;
          return TRUE;
      })
{
}

CursorAt::CursorAt(POINT screen)
    : _override(&platform::Win32Api::GetCursorPos, [screen](LPPOINT point) {
          *point = screen;
          return TRUE;
      })
{
}

MenuRecorder::MenuRecorder(UINT answer)
    : _override(&platform::Win32Api::TrackPopupMenu,
                [this, answer](HMENU menu, UINT, int, int, int, HWND, const RECT*) {
                    std::vector<std::string> entries;
                    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                        char text[64] = {};
                        ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
                        entries.push_back(std::to_string(::GetMenuItemID(menu, i)) + " " + text);
                    }
                    _menus.push_back(entries);
                    return static_cast<BOOL>(answer);
                })
{
}

void notifyFromTree(HWND dialog, UINT code)
{
    NMHDR header = {};
    header.hwndFrom = ::GetDlgItem(dialog, 1000);
    header.idFrom = 1000;
    header.code = code;
    ::SendMessageA(dialog, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&header));
}
