#include "util/assertion/Assertion.h"
#include "util/assertion/AssertionMessageBox.h"

#include "exceptions/ErrorReporter.h"
#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string reportFile()
{
    std::ifstream stream(ASSERTION_FILE_NAME, std::ios::binary);
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

int count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class AssertionFileTest : public testing::Test {
protected:
    void SetUp() override { std::remove(ASSERTION_FILE_NAME); }
    void TearDown() override { std::remove(ASSERTION_FILE_NAME); }
};

TEST(AssertionReportTest, HasEveryLineInOrder)
{
    const std::string report = composeAssertionReport("exists(first)", "products/bootwarden/Mapper",
                                                      40, "Sun Dec  6 09:27:02 2026");
    const std::string rule = "----------------------------------------\n";
    EXPECT_EQ(rule + "Assertion failed. Message: exists(first)\nFile: products/bootwarden/Mapper\n"
                     "Line: 40\nOccurred: Sun Dec  6 09:27:02 2026\n\nPlease contact "
                     "support@quillmere.com and include this message.\nThank you for helping us "
                     "improve the software.\n" +
                  rule,
              report);
}

TEST_F(AssertionFileTest, WithoutListenerReportsAreAppendedWithCrlf)
{
    reportAssertion("first", "a/b", 1);
    reportAssertion("second", "a/b", 2);
    const std::string contents = reportFile();
    EXPECT_EQ(4, count(contents, "----------------------------------------\r\n"));
    EXPECT_EQ(0, count(contents, "\n") - count(contents, "\r\n"));
    EXPECT_LT(contents.find("Message: first\r\n"), contents.find("Message: second\r\n"));
    EXPECT_EQ(0u, contents.find("----------------------------------------\r\nAssertion failed. "
                                "Message: first\r\nFile: a/b\r\nLine: 1\r\nOccurred: "));
}

TEST_F(AssertionFileTest, ListenerTakesReportsAndFileIsUntouchedUntilRegistrationEnds)
{
    {
        AssertionRecorder recorder;
        reportAssertion("x > 0", "util/Thing", 7);
        ASSERT_EQ(1u, recorder.reports().size());
        EXPECT_NE(std::string::npos, recorder.reports()[0].find("Line: 7\n"));
        EXPECT_FALSE(std::ifstream(ASSERTION_FILE_NAME).good());
    }
    reportAssertion("after", "util/Thing", 8);
    EXPECT_EQ(1, count(reportFile(), "Message: after"));
}

TEST(AssertionTest, CheckReportsOnlyFalseConditions)
{
    AssertionRecorder recorder;
    EXPECT_TRUE(check(true, "holds", "f", 1));
    EXPECT_FALSE(check(false, "fails", "f", 2));
    EXPECT_EQ(std::vector<std::string>{"fails"}, recorder.expressions());
}

class RecordingReporter : public ErrorReporter {
public:
    void showError(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

TEST(AssertionMessageBoxTest, BoxTextFramesTheReport)
{
    RecordingReporter reporter;
    AssertionMessageBox box(&reporter);
    const std::string report = composeAssertionReport("false", "x/y", 3, "now");
    box.assertionFailed(report);
    ASSERT_EQ(1u, reporter.texts.size());
    EXPECT_EQ("An assertion failed. This happens when something goes wrong in the program. Please "
              "help us to improve our program by emailing us this message box.\nPress CTRL+C to "
              "copy this text. Our email: support@quillmere.com, subject: Assertion in Bootwarden "
              "Center\nThank you!\n\n" +
                  report,
              reporter.texts[0]);
}

} // namespace
