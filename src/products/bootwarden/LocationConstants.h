#pragma once

#include <string>

// Where the startup locations and the program's own data live.
extern const std::string DATA_FILE_NAME;
extern const std::string SHELL_FOLDERS_KEY;
extern const std::string USER_SHELL_FOLDERS_KEY;
extern const std::string COMMON_STARTUP_VALUE;
extern const std::string STARTUP_VALUE;
extern const std::string RUN_KEY;
extern const std::string RUN_ONCE_KEY;
extern const std::string RUN_ONCE_EX_KEY;
extern const std::string RUN_SERVICES_KEY;
extern const std::string RUN_SERVICES_ONCE_KEY;
extern const std::string POLICY_RUN_KEY;
