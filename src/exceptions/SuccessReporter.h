#pragma once

#include <string>

class SuccessReporter {
public:
    virtual ~SuccessReporter() = default;
    virtual void showSuccess(const std::string& text) = 0;
};
