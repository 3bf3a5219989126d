#pragma once

#include <string>

namespace util::assertion {

// A failed expectation is reported and the asserting code goes on: the program must never
// stop in front of the user because of its own inconsistency.
void reportAssertion(const char* expression, const char* file, int line);

// The one form every check takes; the expression text, source and line are spelled out by
// the caller so that reports stay stable when the source moves.
inline bool check(bool condition, const char* expression, const char* file, int line)
{
    if (!condition)
        reportAssertion(expression, file, line);
    return condition;
}

// Composes the report that reportAssertion delivers; the time text is asctime's without its
// line feed.
std::string composeAssertionReport(const char* expression, const char* file, int line, const std::string& time);

extern const char* const ASSERTION_FILE_NAME;

} // namespace util::assertion
