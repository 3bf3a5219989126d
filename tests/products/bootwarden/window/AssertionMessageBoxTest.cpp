#include "products/bootwarden/window/AssertionMessageBox.h"

#include "support/ScriptedDatabase.h"

#include <gtest/gtest.h>

namespace {

TEST(AssertionMessageBoxTest, BoxTextFramesTheReport)
{
    RecordingReporter reporter;
    products::bootwarden::window::AssertionMessageBox(&reporter).assertionFailed("REPORT");
    EXPECT_EQ("An assertion failed. This happens when something goes wrong in the program. Please "
              "help us to improve our program by emailing us this message box.\nPress CTRL+C to "
              "copy this text. Our email: support@quillmere.com, subject: Assertion in Bootwarden "
              "Center\nThank you!\n\nREPORT",
              reporter.texts.at(0));
}

} // namespace
