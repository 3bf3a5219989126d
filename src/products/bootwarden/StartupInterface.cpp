#include "products/bootwarden/StartupInterface.h"

#include "exceptions/ErrorReporter.h"
#include "exceptions/Exception.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DeletedCopy.h"
#include "products/bootwarden/database/StartupDatabase.h"
#include "util/assertion/Assertion.h"

#include <algorithm>

using exceptions::ErrorReporter;
using util::assertion::check;

namespace products::bootwarden {

namespace {
const char* const SOURCE = "products/bootwarden/StartupInterface";
}

StartupInterface::StartupInterface(ErrorReporter* reporter) : _reporter(reporter) {}

void StartupInterface::addDatabase(database::StartupDatabase* database)
{
    _database[database->getType()] = database;
}

std::vector<int> StartupInterface::getTypes() const
{
    std::vector<int> types;
    for (const auto& entry : _database)
        types.push_back(entry.second->getType());
    return types;
}

std::vector<StartupItem> StartupInterface::getItems(int type)
{
    database::StartupDatabase* database = find(type, "_database.find(type) != _database.end()");
    return database ? database->getItems() : std::vector<StartupItem>();
}

std::string StartupInterface::getProblem(int type)
{
    database::StartupDatabase* database = find(type, "_database.find(type) != _database.end()");
    return database ? database->getProblem() : std::string();
}

bool StartupInterface::isListing(int type)
{
    database::StartupDatabase* database = find(type, "_database.find(type) != _database.end()");
    return database && database->isListing();
}

std::string StartupInterface::getWhere(int type)
{
    database::StartupDatabase* database = find(type, "_database.find(type) != _database.end()");
    return database ? database->getWhere() : std::string();
}

std::string StartupInterface::getCommand(const StartupItem& item)
{
    database::StartupDatabase* database = find(item.getType(), "_database.find(type) != _database.end()");
    return database ? database->getCommand(item) : std::string(item.getData());
}

database::StartupDatabase::Note StartupInterface::getNote(const StartupItem& item)
{
    database::StartupDatabase* database = find(item.getType(), "_database.find(type) != _database.end()");
    return database ? database->getNote(item) : database::StartupDatabase::Note();
}

std::string StartupInterface::getLabel(const StartupItem& item)
{
    database::StartupDatabase* database = find(item.getType(), "_database.find(type) != _database.end()");
    return database ? database->getLabel(item) : item.getValue();
}

std::string StartupInterface::getRegistryKey(const StartupItem& item)
{
    database::StartupDatabase* database = find(item.getType(), "_database.find(type) != _database.end()");
    return database ? database->getRegistryKey(item) : std::string();
}

bool StartupInterface::allows(const StartupItem& item, EntryAction action)
{
    const Location* location = LocationTable::find(item.getType());
    return !location || location->allowedFor(item.getValue()).allows(action);
}

std::string StartupInterface::refusal(const StartupItem& item, EntryAction action)
{
    if (allows(item, action))
        return std::string();
    const Location* location = LocationTable::find(item.getType());
    const char* const verbs[] = {"disables", "deletes", "starts"};
    return std::string("Bootwarden never ") + verbs[static_cast<int>(action)] + " " + getLabel(item) + " in " +
           LocationTable::treePath(item.getType()) + ": " + location->allowedFor(item.getValue()).because + ".";
}

bool StartupInterface::remove(const StartupItem& item)
{
    return apply(&database::StartupDatabase::remove, item, "deleting", EntryAction::Delete);
}

bool StartupInterface::isDeleted(const StartupItem& item)
{
    return LocationTable::deletedFrom(item.getType()) >= 0;
}

std::optional<StartupItem> StartupInterface::restore(const StartupItem& copy)
{
    std::optional<StartupItem> restored;
    const bool done = apply(
        [&restored](database::StartupDatabase& database, const StartupItem& item) {
            restored = database.restore(database::DeletedCopy::entryOf(item), item);
        },
        copy, "restoring", std::nullopt);
    return done ? restored : std::nullopt;
}

bool StartupInterface::forget(const StartupItem& copy)
{
    return apply([](database::StartupDatabase& database, const StartupItem& item) { database.forget(item); }, copy,
                 "forgetting", std::nullopt);
}

bool StartupInterface::enable(const StartupItem& item)
{
    return apply(&database::StartupDatabase::enable, item, "enabling", std::nullopt);
}

bool StartupInterface::applyChanges(const std::vector<StartupItem>& items, std::vector<bool>& applied)
{
    const auto disabling = [](const StartupItem& item) { return item.getState() == StartupConstants::DISABLED; };
    for (const StartupItem& item : items)
        if (item.isChanged() && disabling(item) && allows(item, EntryAction::Disable))
            if (database::StartupDatabase* database =
                    find(item.getType(), "_database.find(item.getType()) != _database.end()"))
                database->stageDisable(item);
    applied.assign(items.size(), true);
    // Every disable first, so the data file is written once for all of them.
    for (const bool disable : {true, false})
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].isChanged() && disabling(items[i]) == disable)
                applied[i] = disable ? this->disable(items[i]) : enable(items[i]);
    try {
        for (const auto& entry : _database)
            entry.second->commit();
    } catch (const exceptions::Exception& e) {
        // An enable the failed write made its location take back did not happen.
        bool tookBack = false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!applied[i] || !items[i].isChanged() || disabling(items[i]) ||
                !_database.at(items[i].getType())->tookBack(items[i]))
                continue;
            applied[i] = false;
            tookBack = true;
        }
        _reporter->showError(std::string("The disabled entries could not be saved.") +
                             (tookBack ? " The entries to enable stay disabled: nothing changed for them." : "") +
                             "\n\n" + e.getMessage());
        return false;
    }
    return std::all_of(applied.begin(), applied.end(), [](bool done) { return done; });
}

bool StartupInterface::run(const StartupItem& item)
{
    return apply(&database::StartupDatabase::run, item, "starting", EntryAction::Run);
}

bool StartupInterface::disable(const StartupItem& item)
{
    return apply(&database::StartupDatabase::disable, item, "disabling", EntryAction::Disable);
}

database::StartupDatabase* StartupInterface::find(int type, const char* expression)
{
    const auto found = _database.find(type);
    check(found != _database.end(), expression, SOURCE, __LINE__);
    return found == _database.end() ? nullptr : found->second;
}

bool StartupInterface::apply(Operation operation, const StartupItem& item, const char* doing,
                             std::optional<EntryAction> action)
{
    database::StartupDatabase* database = find(item.getType(), "_database.find(item.getType()) != _database.end()");
    if (!database)
        return false;
    if (const std::string refused = action ? refusal(item, *action) : std::string(); !refused.empty()) {
        _reporter->showError(refused);
        return false;
    }
    const std::string heading = std::string("Error while ") + doing + " an entry.";
    try {
        operation(*database, item);
        return true;
    } catch (const exceptions::Exception& e) {
        _reporter->showError(heading + "\n\n" + item.toString() + "\n\n" + e.getMessage());
    } catch (...) {
        _reporter->showError(heading + " An ... exception was caught.\n\n" + item.toString() + "\n\n");
    }
    return false;
}

} // namespace products::bootwarden
