#pragma once

#include "platform/framework/Application.h"

namespace products::bootwarden::window {

// Runs the program: makes its own folder the current one, shows the main dialog modally and
// shows any failure that ends the run in one error box.
class BootwardenApp : public platform::Application {
public:
    BOOL InitInstance() override;
};

} // namespace products::bootwarden::window
