#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// The tree view of a Bootwarden window, read and worked as a user would: from the test's own
// process or from another one. The messages that carry a pointer go through memory of the
// window's process, which is the same thing when the window is the caller's own.
class TreeReader {
public:
    explicit TreeReader(HWND tree);
    ~TreeReader();

    TreeReader(const TreeReader&) = delete;
    TreeReader& operator=(const TreeReader&) = delete;

    HWND handle() const { return _tree; }
    // Texts are UTF-8. Follows a path of texts from the top, "Registry/Current User/Run",
    // expanding on the way unless told not to.
    HTREEITEM find(const std::string& path, bool expand = true) const;
    std::vector<std::string> children(HTREEITEM parent) const;
    // How many children parent has, without reading their texts.
    std::size_t childCount(HTREEITEM parent) const;
    std::string text(HTREEITEM item) const;
    int image(HTREEITEM item) const;
    int stateImage(HTREEITEM item) const;
    bool bold(HTREEITEM item) const;
    bool expanded(HTREEITEM item) const;
    void expandAll() const;
    // A screen point on the item's part (TVHT_ONITEMSTATEICON, TVHT_ONITEMLABEL, ...).
    POINT pointOn(HTREEITEM item, UINT part) const;

private:
    HTREEITEM next(HTREEITEM item, UINT relation) const;
    UINT state(HTREEITEM item, UINT mask) const;
    // Sends a message whose lParam points to size bytes of data, which the window may change.
    void exchange(UINT message, WPARAM wParam, void* data, SIZE_T size, SIZE_T extra = 0) const;

    HWND _tree;
    HANDLE _process;
    char* _memory;
};
