#include "products/bootwarden/database/DeletedCopy.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"

namespace products::bootwarden::database {

bool DeletedCopy::isMoment(const std::string& text)
{
    if (text.size() != MOMENT_SIZE || text[8] != 'T' || text[15] != '.' || text[19] != 'Z')
        return false;
    for (std::size_t i = 0; i < MOMENT_SIZE; ++i)
        if (i != 8 && i != 15 && i != 19 && (text[i] < '0' || text[i] > '9'))
            return false;
    return true;
}

std::string DeletedCopy::isoForm(const std::string& moment)
{
    if (!isMoment(moment))
        return std::string();
    return moment.substr(0, 4) + "-" + moment.substr(4, 2) + "-" + moment.substr(6, 5) + ":" + moment.substr(11, 2) +
           ":" + moment.substr(13);
}

StartupItem DeletedCopy::of(const StartupItem& entry, const std::string& deleted)
{
    const bool disabled = entry.getInitialState() == StartupConstants::DISABLED && !entry.isDisabledBySystem();
    return StartupItem(StartupConstants::DELETED_FROM + entry.getType(), StartupConstants::DISABLED,
                       deleted + (disabled ? "!" : "|") + entry.getValue(), entry.getSharedData(), entry.getValueType(),
                       entry.getSharedRawData());
}

DeletedCopy::Name DeletedCopy::nameOf(const StartupItem& copy)
{
    const std::string& value = copy.getValue();
    if (copy.getType() == StartupConstants::DELETED_TASKS || value.size() <= MOMENT_SIZE ||
        (value[MOMENT_SIZE] != '|' && value[MOMENT_SIZE] != '!') || !isMoment(value.substr(0, MOMENT_SIZE)))
        return {std::string(), value};
    return {value.substr(0, MOMENT_SIZE), value.substr(MOMENT_SIZE + 1), value[MOMENT_SIZE] == '!'};
}

StartupItem DeletedCopy::entryOf(const StartupItem& copy)
{
    return StartupItem(LocationTable::deletedFrom(copy.getType()), StartupConstants::DISABLED, nameOf(copy).name,
                       copy.getSharedData(), copy.getValueType(), copy.getSharedRawData());
}

} // namespace products::bootwarden::database
