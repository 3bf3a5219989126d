#include "products/bootwarden/StartupItem.h"

#include "products/bootwarden/StartupConstants.h"
#include "util/Bytes.h"
#include "util/LittleEndian.h"
#include "util/Utf8.h"
#include "util/assertion/Assertion.h"

#include <cstring>
#include <utility>

namespace products::bootwarden {

namespace {

const char* const SOURCE = "products/bootwarden/StartupItem";

// Copies text up to its first NUL and that NUL: whatever a text holds, its record stays readable.
// Eight bytes go at a time while none of them is NUL.
char* writeText(char* out, std::string_view text)
{
    const char* in = text.data();
    const char* const end = in + text.size();
    for (; end - in >= 8; in += 8, out += 8) {
        std::uint64_t eight;
        std::memcpy(&eight, in, 8);
        if (Bytes::hasNul(eight))
            break;
        std::memcpy(out, &eight, 8);
    }
    while (in != end && *in != '\0')
        *out++ = *in++;
    *out++ = '\0';
    return out;
}

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
    const SharedText data = owned(rawdata + 8 + _value.size() + 1);
    _data = std::shared_ptr<const char>(data.block, data.text.data());
    _dataSize = static_cast<std::uint32_t>(data.text.size());
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
           "\nValue: " + _value + "\nData: " + std::string(getData());
}

std::size_t StartupItem::recordSize() const
{
    return _value.size() + _dataSize + 10;
}

std::string StartupItem::serialize() const
{
    std::string record(recordSize(), '\0');
    record.resize(static_cast<std::size_t>(writeRecord(record.data()) - record.data()));
    return record;
}

char* StartupItem::writeRecord(char* out) const
{
    // An empty name is a key's default value: a real entry, written as an empty text.
    check(_state == StartupConstants::DISABLED, "_state == StartupConstants::DISABLED", SOURCE, __LINE__);
    char* const start = out;
    // A location older versions do not know is named as itself; such records go where they
    // never look.
    const std::int32_t recordType = StartupConstants::recordType(_type);
    out = LittleEndian::writeWord(out, static_cast<std::uint32_t>(recordType == StartupConstants::NO_RECORD ? _type : recordType));
    out = LittleEndian::writeWord(out, static_cast<std::uint32_t>(_state));
    out = writeText(writeText(out, _value), getData());
    check(static_cast<std::size_t>(out - start) == recordSize(), "mem - start == size", SOURCE, __LINE__);
    return out;
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
