#pragma once

#include <windows.h>

namespace platform {

// A context menu that lives for one command.
class PopupMenu {
public:
    PopupMenu();
    ~PopupMenu();

    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Adds an item at the bottom of the menu.
    void append(UINT id, const char* text);
    // Shows the menu at a screen point and waits; the chosen id, or 0.
    UINT track(POINT screen, HWND owner);

private:
    HMENU _menu;
};

} // namespace platform
