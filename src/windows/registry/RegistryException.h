#pragma once

#include "exceptions/Exception.h"

namespace windows::registry {

class RegistryException : public exceptions::Exception {
public:
    using Exception::Exception;
};

class RegistryKeyNotFoundException : public RegistryException {
public:
    using RegistryException::RegistryException;
};

class RegistryAccessDeniedException : public RegistryException {
public:
    using RegistryException::RegistryException;
};

class RegistryValueNotFoundException : public RegistryException {
public:
    using RegistryException::RegistryException;
};

} // namespace windows::registry
