#include "exceptions/MessageBoxReporter.h"
#include "exceptions/QuestionBox.h"

#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

using exceptions::ErrorReporter;
using exceptions::InformationReporter;
using exceptions::MessageBoxReporter;
using exceptions::QuestionBox;
using exceptions::SuccessReporter;

TEST(MessageBoxReporterTest, EachBoxHasItsTitleAndFlags)
{
    MessageBoxRecorder boxes;
    MessageBoxReporter reporter("Bootwarden Center");
    static_cast<ErrorReporter&>(reporter).showError("e");
    static_cast<SuccessReporter&>(reporter).showSuccess("s");
    static_cast<InformationReporter&>(reporter).showInformation("i");
    ASSERT_EQ(3u, boxes.boxes().size());
    EXPECT_EQ("e", boxes.boxes()[0].text);
    EXPECT_EQ("Bootwarden Center Error", boxes.boxes()[0].title);
    EXPECT_EQ(0x10010u, boxes.boxes()[0].flags);
    EXPECT_EQ("Bootwarden Center Success", boxes.boxes()[1].title);
    EXPECT_EQ("Bootwarden Center Information", boxes.boxes()[2].title);
    EXPECT_EQ(0x10040u, boxes.boxes()[2].flags);
}

TEST(QuestionBoxTest, OnlyYesCountsAsYes)
{
    QuestionBox question("Question");
    {
        MessageBoxRecorder yes(IDYES);
        EXPECT_TRUE(question.ask("Sure?"));
        EXPECT_EQ("Question", yes.boxes()[0].title);
        EXPECT_EQ(0x10024u, yes.boxes()[0].flags);
    }
    MessageBoxRecorder no(IDNO);
    EXPECT_FALSE(question.ask("Sure?"));
}
