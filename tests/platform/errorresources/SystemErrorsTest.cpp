#include "platform/errorresources/SystemErrors.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/ErrorMapper.h"
#include "support/AssertionRecorder.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class TableMapper : public ErrorMapper {
public:
    std::pair<bool, std::string> lookup(int errorCode) const override
    {
        return {errorCode == 77, errorCode == 77 ? "seventy-seven" : ""};
    }
};

// The system knows no code: FormatMessageA finds nothing.
platform::ScopedOverride<DWORD(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, std::nullptr_t)> noSystemTexts()
{
    return {&platform::Win32Api::FormatMessageA, failing(DWORD(0), ERROR_MR_MID_NOT_FOUND)};
}

TEST(SystemErrorsTest, KnownCodeGivesTheSystemTextWithItsLineEnd)
{
    const std::string text = SystemErrors::map(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(0u, text.find("System error message: "));
    EXPECT_GT(text.size(), std::string("System error message: ").size() + 2);
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
}

TEST(SystemErrorsTest, UnknownCodeGivesTheNotFoundText)
{
    const auto none = noSystemTexts();
    EXPECT_EQ("System error message: The string representation of the error code [-5] was not "
              "found.\r\n",
              SystemErrors::map(-5));
    const TableMapper mapper;
    EXPECT_EQ(SystemErrors::map(78), SystemErrors::map(78, &mapper));
    EXPECT_EQ("System error message: seventy-seven\r\n", SystemErrors::map(77, &mapper));
}

TEST(SystemErrorsTest, UnexpectedExceptionGivesTheFixedText)
{
    AssertionRecorder assertions;
    platform::ScopedOverride throwing(
        &platform::Win32Api::FormatMessageA,
        [](DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*) -> DWORD {
            throw std::runtime_error("boom");
        });
    EXPECT_EQ("An unexpected exception was caught in static std::string SystemErrors::map(int "
              "errorCode, const ErrorMapper* fallbackErrors = 0) throw()\n",
              SystemErrors::map(2));
    ASSERT_EQ(1u, assertions.reports().size());
    EXPECT_NE(std::string::npos,
              assertions.reports()[0].find("File: platform/errorresources/SystemErrors\nLine: 53"));
}

} // namespace
