#include "windows/service/ServiceManager.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"

#include <gtest/gtest.h>

#include <functional>

using platform::errorresources::SystemErrors;

using windows::service::ServiceException;
using windows::service::ServiceManager;
using windows::service::ServiceNotFoundException;

namespace {

const std::string NAME = "BootwardenManagerTest";
const std::string DISPLAY_NAME = "Contoso Updater";

} // namespace

// Each failure names the service and the system's error; a system without a delayed start says
// so and nothing fails.
TEST(ServiceManagerTest, FailuresNameTheServiceAndTheSystemsError)
{
    const TestService service(NAME, DISPLAY_NAME, SERVICE_AUTO_START);
    struct Failure {
        std::function<void(const ServiceManager&)> operation;
        DWORD code;
        std::string text;
    };
    const DWORD denied = ERROR_ACCESS_DENIED;
    const auto change = [](const ServiceManager& manager) { manager.setStartType(NAME, SERVICE_DEMAND_START); };
    const auto delay = [](const ServiceManager& manager) { manager.setDelayedStart(NAME, true); };
    const Failure failures[] = {
        {[](const ServiceManager& manager) { manager.setStartType("BootwardenNoSuchService", SERVICE_AUTO_START); }, 0,
         "Error when opening a service, the service doesn't exist. Service: BootwardenNoSuchService\n\n"},
        {change, denied, "Error when changing how a service starts. Service: " + NAME + "\n\n"},
        {delay, denied, "Error when changing how a service starts. Service: " + NAME + "\n\n"},
    };
    for (const Failure& failure : failures) {
        platform::ScopedOverride start(&platform::Win32Api::ChangeServiceStartType, failing(FALSE, failure.code));
        platform::ScopedOverride later(&platform::Win32Api::ChangeServiceDelayedStart, failing(FALSE, failure.code));
        const DWORD code = failure.code ? failure.code : ERROR_SERVICE_DOES_NOT_EXIST;
        EXPECT_EQ(failure.text + SystemErrors::map(static_cast<int>(code)),
                  messageOf<ServiceException>([&failure] { failure.operation(ServiceManager()); }));
    }
    EXPECT_THROW(ServiceManager().setStartType("BootwardenNoSuchService", SERVICE_AUTO_START),
                 ServiceNotFoundException);
    {
        platform::ScopedOverride refused(&platform::Win32Api::OpenSCManager, failing(SC_HANDLE(nullptr), denied));
        EXPECT_EQ("Error when opening the service manager.\n\n" + SystemErrors::map(static_cast<int>(denied)),
                  messageOf<ServiceException>([] { ServiceManager(); }));
    }
    platform::ScopedOverride unknown(&platform::Win32Api::ChangeServiceDelayedStart,
                                     failing(FALSE, ERROR_INVALID_LEVEL));
    EXPECT_FALSE(ServiceManager().setDelayedStart(NAME, true)) << "Wine 8 knows no delayed start";
}
