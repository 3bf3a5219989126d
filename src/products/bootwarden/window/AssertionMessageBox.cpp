#include "products/bootwarden/window/AssertionMessageBox.h"

#include "exceptions/ErrorReporter.h"
#include "util/ApplicationConstants.h"

using util::APPLICATION_NAME;
using util::SUPPORT_EMAIL;

namespace products::bootwarden::window {

void AssertionMessageBox::assertionFailed(const std::string& report)
{
    _reporter->showError("An assertion failed. This happens when something goes wrong in the program. Please help "
                         "us to improve our program by emailing us this message box.\nPress CTRL+C to copy this "
                         "text. Our email: " +
                         SUPPORT_EMAIL + ", subject: Assertion in " + APPLICATION_NAME + "\nThank you!\n\n" + report);
}

} // namespace products::bootwarden::window
