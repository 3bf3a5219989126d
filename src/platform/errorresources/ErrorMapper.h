#pragma once

#include <string>
#include <utility>

namespace platform::errorresources {

// Texts for error codes that the system has none for.
class ErrorMapper {
public:
    virtual ~ErrorMapper() = default;
    virtual std::pair<bool, std::string> lookup(int errorCode) const = 0;
};

} // namespace platform::errorresources
