#include "util/Helpers.h"

#include "util/assertion/Assertion.h"

#include <cstdio>

using util::assertion::check;

namespace util {

std::string Helpers::formatNumber(int value, const char* format)
{
    if (!check(format != nullptr, "format", "util/Helpers", 344))
        return std::string();
    char buffer[100];
    const int written = std::snprintf(buffer, sizeof buffer, format, value);
    return written < 0 ? std::string() : std::string(buffer);
}

std::string Helpers::toString(int value)
{
    return formatNumber(value, "%d");
}

} // namespace util
