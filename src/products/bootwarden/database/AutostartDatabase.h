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

class RegistryBackup;

// One Startup folder. Its programs and shortcuts are the enabled entries; disabling moves a
// file into the folder of disabled files beside the program, enabling moves it back. Deleting
// moves it into a folder of its own in the folder of deleted files, named by the moment it was
// deleted; the data file keeps the copy's name and path.
class AutostartDatabase : public StartupDatabase {
public:
    // The folder of deleted files beside the program, which every Startup folder shares.
    static constexpr const char* DELETED_FOLDER = ".\\deleted\\";

    // Never throws: a folder that cannot be found leaves the database not working, and the
    // reason is thrown when its entries are asked for.
    AutostartDatabase(int type, const std::string& disabledFolder, RegistryBackup& backup);

    std::vector<StartupItem> getItems() override;
    void enable(const StartupItem& item) override;
    void disable(const StartupItem& item) override;
    // Keeps the file the entry stands for in the folder of deleted files (and deletes an
    // identical disabled copy of an active one).
    void remove(const StartupItem& item) override;
    // Moves the file back, unless the Startup folder holds one of that name.
    StartupItem restore(const StartupItem& entry, const StartupItem& copy) override;
    // Deletes the kept file, then its copy's record.
    void forget(const StartupItem& copy) override;
    std::string damage(const StartupItem& copy) override;
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
    // Refuses to put the file kept as what ("disabled", "deleted") into folder (the Startup folder
    // or the disabled files') over one of its name.
    void refuseTaken(const std::string& folder, const std::string& name, const std::string& what) const;

    std::string _reason;
    std::string _folder;
    int _type;
    std::string _disabledFolder;
    bool _working;
    std::string _problem;
    windows::file::ShortcutReader _shortcuts;
    RegistryBackup* _backup;
};

} // namespace products::bootwarden::database
