#include "products/bootwarden/StartupInterface.h"

#include "exceptions/ErrorReporter.h"
#include "exceptions/Exception.h"
#include "products/bootwarden/database/StartupDatabase.h"
#include "util/assertion/Assertion.h"

namespace products::bootwarden {

namespace {
const char* const SOURCE = "products/bootwarden/StartupInterface";
}

StartupInterface::StartupInterface(ErrorReporter* reporter) : _reporter(reporter)
{
}

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

std::string StartupInterface::getWhere(int type)
{
    database::StartupDatabase* database = find(type, "_database.find(type) != _database.end()");
    return database ? database->getWhere() : std::string();
}

std::string StartupInterface::getCommand(const StartupItem& item)
{
    database::StartupDatabase* database = find(item.getType(), "_database.find(type) != _database.end()");
    return database ? database->getCommand(item) : item.getData();
}

bool StartupInterface::remove(const StartupItem& item)
{
    return apply(&database::StartupDatabase::remove, item, "deleting");
}

bool StartupInterface::enable(const StartupItem& item)
{
    return apply(&database::StartupDatabase::enable, item, "enabling");
}

void StartupInterface::stageDisable(const StartupItem& item)
{
    if (database::StartupDatabase* database = find(item.getType(), "_database.find(item.getType()) != _database.end()"))
        database->stageDisable(item);
}

bool StartupInterface::run(const StartupItem& item)
{
    return apply(&database::StartupDatabase::run, item, "starting");
}

bool StartupInterface::disable(const StartupItem& item)
{
    return apply(&database::StartupDatabase::disable, item, "disabling");
}

database::StartupDatabase* StartupInterface::find(int type, const char* expression)
{
    const auto found = _database.find(type);
    check(found != _database.end(), expression, SOURCE, __LINE__);
    return found == _database.end() ? nullptr : found->second;
}

bool StartupInterface::apply(Operation operation, const StartupItem& item, const char* doing)
{
    database::StartupDatabase* database =
        find(item.getType(), "_database.find(item.getType()) != _database.end()");
    if (!database)
        return false;
    const std::string heading = std::string("Error while ") + doing + " an entry.";
    try {
        (database->*operation)(item);
        return true;
    } catch (const exceptions::Exception& e) {
        _reporter->showError(heading + "\n\n" + item.toString() + "\n\n" + e.getMessage());
    } catch (...) {
        _reporter->showError(heading + " An ... exception was caught.\n\n" + item.toString() +
                             "\n\n");
    }
    return false;
}

} // namespace products::bootwarden
