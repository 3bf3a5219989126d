#include "windows/info/WindowsVersion.h"

#include "platform/Win32Api.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

namespace {

auto platformId(DWORD id)
{
    return platform::ScopedOverride(&platform::Win32Api::GetVersionExA,
                                    [id](LPOSVERSIONINFOA info) {
                                        info->dwPlatformId = id;
                                        info->dwMajorVersion = 4;
                                        return TRUE;
                                    });
}

TEST(WindowsVersionTest, WineIsOfTheNtFamily)
{
    EXPECT_TRUE(windows::info::isWindowsNT());
    EXPECT_EQ(DWORD(VER_PLATFORM_WIN32_NT), windows::info::getWindowsVersion().dwPlatformId);
}

TEST(WindowsVersionTest, OnlyPlatformIdTwoIsNt)
{
    {
        const auto windows9x = platformId(VER_PLATFORM_WIN32_WINDOWS);
        EXPECT_FALSE(windows::info::isWindowsNT());
    }
    const auto win32s = platformId(VER_PLATFORM_WIN32s);
    EXPECT_FALSE(windows::info::isWindowsNT());
}

TEST(WindowsVersionTest, FailureCarriesTheSystemText)
{
    platform::ScopedOverride fails(&platform::Win32Api::GetVersionExA,
                                   failing(FALSE, ERROR_INVALID_PARAMETER));
    try {
        windows::info::isWindowsNT();
        FAIL() << "no exception";
    } catch (const windows::info::CouldNotGetWindowsVersion& e) {
        EXPECT_EQ("Couldn't get the windows version.\nSystem error message: ",
                  e.getMessage().substr(0, 56));
    }
}

} // namespace
