#pragma once

#include <string>

namespace platform::errorresources {

class ErrorMapper;

class SystemErrors {
public:
    // "System error message: " followed by the system's text for the code, its own line end
    // kept; never throws.
    static std::string map(int errorCode, const ErrorMapper* fallbackErrors = nullptr);
};

} // namespace platform::errorresources
