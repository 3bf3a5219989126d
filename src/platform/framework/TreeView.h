#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace platform {

class ImageList;

// A tree-view control of a dialog, reached through its messages; TreeControl adds the checked
// operations the dialog uses.
class TreeView {
public:
    virtual ~TreeView() = default;

    void Attach(HWND window) { _window = window; }
    HWND GetSafeHwnd() const { return _window; }

    void SetImageList(ImageList& list, int which);
    HTREEITEM GetSelectedItem() const;
    BOOL SelectItem(HTREEITEM item);
    // The item under a client point, and where on it the point lies (TVHT_ flags).
    HTREEITEM HitTest(POINT point, UINT* flags) const;
    // The item's rectangle in client coordinates, of its label alone when textOnly.
    BOOL GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const;
    BOOL Expand(HTREEITEM item, UINT action);
    HTREEITEM GetChildItem(HTREEITEM item) const;
    // Whether the control draws its changes as they come; turned back on, it draws itself whole.
    void SetRedraw(bool redraw);

protected:
    // Appends an item under parent (null: at the top) with the given state bits; null when the
    // control refuses, which a caller must check. A text longer than the control shows is
    // shortened with "...".
    HTREEITEM InsertItem(const std::string& text, HTREEITEM parent, int image, UINT state, UINT stateMask);
    LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    HWND _window = nullptr;
};

// Keeps a tree from drawing for the length of a scope, so a whole listing is drawn once.
class PausedDrawing {
public:
    explicit PausedDrawing(TreeView& tree) : _tree(tree) { _tree.SetRedraw(false); }
    ~PausedDrawing() { _tree.SetRedraw(true); }

    PausedDrawing(const PausedDrawing&) = delete;
    PausedDrawing& operator=(const PausedDrawing&) = delete;

private:
    TreeView& _tree;
};

} // namespace platform
