#pragma once

#include <cstdint>
#include <string>

namespace products::bootwarden {

// One startup entry: a registry value under a Run-family key or a file in a Startup folder.
// The state may differ from the state it was read with while the user has a pending change.
class StartupItem {
public:
    StartupItem();
    StartupItem(int type, int state, std::string value, std::string data);
    // Reads an item record (see serialize); the whole record must lie in the caller's buffer.
    explicit StartupItem(const char* rawdata);
    virtual ~StartupItem() = default;

    StartupItem(const StartupItem&) = default;
    StartupItem& operator=(const StartupItem&) = default;

    int getType() const { return _type; }
    int getState() const { return _state; }
    bool isChanged() const { return _changed; }
    std::string getValue() const { return _value; }
    std::string getData() const { return _data; }

    void setState(int state);

    // "Type: t\nState: s\nValue: v\nData: d", for error reports.
    std::string toString() const;
    // The record of a disabled item: type and state as 32-bit little-endian words, then the
    // value and the data, each followed by one NUL byte.
    std::string serialize() const;
    // The length of this item's record: 10 + value length + data length.
    std::size_t recordSize() const;

    // Same type and byte-identical value; state and data take no part.
    bool operator==(const StartupItem& other) const;
    bool operator!=(const StartupItem& other) const { return !(*this == other); }

private:
    std::int32_t _initialState;
    std::int32_t _type;
    std::int32_t _state;
    std::string _value;
    std::string _data;
    bool _changed;
};

} // namespace products::bootwarden
