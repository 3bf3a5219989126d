#pragma once

#include "exceptions/Exception.h"
#include "products/bootwarden/database/StartupDatabase.h"
#include "windows/file/ShortcutReader.h"

#include <windows.h>

#include <string>

namespace products::bootwarden::database {

class AutostartDatabaseException : public exceptions::Exception {
public:
    using Exception::Exception;
};

// One Startup folder. Its programs and shortcuts are the enabled entries; disabling moves a
// file into the folder of disabled files beside the program, enabling moves it back.
class AutostartDatabase : public StartupDatabase {
public:
    // Never throws: a folder that cannot be found leaves the database not working, and the
    // reason is thrown when its entries are asked for.
    AutostartDatabase(int type, const std::string& disabledFolder);

    std::vector<StartupItem> getItems() override;
    void enable(const StartupItem& item) override;
    void disable(const StartupItem& item) override;
    // Deletes the file the entry stands for (and an identical disabled copy of an active one).
    void remove(const StartupItem& item) override;
    // Opens the file through the shell, as Windows does at sign-in (a shortcut with its arguments).
    void run(const StartupItem& item) override;
    int getType() const override { return _type; }
    bool isWorking() const override { return _working; }
    std::string getProblem() const override { return _problem; }
    std::string getWhere() const override { return _folder; }
    // A shortcut's target and arguments, read from the link now: listing a folder of
    // thousands of shortcuts reads none of them. A link that leads nowhere is its own path.
    std::string getCommand(const StartupItem& item) override;

    // The files directly in folder that Windows starts at sign-in, each in the given state,
    // with its path as its data.
    virtual std::vector<StartupItem> listFolder(const std::string& folder, int state);

private:
    struct FolderLocation {
        HKEY root;
        std::string key;
        std::string value;
    };

    static FolderLocation getFolderLocation(int type);
    // Whether the active file and the disabled one of that name hold the same bytes.
    bool sameBytes(const std::string& name) const;

    std::string _reason;
    std::string _folder;
    int _type;
    std::string _disabledFolder;
    bool _working;
    std::string _problem;
    windows::file::ShortcutReader _shortcuts;
};

} // namespace products::bootwarden::database
