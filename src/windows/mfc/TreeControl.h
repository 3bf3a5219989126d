#pragma once

#include "exceptions/Exception.h"
#include "platform/framework/TreeView.h"

#include <string>

namespace windows::mfc {

class TreeControlException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// The dialog's tree view, with the operations that must not fail silently: each checks the
// control's answer and throws with the system's text.
class TreeControl : public platform::TreeView {
public:
    // Appended under parent (null: at the top); the state image is set only when
    // setStateImage is true. A text too long for the control is shortened with "...".
    HTREEITEM insertItem(const std::string& text, HTREEITEM parent, int image, bool setStateImage, int stateImage);
    // Sorts the children of parent (null: the top level) by their texts; last, when given, goes
    // after them all.
    void sortChildren(HTREEITEM parent, HTREEITEM last);
    void deleteItem(HTREEITEM item);
    void deleteAllItems();
    // 0 shows no state image; the dialog uses 1 for enabled and 2 for disabled.
    void setImageState(HTREEITEM item, int stateImage);
    void setItemImage(HTREEITEM item, int image, int selectedImage);
    void setBold(HTREEITEM item, bool bold);

private:
    void setItem(TVITEMW& fields, const char* failure);
};

} // namespace windows::mfc
