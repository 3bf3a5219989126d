#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace products::bootwarden {

// One startup entry: a registry value under a Run-family key or a file in a Startup folder.
// The state may differ from the state it was read with while the user has a pending change.
class StartupItem {
public:
    // Text that lies in a block many items share: the entries read from one piece of the data
    // file keep their command lines where they were read, instead of one allocation each.
    struct SharedText {
        std::shared_ptr<const char> block;
        std::string_view text; // within block
    };

    StartupItem();
    StartupItem(int type, int state, std::string value, std::string data);
    // A registry entry as the registry holds it: its value type (REG_SZ and the others) and
    // its exact bytes, which enabling writes back; data is what the user is shown.
    StartupItem(int type, int state, std::string value, std::string data, std::uint32_t valueType,
                std::optional<std::string> rawData);
    StartupItem(int type, int state, std::string value, SharedText data, std::uint32_t valueType,
                std::optional<SharedText> rawData);

    StartupItem(const StartupItem&) = default;
    StartupItem& operator=(const StartupItem&) = default;
    StartupItem(StartupItem&&) noexcept = default;
    StartupItem& operator=(StartupItem&&) noexcept = default;

    int getType() const { return _type; }
    int getState() const { return _state; }
    // The state the entry has in its location, whatever is pending.
    int getInitialState() const { return _initialState; }
    bool isChanged() const { return _changed; }
    const std::string& getValue() const { return _value; }
    std::string_view getData() const { return std::string_view(_data.get(), _dataSize); }
    SharedText getSharedData() const { return {_data, getData()}; }
    std::uint32_t getValueType() const { return _valueType; }
    // The registry's bytes of the value; none when they are not known (records of older files).
    std::optional<std::string_view> getRawData() const;
    std::optional<SharedText> getSharedRawData() const;
    // Whether the data is a command line: a text value, or a file of a Startup folder.
    bool isCommand() const;
    // Switched off in the system's own startup settings, though still in its location.
    bool isDisabledBySystem() const { return _disabledBySystem; }
    // Reads the entry as switched off by the system's startup settings: disabled, nothing pending.
    void markDisabledBySystem();

    void setState(int state);
    // The location now holds the entry in its current state: nothing is pending any more.
    void markApplied();

    // "Type: t\nState: s\nValue: v\nData: d", for error reports.
    std::string toString() const;
    // Same location and a name Windows takes for the same (registry value names and file names
    // match without regard to case); state and data take no part.
    bool operator==(const StartupItem& other) const;
    bool operator!=(const StartupItem& other) const { return !(*this == other); }
    // Same location and byte-identical name.
    bool sameExactName(const StartupItem& other) const { return _type == other._type && _value == other._value; }
    // What equality compares, as one string to index entries by.
    std::string identity() const;
    // The same value type and the same bytes (the command line where older records know no bytes):
    // one entry, not two that share a name.
    bool sameContents(const StartupItem& other) const;

private:
    // A data file of many entries is mostly items, byte for byte, and fresh memory costs more
    // than reading them: the fields are packed without gaps.
    std::int32_t _initialState;
    std::int32_t _type;
    std::int32_t _state;
    std::uint32_t _valueType;
    std::string _value;
    // Each points at its bytes and keeps the block that holds them, which the copies of an item
    // and the entries read with it share.
    std::shared_ptr<const char> _data;
    std::shared_ptr<const char> _raw;
    std::uint32_t _dataSize = 0;
    std::uint32_t _rawSize = 0;
    bool _changed;
    bool _disabledBySystem = false;
    bool _rawKnown = false;
};

} // namespace products::bootwarden
