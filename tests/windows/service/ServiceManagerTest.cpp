#include "windows/service/ServiceManager.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/MessageOf.h"
#include "support/WineFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using windows::service::ServiceException;
using windows::service::ServiceManager;
using windows::service::ServiceNotFoundException;

namespace {

const std::string NAME = "BootwardenManagerTest";
const std::string DISPLAY_NAME = "Служба обновления"; // display names in any language

const ServiceManager::Service* named(const std::vector<ServiceManager::Service>& services, const std::string& name)
{
    const auto found = std::find_if(services.begin(), services.end(),
                                    [&name](const ServiceManager::Service& service) { return service.name == name; });
    return found == services.end() ? nullptr : &*found;
}

// A failing call of the seam: the answer, with the reason in the last error.
template <class Answer>
auto failing(Answer answer, DWORD code)
{
    return [answer, code](auto&&...) {
        ::SetLastError(code);
        return answer;
    };
}

} // namespace

// The prefix's own service manager: what it lists, and the start type it changes.
TEST(ServiceManagerTest, ListsEveryServiceAndChangesHowOneStarts)
{
    const TestService service(NAME, DISPLAY_NAME, SERVICE_AUTO_START);
    const ServiceManager manager;
    const std::vector<ServiceManager::Service> services = manager.list();
    const ServiceManager::Service* listed = named(services, NAME);
    ASSERT_NE(nullptr, listed);
    EXPECT_EQ(DISPLAY_NAME, listed->displayName);
    EXPECT_EQ(TestService::PROGRAM, listed->imagePath);
    EXPECT_EQ(DWORD(SERVICE_AUTO_START), listed->startType);
    manager.setStartType(NAME, SERVICE_DEMAND_START);
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), service.startType());
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), manager.query(NAME).startType);

    // A service removed while the others are listed is left out; the others are not.
    platform::ScopedOverride gone(&platform::Win32Api::OpenServiceU,
                                  [real = platform::win32().OpenServiceU](SC_HANDLE scm, const std::string& name,
                                                                          DWORD access) {
                                      if (name != NAME)
                                          return real(scm, name, access);
                                      ::SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
                                      return SC_HANDLE(nullptr);
                                  });
    const std::vector<ServiceManager::Service> rest = manager.list();
    EXPECT_EQ(nullptr, named(rest, NAME));
    EXPECT_EQ(services.size() - 1, rest.size());
}

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
    const auto query = [](const ServiceManager& manager) { manager.query(NAME); };
    const auto change = [](const ServiceManager& manager) { manager.setStartType(NAME, SERVICE_DEMAND_START); };
    const auto delay = [](const ServiceManager& manager) { manager.setDelayedStart(NAME, true); };
    const Failure failures[] = {
        {[](const ServiceManager& manager) { manager.list(); }, denied, "Error when listing the services.\n\n"},
        {[](const ServiceManager& manager) { manager.query("BootwardenNoSuchService"); }, 0,
         "Error when opening a service, the service doesn't exist. Service: BootwardenNoSuchService\n\n"},
        {query, denied, "Error when reading how a service starts. Service: " + NAME + "\n\n"},
        {change, denied, "Error when changing how a service starts. Service: " + NAME + "\n\n"},
        {delay, denied, "Error when changing how a service starts. Service: " + NAME + "\n\n"},
    };
    for (const Failure& failure : failures) {
        platform::ScopedOverride list(&platform::Win32Api::EnumServicesU, failing(FALSE, failure.code));
        platform::ScopedOverride read(&platform::Win32Api::QueryServiceConfigU, failing(FALSE, failure.code));
        platform::ScopedOverride start(&platform::Win32Api::ChangeServiceStartType, failing(FALSE, failure.code));
        platform::ScopedOverride later(&platform::Win32Api::ChangeServiceDelayedStart, failing(FALSE, failure.code));
        const DWORD code = failure.code ? failure.code : ERROR_SERVICE_DOES_NOT_EXIST;
        EXPECT_EQ(failure.text + SystemErrors::map(static_cast<int>(code)),
                  messageOf<ServiceException>([&failure] { failure.operation(ServiceManager()); }));
    }
    EXPECT_THROW(ServiceManager().query("BootwardenNoSuchService"), ServiceNotFoundException);
    {
        platform::ScopedOverride refused(&platform::Win32Api::OpenSCManager, failing(SC_HANDLE(nullptr), denied));
        EXPECT_EQ("Error when opening the service manager.\n\n" + SystemErrors::map(static_cast<int>(denied)),
                  messageOf<ServiceException>([] { ServiceManager(); }));
    }
    platform::ScopedOverride unknown(&platform::Win32Api::ChangeServiceDelayedStart, failing(FALSE, ERROR_INVALID_LEVEL));
    EXPECT_FALSE(ServiceManager().setDelayedStart(NAME, true)) << "Wine 8 knows no delayed start";
}
