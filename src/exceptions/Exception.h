#pragma once

#include <string>

namespace exceptions {

// Anything that carries a text for the user.
class MessageInterface {
public:
    virtual ~MessageInterface() = default;
    virtual const std::string& getMessage() const = 0;
};

// The root of every failure the program throws. Subclasses differ only in type, so catch
// clauses can choose what they handle; the message always reaches the user unchanged.
class Exception : private MessageInterface {
public:
    explicit Exception(const std::string& message) : _message(message) {}

    const std::string& getMessage() const override { return _message; }

private:
    std::string _message;
};

} // namespace exceptions
