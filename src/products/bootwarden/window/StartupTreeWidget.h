#pragma once

#include <string>

namespace products::bootwarden::window {

// The tree control as the startup tree drives it. A node is the control's own handle, opaque
// here; null stands for the top of the tree.
class StartupTreeWidget {
public:
    using Node = void*;

    // The images of the normal image list; the entries' own icons follow them.
    static constexpr int IMAGE_FOLDER = 0;
    // The red cross: the entry starts no program, or its program is not there.
    static constexpr int IMAGE_NO_PROGRAM = 1;
    static constexpr int IMAGE_FOLDER_WARNING = 2;
    // A program that is there but has no icon of its own.
    static constexpr int IMAGE_PROGRAM_WITHOUT_ICON = 3;
    // The icon of the program an entry starts, taken only when the entry is first shown.
    static constexpr int IMAGE_PROGRAM = -1;
    // The state images: none, or the entry's check box.
    static constexpr int STATE_NONE = 0;
    static constexpr int STATE_ENABLED = 1;
    static constexpr int STATE_DISABLED = 2;
    static constexpr int STATE_DISABLED_BY_SYSTEM = 3;

    virtual ~StartupTreeWidget() = default;

    // Appends a node under parent; the order is settled by sortChildren.
    virtual Node insert(const std::string& text, Node parent, int image, int stateImage) = 0;
    // Sorts the children of parent by their texts, as the control's own sorted insertion would;
    // last, when given, goes after them all.
    virtual void sortChildren(Node parent, Node last = nullptr) = 0;
    virtual void remove(Node node) = 0;
    virtual void removeAll() = 0;
    // Shows the node's children.
    virtual void expand(Node node) = 0;
    virtual void setImage(Node node, int image) = 0;
    virtual void setStateImage(Node node, int stateImage) = 0;
    // A bold label marks an entry whose change waits for OK.
    virtual void setBold(Node node, bool bold) = 0;
};

} // namespace products::bootwarden::window
