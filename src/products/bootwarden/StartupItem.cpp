#include "products/bootwarden/StartupItem.h"

#include "products/bootwarden/StartupConstants.h"
#include "util/Utf8.h"

#include <utility>

using util::Utf8;

namespace products::bootwarden {

namespace {

StartupItem::SharedText owned(std::string text)
{
    if (text.empty())
        return {};
    const auto owner = std::make_shared<const std::string>(std::move(text));
    return {std::shared_ptr<const char>(owner, owner->data()), *owner};
}

} // namespace

StartupItem::StartupItem()
    : _initialState(StartupConstants::ENABLED), _type(0), _state(StartupConstants::ENABLED),
      _valueType(StartupConstants::TEXT_VALUE), _changed(false)
{
}

StartupItem::StartupItem(int type, int state, std::string value, std::string data)
    : StartupItem(type, state, std::move(value), std::move(data), StartupConstants::TEXT_VALUE, std::nullopt)
{
}

StartupItem::StartupItem(int type, int state, std::string value, std::string data, std::uint32_t valueType,
                         std::optional<std::string> rawData)
    : StartupItem(type, state, std::move(value), owned(std::move(data)), valueType,
                  rawData ? std::optional<SharedText>(owned(std::move(*rawData))) : std::nullopt)
{
}

StartupItem::StartupItem(int type, int state, std::string value, SharedText data, std::uint32_t valueType,
                         std::optional<SharedText> rawData)
    : _initialState(state), _type(type), _state(state), _valueType(valueType), _value(std::move(value)),
      _data(std::move(data.block), data.text.data()),
      _raw(rawData ? std::shared_ptr<const char>(std::move(rawData->block), rawData->text.data()) : nullptr),
      _dataSize(static_cast<std::uint32_t>(data.text.size())),
      _rawSize(rawData ? static_cast<std::uint32_t>(rawData->text.size()) : 0), _changed(false),
      _rawKnown(rawData.has_value())
{
}

std::optional<std::string_view> StartupItem::getRawData() const
{
    if (!_rawKnown)
        return std::nullopt;
    return std::string_view(_raw.get(), _rawSize);
}

std::optional<StartupItem::SharedText> StartupItem::getSharedRawData() const
{
    if (!_rawKnown)
        return std::nullopt;
    return SharedText{_raw, std::string_view(_raw.get(), _rawSize)};
}

bool StartupItem::isCommand() const
{
    return _valueType == StartupConstants::TEXT_VALUE || _valueType == StartupConstants::EXPANDABLE_TEXT_VALUE;
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
    return "Type: " + std::to_string(_type) + "\nState: " + std::to_string(_state) + "\nValue: " + _value +
           "\nData: " + std::string(getData());
}

bool StartupItem::operator==(const StartupItem& other) const
{
    return _type == other._type && Utf8::sameName(_value, other._value);
}

std::string StartupItem::identity() const
{
    return std::to_string(_type) + '\0' + Utf8::foldCase(_value);
}

bool StartupItem::sameContents(const StartupItem& other) const
{
    if (_valueType != other._valueType)
        return false;
    if (_rawKnown && other._rawKnown)
        return getRawData() == other.getRawData();
    return getData() == other.getData();
}

} // namespace products::bootwarden
