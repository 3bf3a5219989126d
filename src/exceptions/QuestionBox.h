#pragma once

#include "exceptions/Question.h"

#include <windows.h>

#include <string>

namespace exceptions {

// A yes/no message box; Yes is the only answer that counts as yes.
class QuestionBox : public Question {
public:
    // A box with an owner keeps the owner's window still until it is answered.
    explicit QuestionBox(const std::string& title, HWND owner = nullptr) : _title(title), _owner(owner) {}

    bool ask(const std::string& text) override;

private:
    std::string _title;
    HWND _owner;
};

} // namespace exceptions
