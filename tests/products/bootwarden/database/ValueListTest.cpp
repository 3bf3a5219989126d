#include "products/bootwarden/database/ValueList.h"

#include <gtest/gtest.h>

#include <string_view>

using products::bootwarden::database::ValueList;
using namespace std::string_view_literals;

namespace {

constexpr std::uint32_t MULTI = 7; // REG_MULTI_SZ
constexpr std::uint32_t TEXT = 1;  // REG_SZ

// A value's bytes as the registry holds them: UTF-16, little-endian.
std::string bytesOf(std::u16string_view units)
{
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Each list is split into its items; taking one out leaves the others' bytes, and putting it back
// into the list as it is now puts it where it stood.
TEST(ValueListTest, AnItemGoesAndComesBackWhereItStood)
{
    struct Case {
        const char* what;
        std::uint32_t type;
        std::u16string_view before;
        std::vector<std::string> items;
        std::size_t out;
        std::u16string_view without;
        // The list when the item is put back, and what it is then.
        std::u16string_view now;
        std::u16string_view with;
    };
    // clang-format off
    const Case cases[] = {
        {"a multi-string", MULTI, u"autocheck autochk *\0C:\\x.exe /y\0\0"sv, {"autocheck autochk *", "C:\\x.exe /y"},
         1, u"autocheck autochk *\0\0"sv, u"autocheck autochk *\0\0"sv, u"autocheck autochk *\0C:\\x.exe /y\0\0"sv},
        {"its first string, the list changed since", MULTI, u"a\0b\0\0"sv, {"a", "b"}, 0, u"b\0\0"sv,
         u"b\0c\0\0"sv, u"a\0b\0c\0\0"sv},
        {"a multi-string without its last terminator", MULTI, u"a\0b"sv, {"a", "b"}, 1, u"a\0"sv, u""sv, u"b\0\0"sv},
        {"names apart by commas and spaces", TEXT, u"a.dll, b.dll c.dll\0"sv, {"a.dll", "b.dll", "c.dll"}, 1,
         u"a.dll, c.dll\0"sv, u"a.dll, c.dll\0"sv, u"a.dll, b.dll c.dll\0"sv},
        {"the last name", TEXT, u"a.dll,b.dll\0"sv, {"a.dll", "b.dll"}, 1, u"a.dll\0"sv, u"a.dll\0"sv,
         u"a.dll,b.dll\0"sv},
        {"a name whose neighbour before has gone", TEXT, u"a,b,c\0"sv, {"a", "b", "c"}, 1, u"a,c\0"sv, u"c,d\0"sv,
         u"b,c,d\0"sv},
        {"a name into a list that holds another since", TEXT, u"a,b\0"sv, {"a", "b"}, 1, u"a\0"sv, u"a,d\0"sv,
         u"a,b,d\0"sv},
        {"a name into a list that is gone", TEXT, u"a\0"sv, {"a"}, 0, u"\0"sv, u""sv, u"a\0"sv},
        {"a name with a lone surrogate", TEXT, u"\xD800x.dll\0"sv, {"\xED\xA0\x80x.dll"}, 0, u"\0"sv, u"\0"sv,
         u"\xD800x.dll\0"sv},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ValueList before(c.type, bytesOf(c.before));
        EXPECT_EQ(c.items, before.items());
        EXPECT_EQ(bytesOf(c.without), before.without(c.out));
        EXPECT_EQ(bytesOf(c.with), ValueList(c.type, bytesOf(c.now)).with(c.items[c.out], before));
    }
    EXPECT_EQ(1u, ValueList(TEXT, bytesOf(u"a.dll,B.DLL\0"sv)).find("b.dll")) << "names match in any case";
}

} // namespace
