#include "util/assertion/Assertion.h"

#include "util/ApplicationConstants.h"
#include "util/assertion/AssertionListener.h"
#include "util/assertion/AssertionListenerRegistration.h"

#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

namespace util::assertion {

const char* const ASSERTION_FILE_NAME = "assertion.txt";

namespace {

AssertionListener* g_listener = nullptr;

const char* const RULE = "----------------------------------------";

std::string currentTime()
{
    std::time_t now = std::time(nullptr);
    std::string text = std::asctime(std::localtime(&now));
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// The file holds CR LF line ends on every platform, as a text-mode stream writes them on
// Windows.
std::string withCrlf(const std::string& report)
{
    std::string result;
    for (char c : report) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

void appendToReportFile(const std::string& report)
{
    std::ofstream file(ASSERTION_FILE_NAME, std::ios::out | std::ios::app | std::ios::binary);
    file << withCrlf(report);
}

} // namespace

AssertionListener* currentAssertionListener()
{
    return g_listener;
}

AssertionListenerRegistration::AssertionListenerRegistration(AssertionListener* listener)
{
    g_listener = listener;
}

AssertionListenerRegistration::~AssertionListenerRegistration()
{
    g_listener = nullptr;
}

std::string composeAssertionReport(const char* expression, const char* file, int line, const std::string& time)
{
    std::ostringstream report;
    report << RULE << "\n"
           << "Assertion failed. Message: " << expression << "\n"
           << "File: " << file << "\n"
           << "Line: " << line << "\n"
           << "Occurred: " << time << "\n\n"
           << "Please contact " << SUPPORT_EMAIL << " and include this message.\n"
           << "Thank you for helping us improve the software.\n"
           << RULE << "\n";
    return report.str();
}

void reportAssertion(const char* expression, const char* file, int line)
{
    const std::string report = composeAssertionReport(expression, file, line, currentTime());
    if (g_listener) {
        g_listener->assertionFailed(report);
        return;
    }
    std::cout << report;
    appendToReportFile(report);
}

} // namespace util::assertion
