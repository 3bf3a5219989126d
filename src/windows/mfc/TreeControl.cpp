#include "windows/mfc/TreeControl.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"

#include <vector>

namespace {

// The control keeps at most this many characters of a label, terminator included.
const std::size_t TEXT_BUFFER_SIZE = 1024;
const char* const ELLIPSIS = "...";

std::string lastErrorText()
{
    return SystemErrors::map(static_cast<int>(platform::win32().GetLastError()));
}

std::vector<char> labelOf(const std::string& text)
{
    std::vector<char> label(text.begin(), text.end());
    if (label.size() >= TEXT_BUFFER_SIZE) {
        label.resize(TEXT_BUFFER_SIZE - 1 - std::char_traits<char>::length(ELLIPSIS));
        label.insert(label.end(), ELLIPSIS, ELLIPSIS + std::char_traits<char>::length(ELLIPSIS));
    }
    label.push_back('\0');
    return label;
}

} // namespace

HTREEITEM TreeControl::insertItem(const std::string& text, HTREEITEM parent, int image,
                                  bool setStateImage, int stateImage)
{
    std::vector<char> label = labelOf(text);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = label.data();
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

void TreeControl::sortChildren(HTREEITEM parent)
{
    send(TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(parent ? parent : TVI_ROOT));
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
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_STATE;
    fields.state = INDEXTOSTATEIMAGEMASK(stateImage);
    fields.stateMask = TVIS_STATEIMAGEMASK;
    setItem(fields, "Could not set the image state of a tree item.\n");
}

void TreeControl::setItemImage(HTREEITEM item, int image, int selectedImage)
{
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    fields.iImage = image;
    fields.iSelectedImage = selectedImage;
    setItem(fields, "Could not set the item image in a tree.\n");
}

void TreeControl::setBold(HTREEITEM item, bool bold)
{
    TVITEMA fields = {};
    fields.hItem = item;
    fields.mask = TVIF_STATE;
    fields.state = bold ? TVIS_BOLD : 0;
    fields.stateMask = TVIS_BOLD;
    setItem(fields, "Could not mark a tree item.\n");
}

void TreeControl::setItem(TVITEMA& fields, const char* failure)
{
    if (!send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&fields)))
        throw TreeControlException(failure + lastErrorText());
}
