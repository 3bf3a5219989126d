#include "platform/Console.h"

#include "platform/Text.h"
#include "platform/UniqueResource.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

std::vector<std::string> Console::arguments()
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const LocalMemory owner(wide);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        // Exact, even where it is no valid text: the caller decides what to do with it.
        arguments.push_back(Text::toUtf8(wide[i]));
    }
    return arguments;
}

void Console::write(const std::string& text, bool toError)
{
    const HANDLE handle = ::GetStdHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    DWORD written = 0;
    std::wstring wide;
    if (::GetConsoleMode(handle, &mode) && Text::toWide(text, wide)) {
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace platform
