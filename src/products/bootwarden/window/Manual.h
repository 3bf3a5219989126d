#pragma once

namespace exceptions {
class ErrorReporter;
} // namespace exceptions

namespace products::bootwarden::window {

// The program's manual, "manual.html" in its folder, shown in the user's browser.
class Manual {
public:
    // Opens it; when that fails, reporter tells the user why and how to read it all the same.
    static void open(exceptions::ErrorReporter& reporter);
};

} // namespace products::bootwarden::window
