#include "windows/service/ServiceManager.h"

#include "platform/errorresources/SystemErrors.h"

using platform::errorresources::SystemErrors;

namespace windows::service {

namespace {

[[noreturn]] void throwFailure(const std::string& sentence, const std::string& name)
{
    const DWORD error = platform::win32().GetLastError();
    const std::string details = "\n\n" + SystemErrors::map(static_cast<int>(error));
    if (error == ERROR_SERVICE_DOES_NOT_EXIST)
        throw ServiceNotFoundException(sentence + ", the service doesn't exist. Service: " + name + details);
    throw ServiceException(sentence + ". Service: " + name + details);
}

} // namespace

ServiceManager::ServiceManager() : _manager(platform::win32().OpenSCManager(SC_MANAGER_CONNECT))
{
    if (!_manager.valid())
        throw ServiceException("Error when opening the service manager.\n\n" +
                               SystemErrors::map(static_cast<int>(platform::win32().GetLastError())));
}

platform::UniqueServiceHandle ServiceManager::open(const std::string& name, DWORD access) const
{
    platform::UniqueServiceHandle service(platform::win32().OpenServiceU(_manager.get(), name, access));
    if (!service.valid())
        throwFailure("Error when opening a service", name);
    return service;
}

void ServiceManager::setStartType(const std::string& name, DWORD startType) const
{
    const platform::UniqueServiceHandle service = open(name, SERVICE_CHANGE_CONFIG);
    if (!platform::win32().ChangeServiceStartType(service.get(), startType))
        throwFailure("Error when changing how a service starts", name);
}

bool ServiceManager::setDelayedStart(const std::string& name, bool delayed) const
{
    const platform::UniqueServiceHandle service = open(name, SERVICE_CHANGE_CONFIG);
    if (platform::win32().ChangeServiceDelayedStart(service.get(), delayed))
        return true;
    if (platform::win32().GetLastError() == ERROR_INVALID_LEVEL)
        return false;
    throwFailure("Error when changing how a service starts", name);
}

bool ServiceManager::isRunning(const std::string& name) const
{
    const platform::UniqueServiceHandle service = open(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    if (!platform::win32().QueryServiceStatus(service.get(), &status))
        throwFailure("Error when asking whether a service runs", name);
    return status.dwCurrentState == SERVICE_RUNNING;
}

} // namespace windows::service
