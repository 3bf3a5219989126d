#include "platform/framework/ImageList.h"

#include "platform/Win32Api.h"

namespace platform {

ImageList::~ImageList()
{
    if (_list)
        win32().ImageList_Destroy(_list);
}

bool ImageList::Create(int width, int height, UINT flags, int initial, int grow)
{
    _list = win32().ImageList_Create(width, height, flags, initial, grow);
    return _list != nullptr;
}

int ImageList::Add(HBITMAP bitmap, COLORREF mask)
{
    return win32().ImageList_AddMasked(_list, bitmap, mask);
}

int ImageList::ReplaceIcon(int index, HICON icon)
{
    return win32().ImageList_ReplaceIcon(_list, index, icon);
}

} // namespace platform
