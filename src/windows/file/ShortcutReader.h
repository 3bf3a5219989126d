#pragma once

#include "platform/UniqueResource.h"

#include <shlobj.h>

#include <string>

namespace windows::file {

// Reads what shell links start, all with one link object made at the first read: a folder of
// thousands of shortcuts costs one object, not one each. COM must be initialised on this
// thread, and the reader used on it alone.
class ShortcutReader {
public:
    struct Shortcut {
        std::string target;
        std::string arguments;
    };

    // What the link starts, resolved without any window or search.
    Shortcut read(const std::string& linkFile);

private:
    // The step that failed, or null; the link object is made on the first call.
    const char* resolve(const std::string& linkFile, Shortcut& shortcut);

    platform::ComPtr<IShellLinkW> _link;
    platform::ComPtr<IPersistFile> _file;
};

} // namespace windows::file
