#include "platform/Win32Api.h"
#include "windows/file/WindowsFileHelper.h"

#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

TEST(Win32ApiTest, OverrideLastsForItsScopeOnly)
{
    const std::string real = WindowsFileHelper::getCurrentDirectory();
    {
        platform::ScopedOverride fake(&platform::Win32Api::GetCurrentDirectoryA,
                                      [](DWORD size, LPSTR buffer) {
                                          lstrcpynA(buffer, "Q:\\fake", static_cast<int>(size));
                                          return DWORD(7);
                                      });
        EXPECT_EQ("Q:\\fake\\", WindowsFileHelper::getCurrentDirectory());
    }
    EXPECT_EQ(real, WindowsFileHelper::getCurrentDirectory());
}

TEST(Win32ApiTest, FailingSetsTheLastErrorForTheCaller)
{
    platform::ScopedOverride fake(&platform::Win32Api::DeleteFileA,
                                  failing(FALSE, ERROR_ACCESS_DENIED));
    EXPECT_FALSE(platform::win32().DeleteFileA("anything"));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), platform::win32().GetLastError());
}
