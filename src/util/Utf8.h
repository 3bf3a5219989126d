#pragma once

#include <string>
#include <string_view>

namespace util {

// The program's text: UTF-8, stretched so that it holds any UTF-16 the system has, valid or not.
// A UTF-16 unit that is half of no pair is written as the three bytes UTF-8 would give its
// number (ED A0 80 to ED BF BF); pairs are written as their character. So every name Windows
// hands over comes back to it unit for unit, and text that is valid is plain UTF-8.
class Utf8 {
public:
    // Well-formed: no overlong forms, nothing past U+10FFFF; a surrogate only when allowed, and
    // never a lead written before a trail (that pair is one character).
    static bool isValid(std::string_view text, bool surrogatesAllowed);
    // Whether the text holds a unit that is half of no pair.
    static bool hasLoneSurrogate(std::string_view text);
    // For people to read: each lone unit as U+FFFD, the replacement character.
    static std::string displayable(std::string_view text);
    // The form names are compared in, as Windows compares registry value names and file names:
    // letters in upper case (the cased scripts of Latin, Greek, Cyrillic and Armenian, and the
    // full-width Latin letters). A letter and its upper case take as many bytes, so the folded
    // text is as long as the text: names of other lengths never need folding.
    static std::string foldCase(const std::string& text);
    static bool sameName(const std::string& a, const std::string& b)
    {
        return a.size() == b.size() && (a == b || foldCase(a) == foldCase(b));
    }

    // The next character at text[i], which must be well-formed; i moves past it.
    static char32_t next(std::string_view text, std::size_t& i);
    static void append(std::string& text, char32_t character);
};

} // namespace util
