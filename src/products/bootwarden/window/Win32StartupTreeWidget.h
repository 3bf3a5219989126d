#pragma once

#include "platform/framework/ImageList.h"
#include "products/bootwarden/window/StartupTreeWidget.h"
#include "windows/mfc/TreeControl.h"

#include <string>
#include <unordered_map>

namespace products::bootwarden::window {

// The dialog's tree control and its two image lists, as the startup tree drives them. Each
// program's icon is taken from its file once, when the first entry that starts it is shown,
// and shared by every entry that starts it: a tree of thousands opens at the cost of its
// listing, not of reading thousands of program files.
class Win32StartupTreeWidget : public StartupTreeWidget {
public:
    explicit Win32StartupTreeWidget(windows::mfc::TreeControl& tree) : _tree(tree) {}

    // Gives the control its images; the control must exist.
    void createImageLists();

    Node insert(const std::string& text, Node parent, int image, int stateImage) override;
    void sortChildren(Node parent, Node last) override;
    void remove(Node node) override;
    void removeAll() override;
    void expand(Node node) override;
    void setImage(Node node, int image) override;
    void setStateImage(Node node, int stateImage) override;
    void setBold(Node node, bool bold) override;

    // Answers the control's question for the image of an entry it is about to show, one whose
    // program the command line starts. The program is found as everything else finds it
    // (inspection::ProgramInspector): only one that is not there is crossed out.
    void supplyImage(TVITEMW& item, const std::string& commandLine);
    // Finds the program of an entry's command line and takes its icon now, so that showing the
    // entry later (a location the filter opens) finds and takes nothing.
    int prepareImage(const std::string& commandLine);

private:
    int imageOf(const std::string& path);

    windows::mfc::TreeControl& _tree;
    platform::ImageList _images;
    platform::ImageList _stateImages;
    std::unordered_map<std::string, int> _programImages; // by the program's path
    std::unordered_map<std::string, int> _commandImages; // by the command line that starts it
};

} // namespace products::bootwarden::window
