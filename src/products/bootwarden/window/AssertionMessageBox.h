#pragma once

#include "util/assertion/AssertionListener.h"

class ErrorReporter;

namespace products::bootwarden::window {

// Shows assertion reports in an error box while the main dialog exists.
class AssertionMessageBox : public AssertionListener {
public:
    explicit AssertionMessageBox(ErrorReporter* reporter) : _reporter(reporter) {}

    void assertionFailed(const std::string& report) override;

private:
    ErrorReporter* _reporter;
};

} // namespace products::bootwarden::window
