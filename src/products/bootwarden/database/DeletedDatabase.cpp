#include "products/bootwarden/database/DeletedDatabase.h"

#include "products/bootwarden/database/DeletedCopy.h"
#include "products/bootwarden/database/Moment.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "util/assertion/Assertion.h"

using util::assertion::reportAssertion;

namespace products::bootwarden::database {

namespace {
const char* const SOURCE = "products/bootwarden/database/DeletedDatabase";
}

DeletedDatabase::DeletedDatabase(int type, RegistryBackup& backup, StartupDatabase& origin)
    : _type(type), _backup(&backup), _origin(&origin)
{
}

std::vector<StartupItem> DeletedDatabase::getItems()
{
    return _backup->getEntries(_type);
}

// A copy allows nothing but being restored and forgotten: the facade refuses the rest.
void DeletedDatabase::enable(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

void DeletedDatabase::disable(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

void DeletedDatabase::remove(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

void DeletedDatabase::run(const StartupItem&)
{
    reportAssertion("false", SOURCE, __LINE__);
}

StartupItem DeletedDatabase::restore(const StartupItem& entry, const StartupItem& copy)
{
    StartupItem restored = _origin->restore(entry, copy);
    _backup->commit();
    return restored;
}

void DeletedDatabase::forget(const StartupItem& copy)
{
    _origin->forget(copy);
}

std::string DeletedDatabase::getCommand(const StartupItem& copy)
{
    return _origin->getCommand(copy);
}

DeletedDatabase::Note DeletedDatabase::getNote(const StartupItem& copy)
{
    const std::string deleted = DeletedCopy::nameOf(copy).deleted;
    const std::string text = "Deleted from " + getWhere() + " on " + Moment::shown(deleted) + ".";
    const std::string damage = _origin->damage(copy);
    if (damage.empty())
        return {text};
    return {text + "\n" + damage + " Forget takes it out of this list.", true};
}

std::string DeletedDatabase::getLabel(const StartupItem& copy)
{
    const DeletedCopy::Name name = DeletedCopy::nameOf(copy);
    return name.name + "   (deleted " + Moment::shown(name.deleted) + ")";
}

} // namespace products::bootwarden::database
