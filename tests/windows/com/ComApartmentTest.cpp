#include "windows/com/ComApartment.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

using platform::errorresources::SystemErrors;

namespace {

using windows::com::ComApartment;

TEST(ComApartmentTest, LeavesTheApartmentOnlyWhenItEnteredIt)
{
    int left = 0;
    platform::ScopedOverride leave(&platform::Win32Api::CoUninitialize, [&left] { ++left; });
    {
        platform::ScopedOverride already(&platform::Win32Api::CoInitialize, [](LPVOID) { return S_FALSE; });
        const ComApartment com;
    }
    EXPECT_EQ(1, left) << "an apartment entered again is left again";

    platform::ScopedOverride refused(&platform::Win32Api::CoInitialize, [](LPVOID) { return E_OUTOFMEMORY; });
    EXPECT_EQ("Could not initialize COM, which reading shortcuts needs.\n\n" + SystemErrors::map(E_OUTOFMEMORY),
              messageOf<windows::com::CouldNotInitializeComException>([] { const ComApartment com; }));
    EXPECT_EQ(1, left);
}

} // namespace
