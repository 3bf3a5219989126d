#include "windows/info/WindowsVersion.h"

#include "support/MessageOf.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

TEST(WindowsVersionTest, OnlyPlatformIdTwoIsTheNtFamily)
{
    EXPECT_TRUE(windows::info::isWindowsNT()) << "Wine answers as NT";
    for (DWORD other : {DWORD(VER_PLATFORM_WIN32_WINDOWS), DWORD(VER_PLATFORM_WIN32s)}) {
        platform::ScopedOverride version(&platform::Win32Api::GetVersionExA, [other](LPOSVERSIONINFOA info) {
            info->dwPlatformId = other;
            return TRUE;
        });
        EXPECT_FALSE(windows::info::isWindowsNT());
    }
    platform::ScopedOverride fails(&platform::Win32Api::GetVersionExA, failing(FALSE, ERROR_INVALID_PARAMETER));
    EXPECT_EQ(0u, messageOf<windows::info::CouldNotGetWindowsVersion>([] {
                      windows::info::isWindowsNT();
                  }).find("Couldn't get the windows version.\nSystem error message: "));
}
