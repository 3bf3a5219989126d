#include "products/bootwarden/StartupItem.h"

#include "products/bootwarden/StartupConstants.h"
#include "util/LittleEndian.h"
#include "util/assertion/Assertion.h"

#include <cstring>
#include <utility>

namespace products::bootwarden {

namespace {

const char* const SOURCE = "products/bootwarden/StartupItem";

} // namespace

StartupItem::StartupItem()
    : _initialState(StartupConstants::ENABLED), _type(0), _state(StartupConstants::ENABLED),
      _changed(false), _valueType(StartupConstants::TEXT_VALUE)
{
}

StartupItem::StartupItem(int type, int state, std::string value, std::string data)
    : StartupItem(type, state, std::move(value), std::move(data), StartupConstants::TEXT_VALUE, std::nullopt)
{
}

StartupItem::StartupItem(int type, int state, std::string value, std::string data, std::uint32_t valueType,
                         std::optional<std::string> rawData)
    : _initialState(state), _type(type), _state(state), _value(std::move(value)), _data(std::move(data)),
      _changed(false), _valueType(valueType),
      _rawData(rawData ? std::make_shared<const std::string>(std::move(*rawData)) : nullptr)
{
}

bool StartupItem::isCommand() const
{
    return _valueType == StartupConstants::TEXT_VALUE || _valueType == StartupConstants::EXPANDABLE_TEXT_VALUE;
}

StartupItem::StartupItem(const char* rawdata) : StartupItem()
{
    if (!check(rawdata != nullptr, "rawdata", SOURCE, __LINE__))
        return;
    _type = static_cast<std::int32_t>(LittleEndian::readWord(rawdata));
    check(_type < StartupConstants::MAX_TYPES, "_type < StartupConstants::MAX_TYPES", SOURCE, __LINE__);
    _state = static_cast<std::int32_t>(LittleEndian::readWord(rawdata + 4));
    check(_state == StartupConstants::DISABLED, "_state == StartupConstants::DISABLED", SOURCE, __LINE__);
    _value = rawdata + 8;
    check(_value.size() > 0, "_value.size() > 0", SOURCE, __LINE__);
    _data = rawdata + 8 + _value.size() + 1;
    _initialState = _state;
    _changed = false;
}

void StartupItem::setState(int state)
{
    _state = state;
    _changed = _state != _initialState;
}

void StartupItem::markDisabledBySystem()
{
    _state = _initialState = StartupConstants::DISABLED;
    _changed = false;
    _disabledBySystem = true;
}

void StartupItem::markApplied()
{
    _initialState = _state;
    _changed = false;
}

std::string StartupItem::toString() const
{
    return "Type: " + std::to_string(_type) + "\nState: " + std::to_string(_state) +
           "\nValue: " + _value + "\nData: " + _data;
}

std::size_t StartupItem::recordSize() const
{
    return _value.size() + _data.size() + 10;
}

std::string StartupItem::serialize() const
{
    std::string record;
    record.reserve(recordSize());
    appendRecord(record);
    return record;
}

void StartupItem::appendRecord(std::string& bytes) const
{
    // An empty name is a key's default value: a real entry, written as an empty text.
    check(_state == StartupConstants::DISABLED, "_state == StartupConstants::DISABLED", SOURCE, __LINE__);
    const std::size_t start = bytes.size();
    // A location older versions do not know is named as itself; such records go where they
    // never look.
    const std::int32_t recordType = StartupConstants::recordType(_type);
    LittleEndian::appendWord(bytes, static_cast<std::uint32_t>(recordType == StartupConstants::NO_RECORD ? _type : recordType));
    LittleEndian::appendWord(bytes, static_cast<std::uint32_t>(_state));
    bytes.append(_value.c_str(), std::strlen(_value.c_str()) + 1);
    bytes.append(_data.c_str(), std::strlen(_data.c_str()) + 1);
    check(bytes.size() - start == recordSize(), "mem - start == size", SOURCE, __LINE__);
}

bool StartupItem::operator==(const StartupItem& other) const
{
    return _type == other._type && _value == other._value;
}

} // namespace products::bootwarden
