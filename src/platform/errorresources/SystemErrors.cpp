#include "platform/errorresources/SystemErrors.h"

#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"
#include "platform/errorresources/ErrorMapper.h"
#include "util/ApplicationConstants.h"
#include "util/Helpers.h"
#include "util/assertion/Assertion.h"

namespace {

const char* const PREFIX = "System error message: ";

std::string systemText(int errorCode)
{
    char* buffer = nullptr;
    const DWORD length = platform::win32().FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, static_cast<DWORD>(errorCode), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    platform::LocalMemory owner(buffer);
    return length == 0 || buffer == nullptr ? std::string() : std::string(buffer, length);
}

} // namespace

std::string SystemErrors::map(int errorCode, const ErrorMapper* fallbackErrors)
{
    try {
        const std::string text = systemText(errorCode);
        if (!text.empty())
            return PREFIX + text;
        if (fallbackErrors) {
            const std::pair<bool, std::string> found = fallbackErrors->lookup(errorCode);
            if (found.first)
                return PREFIX + found.second + CRLF;
        }
        return PREFIX + std::string("The string representation of the error code [") +
               Helpers::toString(errorCode) + "] was not found." + CRLF;
    } catch (...) {
        reportAssertion("false", "platform/errorresources/SystemErrors", 53);
        return "An unexpected exception was caught in static std::string SystemErrors::map(int "
               "errorCode, const ErrorMapper* fallbackErrors = 0) throw()\n";
    }
}
