#pragma once

#include "exceptions/Question.h"

#include <string>

// A yes/no message box; Yes is the only answer that counts as yes.
class QuestionBox : public Question {
public:
    explicit QuestionBox(const std::string& title) : _title(title) {}

    bool ask(const std::string& text) override;

private:
    std::string _title;
};
