#pragma once

#include <windows.h>

#include <vector>

namespace platform {

// Keeps a dialog's controls in place as the dialog is resized: each edge of a control that is
// anchored to an edge of the dialog keeps its distance to it, so a control anchored to both
// sides grows with the dialog and one anchored to one side moves with it. The dialog never
// gets smaller than its template made it.
class ControlLayout {
public:
    enum Anchor { LEFT = 1, TOP = 2, RIGHT = 4, BOTTOM = 8 };

    // Takes the dialog's size now as the size of its design and its smallest.
    void start(HWND dialog);
    // Anchors the control to the dialog's edges (Anchor values combined).
    void anchor(int controlId, int anchors);
    // Places the anchored controls for a client area of this size.
    void arrange(int width, int height) const;
    // Says the smallest size the dialog may take; false before start.
    bool limit(MINMAXINFO& info) const;

private:
    struct Placed {
        HWND control;
        RECT rect; // in the client area of the design's size
        int anchors;
    };

    HWND _dialog = nullptr;
    SIZE _client = {}; // of the design, the smallest there is

    std::vector<Placed> _controls;
};

} // namespace platform
