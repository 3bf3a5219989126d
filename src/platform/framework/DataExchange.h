#pragma once

#include <windows.h>

#include <string>

namespace platform {

class TreeView;

// Moves data between a dialog's controls and its members, in the direction UpdateData asks.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saveAndValidate) : _dialog(dialog), _save(saveAndValidate) {}

    // Binds the control object to the dialog's control with that id.
    void control(int id, TreeView& control);
    // The control's text: read into value when saving, shown from value otherwise.
    void text(int id, std::string& value);
    // Whether the check box is ticked, in the same directions.
    void check(int id, bool& checked);

private:
    HWND _dialog;
    bool _save;
};

} // namespace platform
