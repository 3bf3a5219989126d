#pragma once

#include <string>

namespace util {

class Helpers {
public:
    // Prints value with a printf format; the text is cut at 99 characters rather than
    // overrunning its buffer.
    static std::string formatNumber(int value, const char* format);
    static std::string toString(int value);
};

} // namespace util
