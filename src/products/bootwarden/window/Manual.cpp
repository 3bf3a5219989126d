#include "products/bootwarden/window/Manual.h"

#include "exceptions/ErrorReporter.h"
#include "windows/file/WindowsFileHelper.h"
#include "windows/process/ProcessHelper.h"

using exceptions::ErrorReporter;
using windows::file::WindowsFileHelper;

namespace products::bootwarden::window {

void Manual::open(ErrorReporter& reporter)
{
    try {
        const std::string address = "file://" + WindowsFileHelper::getCurrentDirectory() + "manual.html";
        ProcessHelper::shellExecute(address, "open");
    } catch (const windows::process::CouldNotShellExecuteException& e) {
        reporter.showError("Couldn't launch your browser with the help file.\n" + e.getMessage() +
                           "\nPlease try to open the file (manual.html) manually from explorer.");
    } catch (const exceptions::Exception& e) {
        reporter.showError("An exception was caught when trying to view the help file.\n" + e.getMessage() +
                           "\n\nHowever you can browse these files manually from explorer.");
    }
}

} // namespace products::bootwarden::window
