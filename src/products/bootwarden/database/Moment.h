#pragma once

#include <string>

namespace products::bootwarden::database {

// The moments deleted entries' copies are named by: the system's clock in UTC, to the millisecond.
class Moment {
public:
    // "20261208T110233.123Z"
    static std::string now();
    // The moment in the user's time, "2026-12-08 12:02"; "an unknown day" when it is none.
    static std::string shown(const std::string& moment);
};

} // namespace products::bootwarden::database
