#include "util/parser/JsonValue.h"

#include <gtest/gtest.h>

using util::parser::JsonException;
using util::parser::JsonValue;

// What the console writes comes back unit for unit: escapes, pairs and a lone half of one.
TEST(JsonValueTest, ReadsWhatTheConsoleWrites)
{
    const JsonValue value = JsonValue::parse(" [\n {\"name\": \"Caf\u00e9 \\\"x\\\" \\\\ \\/ \\b\\f\\n\\r\\t\", "
                                             "\"pair\": \"\\ud83d\\ude00\", \"lone\": \"a\\udc80b\","
                                             " \"exists\": true, \"off\": false, \"none\": null, \"n\": -12.5e+3, "
                                             "\"nested\": {\"list\": [1, [], {}]}}\n]\n");
    ASSERT_EQ(JsonValue::Type::Array, value.type());
    ASSERT_EQ(1u, value.items().size());
    const JsonValue& entry = value.items()[0];
    EXPECT_EQ("Caf\u00e9 \"x\" \\ / \b\f\n\r\t", entry.member("name")->text());
    EXPECT_EQ("\U0001F600", entry.member("pair")->text());
    EXPECT_EQ("a\xED\xB2\x80"
              "b",
              entry.member("lone")->text());
    EXPECT_EQ("true", entry.member("exists")->text());
    EXPECT_EQ("false", entry.member("off")->text());
    EXPECT_EQ(JsonValue::Type::Null, entry.member("none")->type());
    EXPECT_EQ("-12.5e+3", entry.member("n")->text());
    EXPECT_EQ(3u, entry.member("nested")->member("list")->items().size());
    EXPECT_EQ(nullptr, entry.member("missing"));
}

// A text that is not JSON says where it stops being JSON, and what would have been.
TEST(JsonValueTest, TextThatIsNotJsonSaysWhereAndWhatWasExpected)
{
    const struct {
        const char* text;
        const char* message;
    } broken[] = {
        {"", "line 1, column 1: expected a value (the text ends there)"},
        {"[1,\n 2", "line 2, column 3: expected ',' or ']' (the text ends there)"},
        {"[1] x", "line 1, column 5: expected the end of the text"},
        {"{\"a\" 1}", "line 1, column 6: expected ':' after a member's name"},
        {"{a: 1}", "line 1, column 2: expected a member's name in quotes"},
        {"[\"\u00e9\\q\"]", "line 1, column 4: expected an escape: \\\" \\\\ \\/ \\b \\f \\n \\r \\t or \\u"},
        {"[\"\\u12G4\"]", "line 1, column 7: expected four hexadecimal digits"},
        {"[\"a\nb\"]", "line 1, column 4: expected a control character to be escaped"},
        {"[\"\xFF\"]", "line 1, column 3: expected UTF-8 text"},
        {"[\"open", "line 1, column 7: expected '\"' to end the string (the text ends there)"},
        {"[01]", "line 1, column 3: expected ',' or ']'"},
        {"[1.]", "line 1, column 4: expected a digit"},
        {"[tru]", "line 1, column 2: expected a value"},
        {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[",
         "line 1, column 66: expected no more than 64 levels of nesting"},
    };
    for (const auto& text : broken) {
        SCOPED_TRACE(text.text);
        try {
            JsonValue::parse(text.text);
            ADD_FAILURE() << "read as JSON";
        } catch (const JsonException& e) {
            EXPECT_EQ(text.message, e.getMessage());
        }
    }
}
