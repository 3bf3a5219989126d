#include "io/file/FileLock.h"

#include "exceptions/IOException.h"
#include "platform/errorresources/SystemErrors.h"

using platform::errorresources::SystemErrors;

namespace io::file {

namespace {
const DWORD STEP_MS = 50;
}

FileLock::FileLock(const std::string& name, unsigned patienceMs)
{
    const std::string path = name + ".lock";
    for (unsigned waited = 0;; waited += STEP_MS) {
        _lock.reset(platform::win32().CreateFileU(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE));
        if (_lock.valid())
            return;
        const DWORD error = platform::win32().GetLastError();
        // Held by another process; "access denied" also while one that has just let it go is
        // still deleting it.
        const bool held = error == ERROR_SHARING_VIOLATION;
        if ((!held && error != ERROR_ACCESS_DENIED) || waited >= patienceMs)
            throw FileLockedException(
                (held ? "Another Bootwarden is changing the disabled entries, so nothing was changed. Try again "
                        "when it is done.\nFile: "
                      : "The file that keeps two Bootwardens from changing the disabled entries at once could "
                        "not be made, so nothing was changed.\nFile: ") +
                path + "\n\n" + SystemErrors::map(static_cast<int>(error)));
        platform::win32().Sleep(STEP_MS);
    }
}

} // namespace io::file
