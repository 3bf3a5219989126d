#pragma once

#include <windows.h>
#include <commctrl.h>

namespace platform {

// Owns one image list; destroyed with the object.
class ImageList {
public:
    ImageList() = default;
    ~ImageList();

    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    bool Create(int width, int height, UINT flags, int initial, int grow);
    // Adds a bitmap with the given colour as transparent; the index, or -1.
    int Add(HBITMAP bitmap, COLORREF mask);
    // Replaces image index, or appends with -1; the index, or -1.
    int ReplaceIcon(int index, HICON icon);
    HIMAGELIST handle() const { return _list; }

private:
    HIMAGELIST _list = nullptr;
};

} // namespace platform
