#include "exceptions/QuestionBox.h"

#include "platform/Win32Api.h"

namespace exceptions {

bool QuestionBox::ask(const std::string& text)
{
    return platform::win32().MessageBoxU(_owner, text, _title, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

} // namespace exceptions
