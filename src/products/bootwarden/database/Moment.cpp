#include "products/bootwarden/database/Moment.h"

#include "platform/Win32Api.h"
#include "products/bootwarden/database/DeletedCopy.h"

#include <cstdio>

namespace products::bootwarden::database {

std::string Moment::now()
{
    SYSTEMTIME time{};
    platform::win32().GetSystemTime(&time);
    char text[DeletedCopy::MOMENT_SIZE + 1];
    std::snprintf(text, sizeof text, "%04u%02u%02uT%02u%02u%02u.%03uZ", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond, time.wMilliseconds);
    return text;
}

std::string Moment::shown(const std::string& moment)
{
    if (!DeletedCopy::isMoment(moment))
        return "an unknown day";
    const auto number = [&moment](std::size_t at, std::size_t digits) {
        return static_cast<WORD>(std::stoi(moment.substr(at, digits)));
    };
    const SYSTEMTIME utc{number(0, 4), number(4, 2), 0, number(6, 2), number(9, 2), number(11, 2), number(13, 2), 0};
    SYSTEMTIME local{};
    const bool known = platform::win32().SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const SYSTEMTIME& time = known ? local : utc;
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u%s", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, known ? "" : " UTC");
    return text;
}

} // namespace products::bootwarden::database
