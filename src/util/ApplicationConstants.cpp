#include "util/ApplicationConstants.h"

namespace util {

const std::string APPLICATION_NAME = "Bootwarden Center";
const std::string APPLICATION_VERSION = "1.01";
const std::string CRLF = "\r\n";
const std::string SUPPORT_EMAIL = "support@quillmere.com";

} // namespace util
