#pragma once

namespace platform {

struct Win32Api;

// The slots of the COM components Windows ships, each in a file of its own.
void installTaskServiceCalls(Win32Api& api);
void installXmlLiteCalls(Win32Api& api);

} // namespace platform
