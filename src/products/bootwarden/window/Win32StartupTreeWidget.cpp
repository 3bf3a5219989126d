#include "products/bootwarden/window/Win32StartupTreeWidget.h"

#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"
#include "products/bootwarden/inspection/ProgramInspector.h"
#include "resources/resource.h"

#include <utility>
#include <vector>

namespace products::bootwarden::window {

using inspection::ProgramInspector;

namespace {

HTREEITEM item(StartupTreeWidget::Node node)
{
    return static_cast<HTREEITEM>(node);
}

// The side of an image in the tree: 16 pixels at 96 DPI, as many more as the screen has.
int imageSide(HWND window)
{
    const HDC screen = platform::win32().GetDC(window);
    const int dpi = screen ? platform::win32().GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        platform::win32().ReleaseDC(window, screen);
    return dpi > 96 ? ::MulDiv(16, dpi, 96) : 16;
}

} // namespace

void Win32StartupTreeWidget::createImageLists()
{
    const HINSTANCE resources = platform::win32().GetModuleHandleA(nullptr);
    const int side = imageSide(_tree.GetSafeHwnd());
    const std::pair<platform::ImageList*, std::vector<int>> lists[] = {
        {&_images, {IDB_FOLDER, IDB_CROSS, IDB_FOLDER_WARNING}},
        {&_stateImages, {IDB_CROSS, IDB_CHECKED, IDB_UNCHECKED, IDB_UNCHECKED_SYSTEM}},
    };
    for (const auto& list : lists) {
        // Program icons arrive one at a time; growing by one would copy the list each time.
        list.first->Create(side, side, ILC_COLOR32 | ILC_MASK, 0, 64);
        for (int bitmapId : list.second) {
            const platform::UniqueBitmap bitmap(static_cast<HBITMAP>(
                platform::win32().LoadImageA(resources, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, side, side, 0)));
            list.first->Add(bitmap.get(), RGB(255, 255, 255));
        }
    }
    // The system's own picture of a program, for one without an icon (as Wine's own programs are).
    _images.ReplaceIcon(-1, platform::win32().LoadIconA(nullptr, IDI_APPLICATION));
    _tree.SetImageList(_images, TVSIL_NORMAL);
    _tree.SetImageList(_stateImages, TVSIL_STATE);
    _programImages.clear();
    _commandImages.clear();
}

StartupTreeWidget::Node Win32StartupTreeWidget::insert(const std::string& text, Node parent, int image, int stateImage)
{
    return _tree.insertItem(text, item(parent), image == IMAGE_PROGRAM ? I_IMAGECALLBACK : image,
                            stateImage != STATE_NONE, stateImage);
}

void Win32StartupTreeWidget::sortChildren(Node parent, Node last)
{
    _tree.sortChildren(item(parent), item(last));
}

void Win32StartupTreeWidget::remove(Node node)
{
    _tree.deleteItem(item(node));
}

void Win32StartupTreeWidget::expand(Node node)
{
    _tree.Expand(item(node), TVE_EXPAND);
}

void Win32StartupTreeWidget::removeAll()
{
    _tree.deleteAllItems();
}

void Win32StartupTreeWidget::setImage(Node node, int image)
{
    _tree.setItemImage(item(node), image, image);
}

void Win32StartupTreeWidget::setStateImage(Node node, int stateImage)
{
    _tree.setImageState(item(node), stateImage);
}

void Win32StartupTreeWidget::setBold(Node node, bool bold)
{
    _tree.setBold(item(node), bold);
}

void Win32StartupTreeWidget::supplyImage(TVITEMW& item, const std::string& commandLine)
{
    if (!(item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)))
        return;
    item.iImage = item.iSelectedImage = prepareImage(commandLine);
    // The control keeps the answer and does not ask again for this entry.
    item.mask |= TVIF_DI_SETITEM;
}

int Win32StartupTreeWidget::prepareImage(const std::string& commandLine)
{
    // Locating a program searches folders: an entry the filter shows again is not located again.
    auto image = _commandImages.find(commandLine);
    if (image == _commandImages.end()) {
        const std::string path = ProgramInspector::locate(commandLine);
        auto known = _programImages.find(path);
        if (known == _programImages.end())
            known = _programImages.emplace(path, imageOf(path)).first;
        image = _commandImages.emplace(commandLine, known->second).first;
    }
    return image->second;
}

int Win32StartupTreeWidget::imageOf(const std::string& path)
{
    if (path.empty() || !ProgramInspector::exists(path))
        return IMAGE_NO_PROGRAM;
    WORD index = 0;
    const platform::UniqueIcon icon(platform::win32().ExtractAssociatedIconU(nullptr, path, &index));
    const int image = icon.valid() ? _images.ReplaceIcon(-1, icon.get()) : -1;
    return image == -1 ? IMAGE_PROGRAM_WITHOUT_ICON : image;
}

} // namespace products::bootwarden::window
