#pragma once

#include <string>

namespace util {

class StringHelper {
public:
    static constexpr int LOWER = 0;
    static constexpr int UPPER = 1;

    // Replaces every occurrence of find, left to right; inserted text is never searched again.
    // An empty find replaces nothing. Returns the number of replacements.
    static int replace(std::string& replaceIn, const std::string& find, const std::string& replaceWith);
    static std::string changeCase(const std::string& src, int mode);
    static std::string toLower(const std::string& src);
};

} // namespace util
