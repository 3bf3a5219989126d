#include "platform/framework/PopupMenu.h"

#include "platform/Win32Api.h"

namespace platform {

PopupMenu::PopupMenu() : _menu(win32().CreatePopupMenu()) {}

PopupMenu::~PopupMenu()
{
    if (_menu)
        win32().DestroyMenu(_menu);
}

void PopupMenu::append(UINT id, const char* text)
{
    win32().AppendMenuU(_menu, MF_STRING, id, text);
}

UINT PopupMenu::track(POINT screen, HWND owner)
{
    return static_cast<UINT>(win32().TrackPopupMenu(_menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_LEFTBUTTON, screen.x,
                                                    screen.y, 0, owner, nullptr));
}

} // namespace platform
