#pragma once

#include <string>

namespace exceptions {

class InformationReporter {
public:
    virtual ~InformationReporter() = default;
    virtual void showInformation(const std::string& text) = 0;
};

} // namespace exceptions
