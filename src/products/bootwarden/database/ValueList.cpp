#include "products/bootwarden/database/ValueList.h"

#include "util/Utf8.h"

using util::Utf8;

namespace products::bootwarden::database {

namespace {

constexpr std::uint32_t MULTI_STRING = 7; // REG_MULTI_SZ

char16_t unitAt(const std::string& bytes, std::size_t offset)
{
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[offset]) |
                                 static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

bool isSeparator(char16_t unit)
{
    return unit == u' ' || unit == u',';
}

void appendUnit(std::string& bytes, char32_t unit)
{
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8 & 0xFF);
}

// The item's UTF-16 bytes; a lone surrogate goes back as the unit it was read from.
std::string unitsOf(const std::string& item)
{
    std::string bytes;
    for (std::size_t i = 0; i < item.size();) {
        const char32_t c = Utf8::next(item, i);
        if (c < 0x10000) {
            appendUnit(bytes, c);
        } else {
            appendUnit(bytes, 0xD800 + ((c - 0x10000) >> 10));
            appendUnit(bytes, 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

const std::string NUL(2, '\0');

} // namespace

ValueList::ValueList(std::uint32_t type, std::string bytes) : _type(type), _bytes(std::move(bytes))
{
    const std::size_t size = _bytes.size() & ~std::size_t(1);
    std::size_t start = 0;
    std::size_t at = 0;
    for (; at < size; at += 2) {
        const char16_t unit = unitAt(_bytes, at);
        if (multiString() ? unit != 0 : unit != 0 && !isSeparator(unit))
            continue;
        if (at > start)
            _spans.push_back({start, at - start});
        else if (multiString()) {
            _terminated = true; // by the empty string that ends the list
            break;
        }
        start = at + 2;
        if (unit == 0 && !multiString())
            break;
    }
    if (at >= size && start < size)
        _spans.push_back({start, size - start});
    _end = std::min(at, _bytes.size());
}

bool ValueList::multiString() const
{
    return _type == MULTI_STRING;
}

std::string ValueList::text(const Span& span) const
{
    std::string text;
    for (std::size_t at = span.offset; at < span.offset + span.size; at += 2) {
        const char32_t unit = unitAt(_bytes, at);
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && at + 2 < span.offset + span.size &&
                          unitAt(_bytes, at + 2) >= 0xDC00 && unitAt(_bytes, at + 2) < 0xE000;
        if (pair) {
            Utf8::append(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(_bytes, at + 2) - 0xDC00));
            at += 2;
        } else {
            Utf8::append(text, unit);
        }
    }
    return text;
}

std::vector<std::string> ValueList::items() const
{
    std::vector<std::string> items;
    for (const Span& span : _spans)
        items.push_back(text(span));
    return items;
}

std::optional<std::size_t> ValueList::find(const std::string& item) const
{
    for (std::size_t i = 0; i < _spans.size(); ++i)
        if (Utf8::sameName(text(_spans[i]), item))
            return i;
    return std::nullopt;
}

std::string ValueList::without(std::size_t index) const
{
    const Span& span = _spans.at(index);
    std::string bytes = _bytes;
    if (multiString())
        return bytes.erase(span.offset, span.size + NUL.size());
    // With the separators after it, or before it when it is the last.
    if (index + 1 < _spans.size())
        return bytes.erase(span.offset, _spans[index + 1].offset - span.offset);
    if (index > 0) {
        const std::size_t from = _spans[index - 1].offset + _spans[index - 1].size;
        return bytes.erase(from, span.offset + span.size - from);
    }
    return bytes.erase(span.offset, span.size);
}

std::string ValueList::separator() const
{
    for (std::size_t at = 0; at + 1 < _end; at += 2)
        if (isSeparator(unitAt(_bytes, at)))
            return _bytes.substr(at, 2);
    return unitsOf(" ");
}

std::string ValueList::inserted(const std::string& item, std::size_t offset, bool before) const
{
    std::string bytes = _bytes;
    if (multiString()) {
        bytes.insert(std::min(offset, bytes.size()), unitsOf(item) + NUL);
        // A list that lacked its final terminator gets one.
        return _terminated ? bytes : bytes + NUL;
    }
    if (_spans.empty())
        return bytes.insert(offset, unitsOf(item) + (_bytes.empty() ? NUL : std::string()));
    return bytes.insert(offset, before ? unitsOf(item) + separator() : separator() + unitsOf(item));
}

std::size_t ValueList::after(const Span& span) const
{
    return span.offset + span.size + (multiString() ? NUL.size() : 0);
}

std::size_t ValueList::endOfItems() const
{
    return _spans.empty() ? (multiString() ? _end : 0) : after(_spans.back());
}

std::string ValueList::with(const std::string& item, const ValueList& before) const
{
    const std::optional<std::size_t> was = before.find(item);
    if (!was)
        return inserted(item, endOfItems(), false);
    if (before.without(*was) == _bytes)
        return before._bytes;
    const std::vector<std::string> neighbours = before.items();
    for (std::size_t i = *was; i-- > 0;)
        if (const std::optional<std::size_t> found = find(neighbours[i])) {
            const Span& span = _spans[*found];
            return inserted(item, after(span), false);
        }
    for (std::size_t i = *was + 1; i < neighbours.size(); ++i)
        if (const std::optional<std::size_t> found = find(neighbours[i]))
            return inserted(item, _spans[*found].offset, true);
    return inserted(item, endOfItems(), false);
}

} // namespace products::bootwarden::database
