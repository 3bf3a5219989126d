#include "util/Helpers.h"
#include "util/StringHelper.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

using util::Helpers;
using util::StringHelper;

TEST(StringHelperTest, ReplaceCountsAndNeverSearchesInsertedText)
{
    std::string quoted = "\"C:\\a b\\c.exe\" \"x\"";
    EXPECT_EQ(4, StringHelper::replace(quoted, "\"", ""));
    EXPECT_EQ("C:\\a b\\c.exe x", quoted);
    std::string doubled = "aa";
    EXPECT_EQ(2, StringHelper::replace(doubled, "a", "aa"));
    EXPECT_EQ("aaaa", doubled);
    EXPECT_EQ(0, StringHelper::replace(doubled, "", "x")) << "an empty search text ends at once";
}

TEST(StringHelperTest, ChangeCaseMapsLettersOnlyAndReportsUnknownModes)
{
    EXPECT_EQ("c:\\program files\\app-2.exe /x", StringHelper::toLower("C:\\Program Files\\App-2.EXE /X"));
    EXPECT_EQ("ABC-1", StringHelper::changeCase("aBc-1", StringHelper::UPPER));
    AssertionRecorder assertions;
    EXPECT_EQ("MiXed", StringHelper::changeCase("MiXed", 7));
    EXPECT_EQ(std::vector<std::string>{"false"}, assertions.expressions());
}

TEST(HelpersTest, FormatsNumbersWithinTheBuffer)
{
    EXPECT_EQ("0", Helpers::toString(0));
    EXPECT_EQ("-5", Helpers::toString(-5));
    EXPECT_EQ(std::string(99, ' '), Helpers::formatNumber(7, "%150d")) << "cut, not overrun";
}
