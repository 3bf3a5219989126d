#pragma once

#include <string>

// The message of the Exception that action throws, or "no exception".
template <class Exception, class Action>
std::string messageOf(Action action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.getMessage();
    }
    return "no exception";
}
