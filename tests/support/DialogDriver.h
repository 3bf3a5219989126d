#pragma once

#include "platform/Win32Api.h"

#include <functional>
#include <string>
#include <vector>

// Runs a modal dialog of the code under test as a modeless window for the length of a script,
// so a test can look at it and work it through its messages. EndDialog is recorded, and the
// dialog's modal run returns what it was given.
class DialogDriver {
public:
    using Script = std::function<void(HWND dialog)>;

    explicit DialogDriver(Script script);

    // Whether the dialog asked to end.
    bool ended() const { return _ended; }

private:
    Script _script;
    bool _ended = false;
    INT_PTR _result = 0;
    platform::ScopedOverride<INT_PTR(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)> _modal;
    platform::ScopedOverride<BOOL(HWND, INT_PTR)> _end;
};

// The tree view of a dialog, read and worked as a user would.
class TreeView {
public:
    explicit TreeView(HWND tree) : _tree(tree) {}

    // Follows a path of texts from the top, "Registry/Current User/Run".
    HTREEITEM find(const std::string& path) const;
    std::vector<std::string> children(HTREEITEM parent) const;
    std::string text(HTREEITEM item) const;
    int image(HTREEITEM item) const;
    int stateImage(HTREEITEM item) const;
    void expandAll() const;
    // A screen point on the item's part (TVHT_ONITEMSTATEICON, TVHT_ONITEMLABEL, ...).
    POINT pointOn(HTREEITEM item, UINT part) const;

private:
    HTREEITEM next(HTREEITEM item, UINT relation) const;

    HWND _tree;
};

// Makes the cursor stand where a test says, for the handlers that ask where it is.
class CursorAt {
public:
    explicit CursorAt(POINT screen);

private:
    platform::ScopedOverride<BOOL(LPPOINT)> _override;
};

// Answers every context menu of its scope with one command and remembers its entries.
class MenuRecorder {
public:
    explicit MenuRecorder(UINT answer = 0);

    // The entries of each menu shown, top to bottom, as "id text".
    const std::vector<std::vector<std::string>>& menus() const { return _menus; }

private:
    std::vector<std::vector<std::string>> _menus;
    platform::ScopedOverride<BOOL(HMENU, UINT, int, int, int, HWND, const RECT*)> _override;
};

// Sends the tree's notification to the dialog, as the control does after a click.
void notifyFromTree(HWND dialog, UINT code);
