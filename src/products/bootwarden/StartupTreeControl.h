#pragma once

#include "platform/framework/ImageList.h"
#include "products/bootwarden/StartupTreeView.h"
#include "windows/mfc/TreeControl.h"

#include <map>
#include <string>

namespace products::bootwarden {

// The dialog's tree control and its two image lists, as the startup tree drives them. Each
// program's icon is taken from its file once and shared by every entry that starts it.
class StartupTreeControl : public StartupTreeView {
public:
    explicit StartupTreeControl(TreeControl& tree) : _tree(tree) {}

    // Gives the control its images; the control must exist.
    void createImageLists();

    Node insert(const std::string& text, Node parent, int image, int stateImage) override;
    void sortChildren(Node parent) override;
    void remove(Node node) override;
    void removeAll() override;
    void setImage(Node node, int image) override;
    void setStateImage(Node node, int stateImage) override;
    void setBold(Node node, bool bold) override;
    int programImage(const std::string& path) override;

private:
    int extractIcon(const std::string& path);

    TreeControl& _tree;
    platform::ImageList _images;
    platform::ImageList _stateImages;
    std::map<std::string, int> _programImages;
};

} // namespace products::bootwarden
