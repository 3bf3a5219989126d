#pragma once

#include <string>

// Files and shortcuts made and read with the system's own calls, as a user's machine has them.
void writeFile(const std::string& path, const std::string& contents);
std::string readFile(const std::string& path);
// The file's contents once a program started elsewhere has written a whole line to it (ten
// seconds at most).
std::string awaitLine(const std::string& path);
// Creates a shell link at linkPath that points to target; COM must be initialised.
void createShortcut(const std::string& linkPath, const std::string& target, const std::string& arguments = "");
