#include "platform/errorresources/SystemErrors.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/ErrorMapper.h"
#include "util/ApplicationConstants.h"
#include "util/Helpers.h"
#include "util/assertion/Assertion.h"

using util::CRLF;
using util::Helpers;
using util::assertion::reportAssertion;

namespace platform::errorresources {

namespace {

const char* const PREFIX = "System error message: ";

std::string systemText(int errorCode)
{
    std::string text;
    return platform::win32().FormatMessageU(static_cast<DWORD>(errorCode), text) == 0 ? std::string() : text;
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
        return PREFIX + std::string("The string representation of the error code [") + Helpers::toString(errorCode) +
               "] was not found." + CRLF;
    } catch (...) {
        reportAssertion("false", "platform/errorresources/SystemErrors", 53);
        return "An unexpected exception was caught in static std::string SystemErrors::map(int "
               "errorCode, const ErrorMapper* fallbackErrors = 0) throw()\n";
    }
}

} // namespace platform::errorresources
