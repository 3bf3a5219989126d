#pragma once

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"

#include <string>

// The keys and folder settings the tests prepare, read from the program's own location table.
inline std::string keyOf(int type)
{
    return products::bootwarden::LocationTable::find(type)->key;
}
inline std::string folderValueOf(int type)
{
    return products::bootwarden::LocationTable::find(type)->folderValue;
}

// Where the 32-bit view keeps a machine's key, as the 64-bit view names it.
inline std::string thirtyTwoBitKey(const std::string& key)
{
    return "Software\\Wow6432Node\\" + key.substr(key.find('\\') + 1);
}

// A registry location's key as the 64-bit view names it, where the tests make it.
inline std::string liveKeyOf(const products::bootwarden::Location& location)
{
    const bool redirected = location.view == products::bootwarden::Location::View::Redirected32;
    return redirected ? thirtyTwoBitKey(location.key) : location.key;
}

using products::bootwarden::StartupConstants;
inline const std::string RUN_KEY = keyOf(StartupConstants::CURRENT_USER_RUN);
inline const std::string RUN_ONCE_KEY = keyOf(StartupConstants::CURRENT_USER_RUN_ONCE);
inline const std::string RUN_ONCE_EX_KEY = keyOf(StartupConstants::LOCAL_MACHINE_RUN_ONCE_EX);
inline const std::string POLICY_RUN_KEY = keyOf(StartupConstants::CURRENT_USER_POLICY_RUN);
inline const std::string SHELL_FOLDERS_KEY = keyOf(StartupConstants::USER_STARTUP);
inline const std::string STARTUP_VALUE = folderValueOf(StartupConstants::USER_STARTUP);
inline const std::string COMMON_STARTUP_VALUE = folderValueOf(StartupConstants::COMMON_STARTUP);
