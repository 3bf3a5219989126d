#pragma once

#include "exceptions/ErrorReporter.h"
#include "exceptions/InformationReporter.h"
#include "exceptions/SuccessReporter.h"

#include <windows.h>

#include <string>

// Shows texts in message boxes titled with the application's name.
class MessageBoxReporter : public ErrorReporter, public SuccessReporter, public InformationReporter {
public:
    explicit MessageBoxReporter(const std::string& applicationName)
        : _applicationName(applicationName)
    {
    }

    void showError(const std::string& text) override { showError(text, nullptr); }
    void showSuccess(const std::string& text) override { showSuccess(text, nullptr); }
    void showInformation(const std::string& text) override { showInformation(text, nullptr); }

    virtual void showError(const std::string& text, HWND owner);
    virtual void showSuccess(const std::string& text, HWND owner);
    virtual void showInformation(const std::string& text, HWND owner);

private:
    void show(const std::string& text, HWND owner, const char* titleSuffix, UINT flags);

    std::string _applicationName;
};
