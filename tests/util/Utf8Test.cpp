#include "util/Utf8.h"

#include <gtest/gtest.h>

using util::Utf8;

namespace {

const std::string LONE_LEAD = "\xED\xA0\x80";  // U+D800 alone
const std::string LONE_TRAIL = "\xED\xBF\xBF"; // U+DFFF alone

TEST(Utf8Test, TellsWellFormedTextWithAndWithoutLoneUnits)
{
    struct Case {
        std::string text;
        bool valid; // as text a person typed
        bool held;  // as a name the system may hold
    };
    const Case cases[] = {
        {"", true, true},
        {"App \xD0\x9F\xD1\x80\xD0\xB8", true, true},
        {"\xF0\x9F\x9A\x80", true, true},
        {std::string("a\0b", 3), true, true},
        {"\xCF\xF0\xE8", false, false},     // Cyrillic in code page 1251
        {"\xC0\xAF", false, false},         // overlong
        {"\xF4\x90\x80\x80", false, false}, // past U+10FFFF
        {"\xE5\x90", false, false},         // cut short
        {"a" + LONE_LEAD + "b", false, true},
        {LONE_TRAIL + LONE_LEAD, false, true},  // a trail before a lead pairs with nothing
        {LONE_LEAD + LONE_TRAIL, false, false}, // a pair written as two halves
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.valid, Utf8::isValid(c.text, false)) << c.text;
        EXPECT_EQ(c.held, Utf8::isValid(c.text, true)) << c.text;
        if (c.held) {
            EXPECT_EQ(!c.valid, Utf8::hasLoneSurrogate(c.text)) << c.text;
        }
    }
}

TEST(Utf8Test, ShowsLoneUnitsAsTheReplacementCharacter)
{
    EXPECT_EQ("a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD",
              Utf8::displayable("a" + LONE_LEAD + "b" + LONE_TRAIL));
    EXPECT_EQ("\xE5\x90\xAF", Utf8::displayable("\xE5\x90\xAF"));
}

TEST(Utf8Test, FoldsCaseAsWindowsComparesNames)
{
    const std::pair<std::string, std::string> same[] = {
        {"app", "APP"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},                               // été
        {"\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA", "\xD0\x9F\xD0\xA3\xD0\xA1\xD0\x9A"}, // пуск
        {"\xCE\xB1\xCF\x82", "\xCE\x91\xCE\xA3"},                                 // ας
        {"\xC4\x9F", "\xC4\x9E"},                                                 // ğ
        {"\xEF\xBD\x81", "\xEF\xBC\xA1"},                                         // full-width a
        {LONE_LEAD, LONE_LEAD},
    };
    for (const auto& pair : same)
        EXPECT_TRUE(Utf8::sameName(pair.first, pair.second)) << pair.first;
    EXPECT_FALSE(Utf8::sameName("\xEF\xBC\xA1pp", "App")) << "full-width A is another letter";
    EXPECT_FALSE(Utf8::sameName(LONE_LEAD, LONE_TRAIL));
    EXPECT_EQ("A\xCF\xF0", Utf8::foldCase("a\xCF\xF0")) << "bytes that are no text stay";
    for (char32_t c = 0; c < 0x20000; ++c) {
        std::string letter;
        Utf8::append(letter, c);
        ASSERT_EQ(letter.size(), Utf8::foldCase(letter).size()) << static_cast<unsigned>(c) << ": lengths decide";
    }
}

} // namespace
