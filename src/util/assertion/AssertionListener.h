#pragma once

#include <string>

namespace util::assertion {

class AssertionListener {
public:
    virtual ~AssertionListener() = default;
    virtual void assertionFailed(const std::string& report) = 0;
};

// The listener that receives reports instead of the report file; null when there is none.
AssertionListener* currentAssertionListener();

} // namespace util::assertion
