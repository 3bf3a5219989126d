#include "platform/framework/TreeView.h"

#include "platform/Text.h"
#include "platform/Win32Api.h"
#include "platform/framework/ImageList.h"

#include <cstring>

namespace platform {

namespace {

// The most characters of a label the control keeps, terminator included.
const std::size_t MAX_LABEL = 1024;

} // namespace

void TreeView::SetImageList(ImageList& list, int which)
{
    send(TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list.handle()));
}

HTREEITEM TreeView::InsertItem(const std::string& text, HTREEITEM parent, int image, UINT state, UINT stateMask)
{
    std::wstring label;
    if (!Text::toWide(text, label)) {
        ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return nullptr;
    }
    if (label.size() >= MAX_LABEL) {
        label.resize(MAX_LABEL - 4);
        label += L"...";
    }
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = &label[0];
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    return reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM TreeView::GetSelectedItem() const
{
    return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CARET, 0));
}

BOOL TreeView::SelectItem(HTREEITEM item)
{
    return static_cast<BOOL>(send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeView::HitTest(POINT point, UINT* flags) const
{
    TVHITTESTINFO info = {};
    info.pt = point;
    const auto item = reinterpret_cast<HTREEITEM>(send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags)
        *flags = info.flags;
    return item;
}

BOOL TreeView::GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const
{
    // The control takes the item from the rectangle it is to fill.
    std::memcpy(rect, &item, sizeof item);
    return static_cast<BOOL>(send(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(rect)));
}

BOOL TreeView::Expand(HTREEITEM item, UINT action)
{
    return static_cast<BOOL>(send(TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeView::GetChildItem(HTREEITEM item) const
{
    return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

void TreeView::SetRedraw(bool redraw)
{
    send(WM_SETREDRAW, redraw, 0);
    if (redraw)
        win32().InvalidateRect(_window, nullptr, TRUE);
}

LRESULT TreeView::send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return win32().SendMessageW(_window, message, wParam, lParam);
}

} // namespace platform
