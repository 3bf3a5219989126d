#include "products/bootwarden/LocationConstants.h"

const std::string DATA_FILE_NAME = "bootwarden.dat";
const std::string SHELL_FOLDERS_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string USER_SHELL_FOLDERS_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const std::string COMMON_STARTUP_VALUE = "Common Startup";
const std::string STARTUP_VALUE = "Startup";
const std::string RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string RUN_ONCE_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string RUN_ONCE_EX_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const std::string RUN_SERVICES_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const std::string POLICY_RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
const std::string RUN_SERVICES_ONCE_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
