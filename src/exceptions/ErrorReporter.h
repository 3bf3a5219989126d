#pragma once

#include <string>

namespace exceptions {

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void showError(const std::string& text) = 0;
};

} // namespace exceptions
