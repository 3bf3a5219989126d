#include "platform/framework/Application.h"

// The program's whole run is InitInstance; its answer only says whether a message loop would
// follow, and none ever does.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (platform::Application* application = platform::Application::instance())
        application->InitInstance();
    return 0;
}
