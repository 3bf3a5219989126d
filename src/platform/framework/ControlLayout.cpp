#include "platform/framework/ControlLayout.h"

#include "platform/Win32Api.h"

namespace platform {

namespace {

// One edge pair of a control (left and right, or top and bottom) in a dialog grown by grown.
void follow(LONG& low, LONG& high, bool toLow, bool toHigh, int grown)
{
    if (toHigh && !toLow)
        low += grown;
    if (toHigh)
        high += grown;
}

} // namespace

void ControlLayout::start(HWND dialog)
{
    _dialog = dialog;
    RECT client = {};
    win32().GetClientRect(dialog, &client);
    _client = {client.right - client.left, client.bottom - client.top};
}

void ControlLayout::anchor(int controlId, int anchors)
{
    const HWND control = win32().GetDlgItem(_dialog, controlId);
    RECT rect = {};
    win32().GetWindowRect(control, &rect);
    win32().MapWindowPoints(nullptr, _dialog, reinterpret_cast<POINT*>(&rect), 2);
    _controls.push_back({control, rect, anchors});
}

void ControlLayout::arrange(int width, int height) const
{
    if (!_dialog)
        return;
    for (const Placed& placed : _controls) {
        RECT rect = placed.rect;
        follow(rect.left, rect.right, placed.anchors & LEFT, placed.anchors & RIGHT, width - _client.cx);
        follow(rect.top, rect.bottom, placed.anchors & TOP, placed.anchors & BOTTOM, height - _client.cy);
        win32().SetWindowPos(placed.control, nullptr, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The group box and the labels draw nothing of their old places themselves.
    win32().InvalidateRect(_dialog, nullptr, TRUE);
}

bool ControlLayout::limit(MINMAXINFO& info) const
{
    if (!_dialog)
        return false;
    // The frame as it is now: the system may draw it anew once the window is shown, at the
    // screen's DPI.
    RECT client = {}, window = {};
    win32().GetClientRect(_dialog, &client);
    win32().GetWindowRect(_dialog, &window);
    info.ptMinTrackSize = {_client.cx + (window.right - window.left) - (client.right - client.left),
                           _client.cy + (window.bottom - window.top) - (client.bottom - client.top)};
    return true;
}

} // namespace platform
