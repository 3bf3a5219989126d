#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace products::bootwarden::database {

// The items of a registry value that lists several: a multi-string's strings, or the names a
// string holds apart by spaces or commas (AppInit_DLLs). An item is taken out or put in without
// touching the others' bytes, so a list that is as it was is byte for byte as it was. Text is the
// program's UTF-8, which holds any UTF-16 the registry has.
class ValueList {
public:
    // The value's type (REG_MULTI_SZ, or a string type) and its bytes, UTF-16 little-endian.
    ValueList(std::uint32_t type, std::string bytes);

    std::uint32_t type() const { return _type; }
    const std::string& bytes() const { return _bytes; }
    std::vector<std::string> items() const;
    // The first item of that name in any case; none when the list has none.
    std::optional<std::size_t> find(const std::string& item) const;
    // The value's bytes without the item at index, and the separator that went with it.
    std::string without(std::size_t index) const;
    // The value's bytes with item put back where it stood in before, a list that held it: after
    // the nearest item before it that this list holds, else before the nearest one after it, else
    // at the end. When this list is before's without the item, that is before's bytes exactly.
    std::string with(const std::string& item, const ValueList& before) const;

private:
    struct Span {
        std::size_t offset; // in bytes
        std::size_t size;
    };

    bool multiString() const;
    std::string text(const Span& span) const;
    // The separator a string list puts between a new item and its neighbour: its own first one.
    std::string separator() const;
    std::string inserted(const std::string& item, std::size_t offset, bool before) const;
    // Where an item after span would start; where one after the last item would.
    std::size_t after(const Span& span) const;
    std::size_t endOfItems() const;

    std::uint32_t _type;
    std::string _bytes;
    std::vector<Span> _spans;
    // Where the list ends: its last item's terminator in a multi-string, its text's first NUL in
    // a string (the size when there is none).
    std::size_t _end = 0;
    // Whether a multi-string ends with the empty string that ends a list.
    bool _terminated = false;
};

} // namespace products::bootwarden::database
