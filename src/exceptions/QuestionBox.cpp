#include "exceptions/QuestionBox.h"

#include "platform/Win32Api.h"

bool QuestionBox::ask(const std::string& text)
{
    return platform::win32().MessageBoxA(nullptr, text.c_str(), _title.c_str(),
                                         MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}
