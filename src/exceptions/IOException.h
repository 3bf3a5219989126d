#pragma once

#include "exceptions/Exception.h"

namespace io {

class IOException : public exceptions::Exception {
public:
    using Exception::Exception;
};

namespace file {

class CouldNotLoadFileException : public IOException {
public:
    using IOException::IOException;
};

class CouldNotSaveFileException : public IOException {
public:
    using IOException::IOException;
};

class FileLockedException : public IOException {
public:
    using IOException::IOException;
};

} // namespace file
} // namespace io
