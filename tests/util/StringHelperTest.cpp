#include "util/Helpers.h"
#include "util/StringHelper.h"
#include "util/memory/Memory.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(StringHelperTest, ReplaceCountsAndNeverSearchesInsertedText)
{
    std::string quoted = "\"C:\\a b\\c.exe\" \"x\"";
    EXPECT_EQ(4, StringHelper::replace(quoted, "\"", ""));
    EXPECT_EQ("C:\\a b\\c.exe x", quoted);

    std::string doubled = "aa";
    EXPECT_EQ(2, StringHelper::replace(doubled, "a", "aa"));
    EXPECT_EQ("aaaa", doubled);

    std::string untouched = "abc";
    EXPECT_EQ(0, StringHelper::replace(untouched, "x", "y"));
    EXPECT_EQ("abc", untouched);
}

TEST(StringHelperTest, ReplaceWithEmptySearchTextEndsAndReplacesNothing)
{
    std::string text = "abc";
    EXPECT_EQ(0, StringHelper::replace(text, "", "x"));
    EXPECT_EQ("abc", text);
}

TEST(StringHelperTest, ReplaceReportsTextWithZeroByteAndStillWorks)
{
    AssertionRecorder assertions;
    std::string text("a\0a", 3);
    EXPECT_EQ(2, StringHelper::replace(text, "a", "b"));
    EXPECT_EQ(std::string("b\0b", 3), text);
    ASSERT_EQ(1u, assertions.expressions().size());
    EXPECT_EQ("find(replaceIn.begin(), replaceIn.end(), '\\0') == replaceIn.end()",
              assertions.expressions()[0]);
}

TEST(StringHelperTest, ChangeCaseMapsLettersOnly)
{
    EXPECT_EQ("c:\\program files\\app-2.exe /x",
              StringHelper::toLower("C:\\Program Files\\App-2.EXE /X"));
    EXPECT_EQ("ABC-1", StringHelper::changeCase("aBc-1", StringHelper::UPPER));
    EXPECT_EQ("", StringHelper::toLower(""));
}

TEST(StringHelperTest, ChangeCaseWithUnknownModeReportsAndKeepsText)
{
    AssertionRecorder assertions;
    EXPECT_EQ("MiXed", StringHelper::changeCase("MiXed", 7));
    ASSERT_EQ(1u, assertions.reports().size());
    EXPECT_NE(std::string::npos, assertions.reports()[0].find("Line: 221\n"));
}

TEST(MemoryTest, DupCopiesEveryByteAndRejectsNothingToCopy)
{
    const char source[] = {'a', '\0', 'b'};
    char* copy = Memory::dup(source, 3);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(std::string(source, 3), std::string(copy, 3));
    std::free(copy);

    AssertionRecorder assertions;
    EXPECT_EQ(nullptr, Memory::dup(nullptr, 0));
    EXPECT_EQ((std::vector<std::string>{"src", "size > 0"}), assertions.expressions());
}

TEST(HelpersTest, FormatsNumbersWithinTheBuffer)
{
    EXPECT_EQ("0", Helpers::toString(0));
    EXPECT_EQ("-5", Helpers::toString(-5));
    EXPECT_EQ("2147483647", Helpers::toString(2147483647));
    EXPECT_EQ("00042", Helpers::formatNumber(42, "%05d"));
    // A format wider than the buffer is cut, not written past it.
    EXPECT_EQ(std::string(99, ' '), Helpers::formatNumber(7, "%150d"));
}

TEST(HelpersTest, NullFormatIsReported)
{
    AssertionRecorder assertions;
    EXPECT_EQ("", Helpers::formatNumber(1, nullptr));
    EXPECT_EQ(std::vector<std::string>{"format"}, assertions.expressions());
}
