#include "util/parser/JsonValue.h"

#include "util/Utf8.h"

namespace util::parser {

namespace {

// Deeper nesting than a listing ever has is refused before it can exhaust the stack.
const int MAX_DEPTH = 64;

} // namespace

class JsonValue::Reader {
public:
    explicit Reader(std::string_view text) : _text(text) {}

    JsonValue document()
    {
        JsonValue value = read(0);
        skipSpace();
        if (_at < _text.size())
            fail("the end of the text");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& expected) const
    {
        std::size_t line = 1, column = 1;
        for (std::size_t i = 0; i < _at && i < _text.size(); ++i)
            if (_text[i] == '\n')
                ++line, column = 1;
            else if ((static_cast<unsigned char>(_text[i]) & 0xC0) != 0x80)
                ++column;
        const std::string found = _at < _text.size() ? "" : " (the text ends there)";
        throw JsonException("line " + std::to_string(line) + ", column " + std::to_string(column) + ": expected " +
                            expected + found);
    }

    void skipSpace()
    {
        while (_at < _text.size() &&
               (_text[_at] == ' ' || _text[_at] == '\t' || _text[_at] == '\n' || _text[_at] == '\r'))
            ++_at;
    }

    bool take(char c)
    {
        skipSpace();
        if (_at < _text.size() && _text[_at] == c) {
            ++_at;
            return true;
        }
        return false;
    }

    void expect(char c, const char* what)
    {
        if (!take(c))
            fail(what);
    }

    bool takeWord(std::string_view word)
    {
        if (_text.substr(_at, word.size()) != word)
            return false;
        _at += word.size();
        return true;
    }

    JsonValue read(int depth)
    {
        if (depth > MAX_DEPTH)
            fail("no more than " + std::to_string(MAX_DEPTH) + " levels of nesting");
        skipSpace();
        JsonValue value;
        if (take('{')) {
            value._type = Type::Object;
            if (take('}'))
                return value;
            do {
                skipSpace();
                if (_at >= _text.size() || _text[_at] != '"')
                    fail("a member's name in quotes");
                std::string name = string();
                expect(':', "':' after a member's name");
                value._members.emplace_back(std::move(name), read(depth + 1));
            } while (take(','));
            expect('}', "',' or '}'");
        } else if (take('[')) {
            value._type = Type::Array;
            if (take(']'))
                return value;
            do
                value._items.push_back(read(depth + 1));
            while (take(','));
            expect(']', "',' or ']'");
        } else if (_at < _text.size() && _text[_at] == '"') {
            value._type = Type::String;
            value._text = string();
        } else if (const char* word = takeWord("true") ? "true" : takeWord("false") ? "false" : nullptr) {
            value._type = Type::Boolean;
            value._text = word;
        } else if (takeWord("null")) {
            value._type = Type::Null;
        } else {
            value._type = Type::Number;
            value._text = number();
        }
        return value;
    }

    std::string number()
    {
        const std::size_t start = _at;
        const auto digits = [this] {
            const std::size_t first = _at;
            while (_at < _text.size() && _text[_at] >= '0' && _text[_at] <= '9')
                ++_at;
            return _at > first;
        };
        if (_at < _text.size() && _text[_at] == '-')
            ++_at;
        if (_at < _text.size() && _text[_at] == '0')
            ++_at;
        else if (!digits())
            fail("a value");
        if (_at < _text.size() && _text[_at] == '.' && (++_at, !digits()))
            fail("a digit");
        if (_at < _text.size() && (_text[_at] == 'e' || _text[_at] == 'E')) {
            ++_at;
            if (_at < _text.size() && (_text[_at] == '+' || _text[_at] == '-'))
                ++_at;
            if (!digits())
                fail("a digit");
        }
        return std::string(_text.substr(start, _at - start));
    }

    unsigned hexUnit()
    {
        unsigned unit = 0;
        for (int i = 0; i < 4; ++i, ++_at) {
            const char c = _at < _text.size() ? _text[_at] : '\0';
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                fail("four hexadecimal digits");
            unit = unit * 16 + static_cast<unsigned>(digit);
        }
        return unit;
    }

    // A \u escape, and the one after it when the two are a pair: a lone half stays a unit.
    char32_t escapedCharacter()
    {
        const unsigned unit = hexUnit();
        if (unit < 0xD800 || unit > 0xDBFF || _text.substr(_at, 2) != "\\u")
            return unit;
        const std::size_t second = _at;
        _at += 2;
        const unsigned trail = hexUnit();
        if (trail >= 0xDC00 && trail <= 0xDFFF)
            return 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00);
        _at = second;
        return unit;
    }

    std::string string()
    {
        ++_at; // the opening quote
        std::string text;
        for (;;) {
            if (_at >= _text.size())
                fail("'\"' to end the string");
            const char c = _text[_at];
            if (c == '"') {
                ++_at;
                return text;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                fail("a control character to be escaped");
            if (c != '\\') {
                const std::size_t start = _at;
                ++_at;
                while (_at < _text.size() && (static_cast<unsigned char>(_text[_at]) & 0xC0) == 0x80)
                    ++_at;
                if (!Utf8::isValid(_text.substr(start, _at - start), false))
                    _at = start, fail("UTF-8 text");
                text.append(_text, start, _at - start);
                continue;
            }
            const std::size_t backslash = _at++;
            const char escape = _at < _text.size() ? _text[_at++] : '\0';
            switch (escape) {
            case '"':
            case '\\':
            case '/':
                text += escape;
                break;
            case 'b':
                text += '\b';
                break;
            case 'f':
                text += '\f';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'u':
                Utf8::append(text, escapedCharacter());
                break;
            default:
                _at = backslash, fail("an escape: \\\" \\\\ \\/ \\b \\f \\n \\r \\t or \\u");
            }
        }
    }

    std::string_view _text;
    std::size_t _at = 0;
};

JsonValue JsonValue::parse(std::string_view text)
{
    return Reader(text).document();
}

const JsonValue* JsonValue::member(const std::string& name) const
{
    for (const auto& member : _members)
        if (member.first == name)
            return &member.second;
    return nullptr;
}

} // namespace util::parser
