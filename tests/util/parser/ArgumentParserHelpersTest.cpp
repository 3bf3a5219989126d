#include "util/parser/ArgumentParserHelpers.h"

#include <gtest/gtest.h>

using util::parser::ArgumentParserHelpers;

namespace {

struct PathCase {
    const char* path;
    const char* directory;
    const char* fileName;
    const char* extension;
};

class ArgumentParserHelpersTest : public testing::TestWithParam<PathCase> {};

TEST_P(ArgumentParserHelpersTest, TakesPathApart)
{
    const PathCase& c = GetParam();
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.directory, ArgumentParserHelpers::getDirectory(c.path));
    EXPECT_EQ(c.fileName, ArgumentParserHelpers::getFileName(c.path));
    EXPECT_EQ(c.extension, ArgumentParserHelpers::getExtension(c.path));
}

const PathCase CASES[] = {
    {"C:\\Windows\\notepad.exe", "C:\\Windows\\", "notepad.exe", "exe"},
    {"notepad.exe", "", "notepad.exe", "exe"},
    {"\"C:\\Program Files\\App\\app.exe\" -min", "C:\\Program Files\\App\\", "app.exe", "exe"},
    {"C:\\My Documents\\Some Dir\\tool.com", "C:\\My Documents\\Some Dir\\", "tool.com", "com"},
    // Without a backslash the arguments stay part of the name.
    {"app.exe -silent", "", "app.exe -silent", "exe -silent"},
    {"C:\\dir\\README", "C:\\dir\\", "README", ""},
    {"C:\\dir\\archive.tar.gz", "C:\\dir\\", "archive.tar.gz", "gz"},
    {"C:\\dir\\name.", "C:\\dir\\", "name.", ""},
    // The last full stop belongs to a directory: the name is cut at the first blank after it.
    {"C:\\v1.2\\prog -x", "C:\\v1.2\\", "prog", ""},
    {"C:\\v1.2 x\\prog -x", "C:\\v1.2 x\\", "prog -x", ""},
    {"C:\\dir.d\\prog x.exe", "C:\\dir.d\\", "prog x.exe", "exe"},
    {"C:\\dir\\", "C:\\dir\\", "", ""},
    {"", "", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Paths, ArgumentParserHelpersTest, testing::ValuesIn(CASES));

} // namespace
