#pragma once

#include "exceptions/Exception.h"

namespace windows::com {

class CouldNotInitializeComException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// The calling thread's single-threaded COM apartment for the life of the object; the shell
// link objects need it.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();

    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

} // namespace windows::com
