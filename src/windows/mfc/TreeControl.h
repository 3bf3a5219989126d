#pragma once

#include "exceptions/Exception.h"
#include "platform/framework/TreeCtrl.h"

#include <string>

class TreeControlException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// The dialog's tree view, with the operations that must not fail silently: each checks the
// control's answer and throws with the system's text.
class TreeControl : public platform::TreeCtrl {
public:
    // Inserted in the control's sorted order under parent (null: at the top); the state image
    // is set only when setStateImage is true.
    HTREEITEM insertItem(const std::string& text, HTREEITEM parent, int image, bool setStateImage,
                         int stateImage);
    void deleteItem(HTREEITEM item);
    // 0 shows no state image; the dialog uses 1 for enabled and 2 for disabled.
    void setImageState(HTREEITEM item, int stateImage);
    void setItemImage(HTREEITEM item, int image, int selectedImage);
};
