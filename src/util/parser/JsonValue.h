#pragma once

#include "exceptions/Exception.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace util::parser {

// A text that is not JSON; the message says where and what was expected there.
class JsonException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// One JSON value as RFC 8259 writes it. Strings are the program's UTF-8, which keeps what a
// \u escape says exactly, a lone surrogate too; a number keeps its text.
class JsonValue {
public:
    enum class Type { Null, Boolean, Number, String, Array, Object };

    // The whole text as one value; throws JsonException ("line 3, column 7: expected ...").
    static JsonValue parse(std::string_view text);

    Type type() const { return _type; }
    // A string's text, a number's digits, "true" or "false".
    const std::string& text() const { return _text; }
    // An array's items; empty for any other value.
    const std::vector<JsonValue>& items() const { return _items; }
    // An object's member of that name (the first, should several have it); null when none.
    const JsonValue* member(const std::string& name) const;

private:
    class Reader;

    Type _type = Type::Null;
    std::string _text;
    std::vector<JsonValue> _items;
    std::vector<std::pair<std::string, JsonValue>> _members;
};

} // namespace util::parser
