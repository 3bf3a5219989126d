#include "platform/Console.h"
#include "products/bootwarden/console/BootwardenCli.h"
#include "products/bootwarden/StartupLocations.h"
#include "util/Utf8.h"
#include "util/parser/ArgumentParserHelpers.h"
#include "windows/com/ComApartment.h"
#include "windows/file/WindowsFileHelper.h"

using util::Utf8;
using util::parser::ArgumentParserHelpers;
using windows::file::WindowsFileHelper;

// bootwarden-cli.exe: finds the data file and the folders of disabled files beside itself, as
// the window does, so both see the same disabled entries.
int main()
{
    using products::bootwarden::console::BootwardenCli;
    std::string out, err;
    int result = BootwardenCli::FAILED;
    try {
        WindowsFileHelper::setCurrentDirectory(
            ArgumentParserHelpers::getDirectory(WindowsFileHelper::getModuleFileName()));
        const windows::com::ComApartment com;
        products::bootwarden::console::CollectingReporter reporter;
        products::bootwarden::StartupLocations locations(&reporter);
        result = BootwardenCli(locations, reporter).run(platform::Console::arguments(), out, err);
    } catch (const exceptions::Exception& e) {
        err += e.getMessage() + "\n";
    }
    // A lone UTF-16 unit is shown as U+FFFD; JSON has said it exactly already.
    platform::Console::write(Utf8::displayable(out), false);
    platform::Console::write(Utf8::displayable(err), true);
    return result;
}
