#include "products/bootwarden/window/BootwardenApp.h"

#include "exceptions/MessageBoxReporter.h"
#include "platform/Win32Api.h"
#include "products/bootwarden/window/BootwardenDlg.h"
#include "util/ApplicationConstants.h"
#include "util/assertion/AssertionListenerRegistration.h"
#include "products/bootwarden/window/AssertionMessageBox.h"
#include "util/parser/ArgumentParserHelpers.h"
#include "windows/com/ComApartment.h"
#include "windows/file/WindowsFileHelper.h"

using exceptions::MessageBoxReporter;
using util::APPLICATION_NAME;
using util::assertion::AssertionListenerRegistration;
using util::parser::ArgumentParserHelpers;
using windows::file::WindowsFileHelper;

namespace products::bootwarden::window {

BOOL BootwardenApp::InitInstance()
{
    platform::win32().InitCommonControls();
    Application::InitInstance();
    MessageBoxReporter reporter(APPLICATION_NAME);
    AssertionMessageBox listener(&reporter);
    AssertionListenerRegistration registration(&listener);
    try {
        // The data file, the folders of disabled files and the manual lie beside the program.
        WindowsFileHelper::setCurrentDirectory(
            ArgumentParserHelpers::getDirectory(WindowsFileHelper::getModuleFileName()));
        const windows::com::ComApartment com;
        BootwardenDlg dialog(&reporter);
        dialog.DoModal();
    } catch (const exceptions::Exception& e) {
        reporter.showError(e.getMessage());
    }
    return FALSE;
}

} // namespace products::bootwarden::window
