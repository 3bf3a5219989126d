#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace platform {

class ImageList;

// A tree-view control of a dialog, reached through its messages.
class TreeCtrl {
public:
    virtual ~TreeCtrl() = default;

    void Attach(HWND window) { _window = window; }
    HWND GetSafeHwnd() const { return _window; }

    void SetImageList(ImageList& list, int which);
    // Appends an item under parent (null: at the top) with the given state bits; null when the
    // control refuses. A text longer than the control shows is shortened with "...".
    HTREEITEM InsertItem(const std::string& text, HTREEITEM parent, int image, UINT state, UINT stateMask);
    HTREEITEM GetSelectedItem() const;
    BOOL SelectItem(HTREEITEM item);
    // The item under a client point, and where on it the point lies (TVHT_ flags).
    HTREEITEM HitTest(POINT point, UINT* flags) const;
    // The item's rectangle in client coordinates, of its label alone when textOnly.
    BOOL GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const;
    BOOL Expand(HTREEITEM item, UINT action);
    HTREEITEM GetChildItem(HTREEITEM item) const;

protected:
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    HWND _window = nullptr;
};

} // namespace platform
