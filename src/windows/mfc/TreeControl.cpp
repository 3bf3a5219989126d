#include "windows/mfc/TreeControl.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "util/assertion/Assertion.h"

#include <algorithm>
#include <cstring>

namespace {

const std::size_t TEXT_BUFFER_SIZE = 1024;

std::string lastErrorText()
{
    return SystemErrors::map(static_cast<int>(platform::win32().GetLastError()));
}

} // namespace

HTREEITEM TreeControl::insertItem(const std::string& text, HTREEITEM parent, int image,
                                  bool setStateImage, int stateImage)
{
    check(text.size() < TEXT_BUFFER_SIZE, "text.size() < 1024", "windows/mfc/TreeControl", 59);
    // The control gets its own terminated copy, cut to what the buffer holds.
    char buffer[TEXT_BUFFER_SIZE] = {};
    std::memcpy(buffer, text.data(), std::min(text.size(), TEXT_BUFFER_SIZE - 1));

    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_SORT;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = buffer;
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    if (setStateImage) {
        insert.item.mask |= TVIF_STATE;
        insert.item.state = INDEXTOSTATEIMAGEMASK(stateImage);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
    }
    const auto item =
        reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item)
        throw TreeControlException("Could not insert item " + text + " into the tree.\n" +
                                   lastErrorText());
    return item;
}

void TreeControl::deleteItem(HTREEITEM item)
{
    if (!send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)))
        throw TreeControlException("Could not delete an item from the tree.\n" + lastErrorText());
}

void TreeControl::setImageState(HTREEITEM item, int stateImage)
{
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_STATE;
    fields.state = INDEXTOSTATEIMAGEMASK(stateImage);
    fields.stateMask = TVIS_STATEIMAGEMASK;
    if (!send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&fields)))
        throw TreeControlException("Could not set the image state of a tree item.\n" +
                                   lastErrorText());
}

void TreeControl::setItemImage(HTREEITEM item, int image, int selectedImage)
{
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    fields.iImage = image;
    fields.iSelectedImage = selectedImage;
    if (!send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&fields)))
        throw TreeControlException("Could not set the item image in a tree.\n" + lastErrorText());
}
