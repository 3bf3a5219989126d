#pragma once

#include <string>

namespace exceptions {

class SuccessReporter {
public:
    virtual ~SuccessReporter() = default;
    virtual void showSuccess(const std::string& text) = 0;
};

} // namespace exceptions
