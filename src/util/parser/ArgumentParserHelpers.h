#pragma once

#include <string>

namespace util::parser {

// Takes paths and command lines apart. Double quotes are dropped before anything else.
class ArgumentParserHelpers {
public:
    // Up to and including the last backslash; empty without one.
    static std::string getDirectory(const std::string& path);
    // The name after the last backslash, cut at the first blank behind its extension.
    static std::string getFileName(const std::string& path);
    // What follows the last full stop of getFileName; empty without one.
    static std::string getExtension(const std::string& path);
};

} // namespace util::parser
