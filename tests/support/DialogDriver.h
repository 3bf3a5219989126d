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

    // Whether the dialog's window was made and the script ran on it.
    bool ran() const { return _ran; }
    // Whether the dialog asked to end.
    bool ended() const { return _ended; }

private:
    Script _script;
    bool _ran = false;
    bool _ended = false;
    INT_PTR _result = 0;
    platform::ScopedOverride<INT_PTR(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM)> _modal;
    platform::ScopedOverride<BOOL(HWND, INT_PTR)> _end;
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
