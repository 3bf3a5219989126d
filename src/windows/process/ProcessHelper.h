#pragma once

#include "exceptions/Exception.h"

#include <string>

namespace windows::process {

class CouldNotShellExecuteException : public exceptions::Exception {
public:
    using Exception::Exception;
};

class CouldNotCreateProcessException : public exceptions::Exception {
public:
    using Exception::Exception;
};

} // namespace windows::process

// Starts programs and documents without waiting for them.
class ProcessHelper {
public:
    // Hands the whole command to the shell as a file, with the verb operation ("open").
    static void shellExecute(const std::string& command, const std::string& operation);
    // Starts the command line as a new process; the system decides which program it names.
    static void createProcess(const std::string& commandLine);
    // A command line as the system starts it: the program it names, found by the system's
    // rules, with its arguments; a command that names no program (a document, an address)
    // opened through the shell.
    static void start(const std::string& command);
};
