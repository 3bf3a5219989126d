#pragma once

#include "util/assertion/AssertionListener.h"

namespace exceptions {
class ErrorReporter;
} // namespace exceptions

namespace products::bootwarden::window {

// Shows assertion reports in an error box while the main dialog exists.
class AssertionMessageBox : public util::assertion::AssertionListener {
public:
    explicit AssertionMessageBox(exceptions::ErrorReporter* reporter) : _reporter(reporter) {}

    void assertionFailed(const std::string& report) override;

private:
    exceptions::ErrorReporter* _reporter;
};

} // namespace products::bootwarden::window
