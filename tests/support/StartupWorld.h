#pragma once

#include "support/TaskServiceFake.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/com/ComApartment.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// A whole startup world of its own: the key of every registry location Windows has emptied in
// its own view (of a key of settings, only the values that are entries), both Startup folders and the program's folder
// in a scratch directory that is also the current one, COM for the shortcuts, and a task service
// of its own.
class StartupWorld {
public:
    explicit StartupWorld(const std::string& name);

    // The live key of a registry location.
    const RegistryScratch& key(int type) const { return *_keys.at(type); }
    // A Startup folder's path, ending with a backslash.
    std::string folder(int type) const;
    // A file beside the program: the data file, its folders of disabled files.
    std::string file(const std::string& name) const { return _dir.file(name); }
    const std::string& path() const { return _dir.path(); }
    // The names of the disabled entries of a location that the data file holds now, in its order.
    std::vector<std::string> storedNames(int type) const;
    // The world's task service, which holds no task until a test adds one.
    TaskServiceFake& tasks() { return _tasks; }

private:
    const windows::com::ComApartment _com;
    ScratchDirectory _dir;
    CurrentDirectory _current;
    std::map<int, std::unique_ptr<RegistryScratch>> _keys;
    RegistryScratch _userFolder;
    RegistryScratch _commonFolder;
    TaskServiceFake _tasks;
};
