#pragma once

#include <windows.h>

#include "products/bootwarden/StartupItem.h"

#include <set>
#include <string>
#include <vector>

namespace products::bootwarden::database {

// The system's own switch for the entries of a location (Windows 8 and later): the Startup
// page of its settings and task manager write a value of the entry's name under
// Explorer\StartupApproved, 12 bytes or more; the entry is off when the low bit of the first
// byte is set (03 and a FILETIME of when; 02 and zeros is on). A missing or shorter value means
// on, and is never rewritten.
class StartupApproval {
public:
    // The switches of an item type; a type the system has none for has none.
    explicit StartupApproval(int type);

    // Marks the entries whose switches are off; none when the key is missing.
    void markSwitchedOff(std::vector<StartupItem>& items) const;
    // Switches the entry back on the way the system does: 02 and eleven zero bytes.
    void switchOn(const std::string& name) const;

private:
    std::set<std::string> switchedOff() const;

    HKEY _root = nullptr;
    std::string _subKey;
};

} // namespace products::bootwarden::database
