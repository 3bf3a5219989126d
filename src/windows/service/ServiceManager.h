#pragma once

#include "exceptions/Exception.h"
#include "platform/UniqueResource.h"

#include <windows.h>

#include <string>

namespace windows::service {

class ServiceException : public exceptions::Exception {
public:
    using Exception::Exception;
};

class ServiceNotFoundException : public ServiceException {
public:
    using ServiceException::ServiceException;
};

// This machine's service manager, open for as long as the object lives, for the changes it
// alone may make. Every failure names the service and the system's error.
class ServiceManager {
public:
    ServiceManager();

    // Through the service manager, which the running system obeys, never by the service's key.
    void setStartType(const std::string& name, DWORD startType) const;
    // False when the system keeps no such setting (Wine 8 knows no delayed start); the service's
    // own value is left as it was then.
    bool setDelayedStart(const std::string& name, bool delayed) const;
    bool isRunning(const std::string& name) const;

private:
    platform::UniqueServiceHandle open(const std::string& name, DWORD access) const;

    platform::UniqueServiceHandle _manager;
};

} // namespace windows::service
