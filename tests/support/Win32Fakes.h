#pragma once

#include "platform/Win32Api.h"

#include <string>
#include <vector>

// A replacement for any seam slot that fails: sets the thread's last error and returns the
// given result.
template <class Result>
auto failing(Result result, DWORD lastError)
{
    return [result, lastError](auto&&...) {
        ::SetLastError(lastError);
        return result;
    };
}

// Answers every message box of its scope and remembers what each one showed.
class MessageBoxRecorder {
public:
    struct Box {
        HWND owner;
        std::string text;
        std::string title;
        UINT flags;
    };

    explicit MessageBoxRecorder(int answer = IDOK)
        : _override(&platform::Win32Api::MessageBoxU,
                    [this, answer](HWND owner, const std::string& text, const std::string& title, UINT flags) {
                        _boxes.push_back({owner, text, title, flags});
                        return answer;
                    })
    {
    }

    const std::vector<Box>& boxes() const { return _boxes; }

private:
    std::vector<Box> _boxes;
    platform::ScopedOverride<int(HWND, const std::string&, const std::string&, UINT)> _override;
};

// A fresh, empty directory under the current one for the length of a test.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name);
    ~ScratchDirectory();

    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The directory's path, ending with a backslash.
    const std::string& path() const { return _path; }
    std::string file(const std::string& name) const { return _path + name; }

    static bool exists(const std::string& path);

private:
    std::string _path;
};

// Makes a directory the current one for the length of a scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path);
    ~CurrentDirectory();

    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string _saved;
};
