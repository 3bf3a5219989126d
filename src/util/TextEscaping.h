#pragma once

#include <string>

namespace util {

// Text of any kind made safe for where it goes, every unit kept: a name may hold quotes, line
// breaks, control characters or half of a UTF-16 pair.
class TextEscaping {
public:
    // A JSON string, quotes included; a lone surrogate as its escape (\udc80), so JSON says every
    // unit exactly.
    static std::string json(const std::string& text);
    // A CSV field: quoted, its quotes doubled, when it holds a comma, a quote or a line break.
    static std::string csvField(const std::string& text);
    // For a terminal, which obeys control characters: a name holding a carriage return or an
    // escape sequence could rewrite what is shown. They are shown as escapes (\r, \x1b, \u0085).
    static std::string visible(const std::string& text);
};

} // namespace util
