#pragma once

#include <string>

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void showError(const std::string& text) = 0;
};
