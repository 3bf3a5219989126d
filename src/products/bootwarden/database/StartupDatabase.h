#pragma once

#include "products/bootwarden/StartupItem.h"

#include <string>
#include <vector>

namespace products::bootwarden::database {

// One startup location: it lists its entries and takes them out, puts them back or deletes
// them. Every failure is an exceptions::Exception.
class StartupDatabase {
public:
    virtual ~StartupDatabase() = default;
    virtual std::vector<StartupItem> getItems() = 0;
    virtual void enable(const StartupItem& item) = 0;
    virtual void disable(const StartupItem& item) = 0;
    // Says that item is about to be disabled, so that what disabling must write first can be
    // written once for every entry of a walk.
    virtual void stageDisable(const StartupItem&) {}
    // Writes what enabling and disabling staged; nothing when nothing is staged. Enabling that
    // needs this write to be whole is taken back when it fails, where it can be.
    virtual void commit() {}
    // Whether the last commit failed and took back the item's enabling: it is disabled still.
    virtual bool tookBack(const StartupItem&) const { return false; }
    // Deletes the entry from its location, keeping a copy of it to be restored: the copy is
    // written before the entry goes.
    virtual void remove(const StartupItem& item) = 0;
    // Puts a deleted entry back (entry, disabled, as its copy keeps it) where and as it was, as
    // enabling puts back a disabled one, and stages forgetting its copy; answers the entry as
    // the location lists it now. A live entry of that name that differs refuses it.
    virtual StartupItem restore(const StartupItem& entry, const StartupItem& copy) = 0;
    // Forgets a deleted entry's copy for good; written at once.
    virtual void forget(const StartupItem& copy) = 0;
    // Why a deleted entry's copy cannot be restored (its file is gone, its definition damaged);
    // empty when it can.
    virtual std::string damage(const StartupItem&) { return std::string(); }
    // Starts the entry now, as Windows starts it at sign-in.
    virtual void run(const StartupItem& item) = 0;
    virtual int getType() const = 0;
    virtual bool isWorking() const = 0;
    // The registry key or the folder that holds the entries, for people to read.
    virtual std::string getWhere() const = 0;
    // Whether its entries are being listed on another thread; getItems() would wait for them.
    virtual bool isListing() const { return false; }
    // What went wrong in the last listing that still listed entries; empty when nothing did.
    virtual std::string getProblem() const { return std::string(); }
    // The command line the entry stands for, as people read it. Most locations hold it as the
    // entry's data; one whose commands are costly to read reads each only when it is asked.
    virtual std::string getCommand(const StartupItem& item) { return std::string(item.getData()); }
    // What the user should know of an entry: how it differs from Windows' own (a warning), or
    // where it belongs (the title of its section); empty when nothing.
    struct Note {
        std::string text;
        bool warning = false;
    };
    virtual Note getNote(const StartupItem&) { return {}; }
    // The key that holds the entry, as the Registry Editor names it; empty for an entry that is
    // not in the registry.
    virtual std::string getRegistryKey(const StartupItem&) { return std::string(); }
    // The name people know the entry by: its value's or file's name, unless the location names
    // its entries otherwise (an Active Setup component by its title).
    virtual std::string getLabel(const StartupItem& item) { return item.getValue(); }
};

} // namespace products::bootwarden::database
