#include "support/DialogDriver.h"

#include <cstring>
#include <sstream>

DialogDriver::DialogDriver(Script script)
    : _script(std::move(script)),
      _modal(&platform::Win32Api::DialogBoxParamA,
             [this](HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC procedure, LPARAM param) {
                 const HWND dialog = ::CreateDialogParamA(instance, name, parent, procedure, param);
                 if (!dialog)
                     return INT_PTR(-1);
                 _script(dialog);
                 ::DestroyWindow(dialog);
                 return _ended ? _result : INT_PTR(0);
             }),
      _end(&platform::Win32Api::EndDialog, [this](HWND, INT_PTR result) {
          _ended = true;
          _result = result;
          return TRUE;
      })
{
}

HTREEITEM TreeView::next(HTREEITEM item, UINT relation) const
{
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(_tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM TreeView::find(const std::string& path) const
{
    std::istringstream parts(path);
    std::string part;
    HTREEITEM item = nullptr;
    HTREEITEM candidate = next(nullptr, TVGN_ROOT);
    while (std::getline(parts, part, '/')) {
        while (candidate && text(candidate) != part)
            candidate = next(candidate, TVGN_NEXT);
        if (!candidate)
            return nullptr;
        item = candidate;
        candidate = next(item, TVGN_CHILD);
    }
    return item;
}

std::vector<std::string> TreeView::children(HTREEITEM parent) const
{
    std::vector<std::string> texts;
    for (HTREEITEM item = next(parent, parent ? TVGN_CHILD : TVGN_ROOT); item;
         item = next(item, TVGN_NEXT))
        texts.push_back(text(item));
    return texts;
}

std::string TreeView::text(HTREEITEM item) const
{
    char buffer[1024] = {};
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_TEXT;
    fields.pszText = buffer;
    fields.cchTextMax = sizeof buffer;
    ::SendMessageA(_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
    return buffer;
}

int TreeView::image(HTREEITEM item) const
{
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_IMAGE;
    ::SendMessageA(_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&fields));
    return fields.iImage;
}

int TreeView::stateImage(HTREEITEM item) const
{
    const auto state = ::SendMessageA(_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                      TVIS_STATEIMAGEMASK);
    return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

void TreeView::expandAll() const
{
    std::vector<HTREEITEM> pending{next(nullptr, TVGN_ROOT)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item; item = next(item, TVGN_NEXT)) {
            ::SendMessageA(_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            pending.push_back(next(item, TVGN_CHILD));
        }
    }
}

POINT TreeView::pointOn(HTREEITEM item, UINT part) const
{
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof item); // the control reads the item from the rectangle
    ::SendMessageA(_tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    POINT point = {0, (rect.top + rect.bottom) / 2};
    for (point.x = rect.left; point.x < rect.right; ++point.x) {
        TVHITTESTINFO hit = {};
        hit.pt = point;
        if (reinterpret_cast<HTREEITEM>(
                ::SendMessageA(_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) == item &&
            (hit.flags & part))
            break;
    }
    ::ClientToScreen(_tree, &point);
    return point;
}

CursorAt::CursorAt(POINT screen)
    : _override(&platform::Win32Api::GetCursorPos, [screen](LPPOINT point) {
          *point = screen;
          return TRUE;
      })
{
}

MenuRecorder::MenuRecorder(UINT answer)
    : _override(&platform::Win32Api::TrackPopupMenu,
                [this, answer](HMENU menu, UINT, int, int, int, HWND, const RECT*) {
                    std::vector<std::string> entries;
                    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                        char text[64] = {};
                        ::GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
                        entries.push_back(std::to_string(::GetMenuItemID(menu, i)) + " " + text);
                    }
                    _menus.push_back(entries);
                    return static_cast<BOOL>(answer);
                })
{
}

void notifyFromTree(HWND dialog, UINT code)
{
    NMHDR header = {};
    header.hwndFrom = ::GetDlgItem(dialog, 1000);
    header.idFrom = 1000;
    header.code = code;
    ::SendMessageA(dialog, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&header));
}
