#pragma once

#include "exceptions/ErrorReporter.h"
#include "exceptions/InformationReporter.h"
#include "exceptions/SuccessReporter.h"

#include <windows.h>

#include <string>

namespace exceptions {

// Shows texts in message boxes titled with the application's name.
class MessageBoxReporter : public ErrorReporter, public SuccessReporter, public InformationReporter {
public:
    explicit MessageBoxReporter(const std::string& applicationName) : _applicationName(applicationName) {}

    // Boxes shown without a window of their own belong to owner, which nothing can be done in
    // while one is open; null when no window is shown.
    void setOwner(HWND owner) { _owner = owner; }
    HWND owner() const { return _owner; }

    void showError(const std::string& text) override { showError(text, _owner); }
    void showSuccess(const std::string& text) override { showSuccess(text, _owner); }
    void showInformation(const std::string& text) override { showInformation(text, _owner); }

    virtual void showError(const std::string& text, HWND owner);
    virtual void showSuccess(const std::string& text, HWND owner);
    virtual void showInformation(const std::string& text, HWND owner);

private:
    void show(const std::string& text, HWND owner, const char* titleSuffix, UINT flags);

    std::string _applicationName;
    HWND _owner = nullptr;
};

} // namespace exceptions
