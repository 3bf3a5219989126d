#pragma once

#include <string>

namespace windows::file {

// What a program's version resource says of it, in the resource's first language. Anyone can
// write any of it: it says who a program claims to be, never who made it.
struct VersionInfo {
    std::string company;
    std::string description;
    std::string version;

    // Empty texts for a file without a version resource.
    static VersionInfo read(const std::string& path);
};

} // namespace windows::file
