#pragma once

#include <string>

// A yes/no question put to the user.
class Question {
public:
    virtual ~Question() = default;
    virtual bool ask(const std::string& text) = 0;
};
