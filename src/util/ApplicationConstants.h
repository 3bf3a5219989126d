#pragma once

#include <string>

namespace util {

extern const std::string APPLICATION_NAME;
extern const std::string APPLICATION_VERSION;
extern const std::string CRLF;
extern const std::string SUPPORT_EMAIL;

} // namespace util
