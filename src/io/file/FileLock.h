#pragma once

#include "platform/UniqueResource.h"

#include <string>

namespace io::file {

// One process at a time changes a file: while a FileLock lives, its process alone holds the
// lock file beside it (name + ".lock", opened for nobody else and gone when closed). Every
// process that changes the file takes the lock first, so each one reads what the one before
// it wrote.
class FileLock {
public:
    // Waits for another holder up to about patienceMs, then throws FileLockedException naming
    // the file and the system's error.
    explicit FileLock(const std::string& name, unsigned patienceMs = 5000);

private:
    platform::UniqueFileHandle _lock;
};

} // namespace io::file
