#include "platform/framework/Application.h"

namespace platform {

namespace {
Application* g_application = nullptr;
}

Application::Application()
{
    g_application = this;
}

Application::~Application()
{
    if (g_application == this)
        g_application = nullptr;
}

Application* Application::instance()
{
    return g_application;
}

} // namespace platform
