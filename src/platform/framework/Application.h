#pragma once

#include <windows.h>

namespace platform {

// The program's one application object. WinMain finds it and calls InitInstance; a FALSE
// result ends the program, which is all a program that runs one modal dialog needs.
class Application {
public:
    Application();
    virtual ~Application();

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual BOOL InitInstance() { return TRUE; }

    static Application* instance();
};

} // namespace platform
