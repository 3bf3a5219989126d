#include "windows/mfc/TreeControl.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"

#include <climits>

using platform::errorresources::SystemErrors;

namespace windows::mfc {

namespace {

std::string lastErrorText()
{
    return SystemErrors::map(static_cast<int>(platform::win32().GetLastError()));
}

// Orders two items by the places they were numbered with.
int CALLBACK byPlace(LPARAM a, LPARAM b, LPARAM)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

} // namespace

HTREEITEM TreeControl::insertItem(const std::string& text, HTREEITEM parent, int image, bool setStateImage,
                                  int stateImage)
{
    const HTREEITEM item =
        InsertItem(text, parent, image, INDEXTOSTATEIMAGEMASK(stateImage), setStateImage ? TVIS_STATEIMAGEMASK : 0);
    if (!item)
        throw TreeControlException("Could not insert item " + text + " into the tree.\n" + lastErrorText());
    return item;
}

void TreeControl::sortChildren(HTREEITEM parent, HTREEITEM last)
{
    send(TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(parent ? parent : TVI_ROOT));
    if (!last)
        return;
    // A callback sees only the items' own numbers: each is numbered by its place, the last after all.
    LPARAM place = 0;
    const HTREEITEM first =
        parent ? GetChildItem(parent) : reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (HTREEITEM child = first; child;
         child = reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
        TVITEMW fields = {};
        fields.hItem = child;
        fields.mask = TVIF_PARAM;
        fields.lParam = child == last ? INT_MAX : place++;
        setItem(fields, "Could not order the items of a tree.\n");
    }
    TVSORTCB order = {parent ? parent : TVI_ROOT, byPlace, 0};
    send(TVM_SORTCHILDRENCB, FALSE, reinterpret_cast<LPARAM>(&order));
}

void TreeControl::deleteItem(HTREEITEM item)
{
    if (!send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)))
        throw TreeControlException("Could not delete an item from the tree.\n" + lastErrorText());
}

void TreeControl::deleteAllItems()
{
    deleteItem(TVI_ROOT);
}

void TreeControl::setImageState(HTREEITEM item, int stateImage)
{
    TVITEMW fields = {};
    fields.hItem = item;
    fields.mask = TVIF_STATE;
    fields.state = INDEXTOSTATEIMAGEMASK(stateImage);
    fields.stateMask = TVIS_STATEIMAGEMASK;
    setItem(fields, "Could not set the image state of a tree item.\n");
}

void TreeControl::setItemImage(HTREEITEM item, int image, int selectedImage)
{
    TVITEMW fields = {};
    fields.hItem = item;
    fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    fields.iImage = image;
    fields.iSelectedImage = selectedImage;
    setItem(fields, "Could not set the item image in a tree.\n");
}

void TreeControl::setBold(HTREEITEM item, bool bold)
{
    TVITEMW fields = {};
    fields.hItem = item;
    fields.mask = TVIF_STATE;
    fields.state = bold ? TVIS_BOLD : 0;
    fields.stateMask = TVIS_BOLD;
    setItem(fields, "Could not mark a tree item.\n");
}

void TreeControl::setItem(TVITEMW& fields, const char* failure)
{
    if (!send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&fields)))
        throw TreeControlException(failure + lastErrorText());
}

} // namespace windows::mfc
