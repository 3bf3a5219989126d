#include "windows/com/ComApartment.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"

using platform::errorresources::SystemErrors;

namespace windows::com {

ComApartment::ComApartment()
{
    // S_FALSE says the thread was already in the apartment; it still has to be left once.
    const HRESULT result = platform::win32().CoInitialize(nullptr);
    if (FAILED(result))
        throw CouldNotInitializeComException("Could not initialize COM, which reading shortcuts needs.\n\n" +
                                             SystemErrors::map(static_cast<int>(result)));
}

ComApartment::~ComApartment()
{
    platform::win32().CoUninitialize();
}

} // namespace windows::com
