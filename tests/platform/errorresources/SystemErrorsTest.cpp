#include "platform/errorresources/SystemErrors.h"

#include "platform/errorresources/ErrorMapper.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

using platform::errorresources::ErrorMapper;
using platform::errorresources::SystemErrors;

TEST(SystemErrorsTest, KnownCodeGivesTheSystemTextWithItsLineEnd)
{
    const std::string text = SystemErrors::map(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(0u, text.find("System error message: "));
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
    EXPECT_GT(text.size(), 30u);
}

TEST(SystemErrorsTest, UnknownCodeGivesTheFallbackOrTheNotFoundText)
{
    struct : ErrorMapper {
        std::pair<bool, std::string> lookup(int code) const override { return {code == 77, "seventy-seven"}; }
    } mapper;
    platform::ScopedOverride none(&platform::Win32Api::FormatMessageU, failing(DWORD(0), ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ("System error message: The string representation of the error code [-5] was not found.\r\n",
              SystemErrors::map(-5, &mapper));
    EXPECT_EQ("System error message: seventy-seven\r\n", SystemErrors::map(77, &mapper));
}

TEST(SystemErrorsTest, UnexpectedExceptionGivesTheFixedText)
{
    AssertionRecorder assertions;
    platform::ScopedOverride throwing(&platform::Win32Api::FormatMessageU,
                                      [](auto&&...) -> DWORD { throw std::runtime_error("boom"); });
    EXPECT_EQ("An unexpected exception was caught in static std::string SystemErrors::map(int errorCode, "
              "const ErrorMapper* fallbackErrors = 0) throw()\n",
              SystemErrors::map(2));
    EXPECT_NE(std::string::npos, assertions.reports()[0].find("File: platform/errorresources/SystemErrors\nLine: 53"));
}
