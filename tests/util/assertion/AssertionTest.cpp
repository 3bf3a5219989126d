#include "util/assertion/Assertion.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using util::assertion::ASSERTION_FILE_NAME;
using util::assertion::check;
using util::assertion::composeAssertionReport;
using util::assertion::reportAssertion;

namespace {

const std::string RULE = "----------------------------------------";

std::string reportFile()
{
    std::ifstream stream(ASSERTION_FILE_NAME, std::ios::binary);
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

TEST(AssertionTest, ReportHasEveryLineInOrder)
{
    EXPECT_EQ(RULE +
                  "\nAssertion failed. Message: exists(first)\nFile: products/bootwarden/Mapper\n"
                  "Line: 40\nOccurred: Sun Dec  6 09:27:02 2026\n\nPlease contact "
                  "support@quillmere.com and include this message.\nThank you for helping us "
                  "improve the software.\n" +
                  RULE + "\n",
              composeAssertionReport("exists(first)", "products/bootwarden/Mapper", 40, "Sun Dec  6 09:27:02 2026"));
}

TEST(AssertionTest, ListenerTakesReportsAndTheFileGetsThemOtherwise)
{
    std::remove(ASSERTION_FILE_NAME);
    {
        AssertionRecorder recorder;
        EXPECT_TRUE(check(true, "holds", "f", 1));
        EXPECT_FALSE(check(false, "x > 0", "util/Thing", 7));
        EXPECT_EQ(std::vector<std::string>{"x > 0"}, recorder.expressions());
        EXPECT_FALSE(std::ifstream(ASSERTION_FILE_NAME).good());
    }
    reportAssertion("first", "a/b", 1);
    reportAssertion("second", "a/b", 2);
    const std::string contents = reportFile();
    std::remove(ASSERTION_FILE_NAME);
    EXPECT_EQ(0u, contents.find(RULE + "\r\nAssertion failed. Message: first\r\nFile: a/b\r\nLine: 1\r\n"));
    EXPECT_LT(contents.find("Message: first\r\n"), contents.find("Message: second\r\n"));
    EXPECT_EQ(contents.size() - 2, contents.rfind(RULE) + RULE.size()) << "CR LF line ends";
}

} // namespace
