#pragma once

#include <string>

namespace windows::shell {

// The Windows Explorer, started at a file.
class Explorer {
public:
    // A window of the file's folder with the file selected; a failure to start it throws.
    static void select(const std::string& path);
};

} // namespace windows::shell
