#pragma once

#include "util/assertion/AssertionListener.h"
#include "util/assertion/AssertionListenerRegistration.h"

#include <string>
#include <vector>

// Collects assertion reports for the length of a test instead of writing assertion.txt.
class AssertionRecorder : public util::assertion::AssertionListener {
public:
    AssertionRecorder() : _registration(this) {}

    void assertionFailed(const std::string& report) override { _reports.push_back(report); }

    const std::vector<std::string>& reports() const { return _reports; }

    // The expression of each report, in order ("Assertion failed. Message: <expression>").
    std::vector<std::string> expressions() const
    {
        std::vector<std::string> result;
        const std::string label = "Assertion failed. Message: ";
        for (const std::string& report : _reports) {
            const auto start = report.find(label) + label.size();
            result.push_back(report.substr(start, report.find('\n', start) - start));
        }
        return result;
    }

private:
    util::assertion::AssertionListenerRegistration _registration;
    std::vector<std::string> _reports;
};
