#include "exceptions/MessageBoxReporter.h"

#include "platform/Win32Api.h"

namespace exceptions {

void MessageBoxReporter::showError(const std::string& text, HWND owner)
{
    show(text, owner, " Error", MB_OK | MB_ICONHAND | MB_SETFOREGROUND);
}

void MessageBoxReporter::showSuccess(const std::string& text, HWND owner)
{
    show(text, owner, " Success", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void MessageBoxReporter::showInformation(const std::string& text, HWND owner)
{
    show(text, owner, " Information", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void MessageBoxReporter::show(const std::string& text, HWND owner, const char* titleSuffix, UINT flags)
{
    const std::string title = _applicationName + titleSuffix;
    platform::win32().MessageBoxU(owner, text, title, flags);
}

} // namespace exceptions
