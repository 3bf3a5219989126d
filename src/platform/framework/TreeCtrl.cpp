#include "platform/framework/TreeCtrl.h"

#include "platform/Win32Api.h"
#include "platform/framework/ImageList.h"

#include <cstring>

namespace platform {

void TreeCtrl::SetImageList(ImageList& list, int which)
{
    send(TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list.handle()));
}

HTREEITEM TreeCtrl::GetSelectedItem() const
{
    return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CARET, 0));
}

BOOL TreeCtrl::SelectItem(HTREEITEM item)
{
    return static_cast<BOOL>(send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeCtrl::HitTest(POINT point, UINT* flags) const
{
    TVHITTESTINFO info = {};
    info.pt = point;
    const auto item = reinterpret_cast<HTREEITEM>(send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return item;
}

BOOL TreeCtrl::GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const
{
    // The control takes the item from the rectangle it is to fill.
    std::memcpy(rect, &item, sizeof item);
    return static_cast<BOOL>(send(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)));
}

BOOL TreeCtrl::Expand(HTREEITEM item, UINT action)
{
    return static_cast<BOOL>(send(TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeCtrl::GetChildItem(HTREEITEM item) const
{
    return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

LRESULT TreeCtrl::send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return win32().SendMessageA(_window, message, wParam, lParam);
}

} // namespace platform
