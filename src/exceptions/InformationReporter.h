#pragma once

#include <string>

class InformationReporter {
public:
    virtual ~InformationReporter() = default;
    virtual void showInformation(const std::string& text) = 0;
};
