#pragma once

#include <string>

namespace exceptions {

// A yes/no question put to the user.
class Question {
public:
    virtual ~Question() = default;
    virtual bool ask(const std::string& text) = 0;
};

} // namespace exceptions
