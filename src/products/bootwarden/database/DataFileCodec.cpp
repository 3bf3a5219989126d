#include "products/bootwarden/database/DataFileCodec.h"

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "util/Bytes.h"
#include "util/LittleEndian.h"
#include "util/assertion/Assertion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

namespace products::bootwarden::database {

namespace {

const char* const SOURCE = "products/bootwarden/database/DataFileCodec";

const std::size_t WORD = 4;
const std::size_t RECORD_HEADER_SIZE = 8;
const char MARK[] = "BWX1";
const std::uint32_t NO_BYTES = 0xFFFFFFFF;

const std::uint32_t CHECKSUM_START = 2166136261u;
// Reading and writing the bytes in pieces needs no buffer of the file's size: fresh memory of
// that size costs more than the reading or writing itself. A written piece costs a call to the
// system, so those are larger, as long as they still fit in the cache.
const std::size_t PIECE = 65536;
const std::size_t WRITTEN_PIECE = 262144;

// FNV-1a, continued from hash.
std::uint32_t checksum(const char* bytes, std::size_t size, std::uint32_t hash = CHECKSUM_START)
{
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 16777619u;
    }
    return hash;
}

// The length of an entry's record: its type and state, then its name and its command line, each
// followed by one NUL.
std::size_t recordSize(const StartupItem& item)
{
    return RECORD_HEADER_SIZE + item.getValue().size() + item.getData().size() + 2;
}

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

// Writes the record of a disabled entry at out, which has room for recordSize(item) bytes, with
// the type it carries; returns its end.
char* writeRecord(char* out, const StartupItem& item, std::int32_t type)
{
    check(item.getState() == StartupConstants::DISABLED, "item.getState() == StartupConstants::DISABLED", SOURCE,
          __LINE__);
    char* const start = out;
    out = LittleEndian::writeWord(out, static_cast<std::uint32_t>(type));
    out = LittleEndian::writeWord(out, static_cast<std::uint32_t>(item.getState()));
    out = writeText(writeText(out, item.getValue()), item.getData());
    // Shorter when a text held a NUL.
    check(static_cast<std::size_t>(out - start) == recordSize(item), "the whole text written", SOURCE, __LINE__);
    return out;
}

// Collects bytes and hands them on a piece at a time, taking the checksum of the block's body
// on the way.
class Pieces {
public:
    // size: the bytes expected, for a small file's buffer.
    Pieces(const DataFileCodec::Write& write, std::size_t size) : _write(write), _bytes(std::min(size, WRITTEN_PIECE), '\0') {}

    // Room for size bytes at the end of the piece, which go on once filled says where they end.
    char* room(std::size_t size)
    {
        if (_used + size > _bytes.size()) {
            flush();
            if (size > _bytes.size())
                _bytes.resize(size);
        }
        return _bytes.data() + _used;
    }
    void filled(const char* end) { _used = static_cast<std::size_t>(end - _bytes.data()); }
    void word(std::uint32_t value) { filled(LittleEndian::writeWord(room(WORD), value)); }

    void flush()
    {
        if (_used == 0)
            return;
        if (_summing)
            _sum = checksum(_bytes.data(), _used, _sum);
        _write(std::string_view(_bytes.data(), _used));
        _used = 0;
    }
    void startChecksum()
    {
        flush();
        _summing = true;
        _sum = CHECKSUM_START;
    }
    std::uint32_t endChecksum()
    {
        flush();
        _summing = false;
        return _sum;
    }

private:
    const DataFileCodec::Write& _write;
    std::string _bytes;
    std::size_t _used = 0;
    bool _summing = false;
    std::uint32_t _sum = CHECKSUM_START;
};

// Reads the parts of the file one after the other, never past its end, a window at a time: a
// file of any size needs no buffer of its size. Each window is a block of its own that the
// entries read from it share for their command lines.
class Reader {
public:
    // size: the bytes there are to read, as far as is known.
    Reader(const DataFileCodec::Read& read, std::size_t size) : _read(read), _unread(size) {}
    // Reads bytes that another reader has read already, where they lie.
    explicit Reader(const StartupItem::SharedText& bytes)
        : _read(NOTHING_MORE), _window(bytes.block, bytes.text.data()), _size(bytes.text.size())
    {
    }

    bool atEnd() { return !has(1); }
    bool atMark() { return has(WORD) && std::memcmp(here(), MARK, WORD) == 0; }

    bool word(std::uint32_t& value)
    {
        if (!has(WORD))
            return false;
        value = LittleEndian::readWord(here());
        _offset += WORD;
        return true;
    }

    bool bytes(std::size_t size, std::string& value)
    {
        if (!has(size))
            return false;
        value.assign(here(), size);
        _offset += size;
        return true;
    }

    // The same bytes where they were read, in the block the entries read with them share.
    bool shared(std::size_t size, StartupItem::SharedText& value)
    {
        if (!has(size))
            return false;
        value = {_window, std::string_view(here(), size)};
        _offset += size;
        return true;
    }

    // Appends the next record to items, when it is whole; valid when it is a disabled entry of
    // a known location (in the block, of any location). Made where it stays: moving a hundred
    // thousand entries once more costs as much as reading them.
    bool record(std::vector<StartupItem>& items, bool& valid, bool anyLocation = false)
    {
        if (!has(RECORD_HEADER_SIZE))
            return false;
        const std::size_t valueEnd = nul(RECORD_HEADER_SIZE);
        if (valueEnd == NONE)
            return false;
        const std::size_t dataEnd = nul(valueEnd + 1);
        if (dataEnd == NONE)
            return false;
        const char* const start = here();
        const auto type = static_cast<std::int32_t>(LittleEndian::readWord(start));
        const auto state = static_cast<std::int32_t>(LittleEndian::readWord(start + WORD));
        // An empty name is a key's default value, which Windows starts like any other.
        const Location* const location = LocationTable::find(type);
        const bool known = location && (anyLocation || location->recordType == type);
        valid = known && state == StartupConstants::DISABLED;
        items.emplace_back(type, state, std::string(start + RECORD_HEADER_SIZE, valueEnd - RECORD_HEADER_SIZE),
                           StartupItem::SharedText{_window, std::string_view(start + valueEnd + 1, dataEnd - valueEnd - 1)},
                           StartupConstants::TEXT_VALUE, std::nullopt);
        _offset += dataEnd + 1;
        return true;
    }

private:
    static constexpr std::size_t NONE = ~std::size_t(0);
    static const DataFileCodec::Read NOTHING_MORE;

    const char* here() const { return _window.get() + _offset; }

    // Whether size bytes are there to read.
    bool has(std::size_t size)
    {
        while (_size - _offset < size)
            if (!more(size))
                return false;
        return true;
    }

    // Where the first NUL at or after from lies, counted from the reading point; NONE when the
    // file ends first.
    std::size_t nul(std::size_t from)
    {
        for (;;) {
            const char* const found = Bytes::firstNul(here() + from, _window.get() + _size);
            if (found)
                return static_cast<std::size_t>(found - here());
            from = _size - _offset;
            if (!more())
                return NONE;
        }
    }

    // Reads the next piece, and at least what makes wanted bytes, into a new window that starts
    // with what is left of this one (the entries read so far keep this one): a part of any
    // size is copied once. False at the end. A window is filled, never cleared first: the
    // file's bytes are all it holds.
    bool more(std::size_t wanted = 0)
    {
        if (_ended)
            return false;
        // A damaged length asks for more than there is; the room never exceeds what is left.
        const std::size_t kept = _size - _offset;
        const std::size_t room = kept + std::max(PIECE, std::min(wanted > kept ? wanted - kept : 0, _unread));
        std::shared_ptr<char> next(new char[room], std::default_delete<char[]>());
        std::copy_n(here(), kept, next.get());
        std::size_t filled = kept;
        for (std::size_t read = 1; read != 0 && filled < std::max(kept + 1, wanted);)
            filled += read = _read(next.get() + filled, room - filled);
        _window = std::move(next);
        _unread -= std::min(_unread, filled - kept);
        _ended = filled == kept;
        _size = filled;
        _offset = 0;
        return !_ended;
    }

    const DataFileCodec::Read& _read;
    std::size_t _unread = 0;
    bool _ended = false;
    std::shared_ptr<const char> _window;
    std::size_t _size = 0;
    std::size_t _offset = 0;
};

const DataFileCodec::Read Reader::NOTHING_MORE = [](char*, std::size_t) { return std::size_t(0); };

// Reads bytes that are in memory already.
DataFileCodec::Read reading(const std::string& bytes)
{
    return [&bytes, offset = std::size_t(0)](char* into, std::size_t most) mutable {
        const std::size_t size = std::min(most, bytes.size() - offset);
        std::copy_n(bytes.data() + offset, size, into);
        offset += size;
        return size;
    };
}

// The entries kept so far, to find a name seen before in its location (exactly: older versions
// stored names that differ in case only as entries of their own). One flat table of hashes and
// places: a look at one slot per entry, where a table of nodes costs three.
class SeenNames {
public:
    SeenNames(const std::vector<StartupItem>& items, std::size_t count) : _items(items)
    {
        // At most four slots in five taken: probes stay short, and the table small.
        std::size_t size = 16;
        while (size < count + count / 4)
            size *= 2;
        _slots.resize(size);
    }

    // Whether an entry like items[index] was added before; adds it when not.
    bool seenBefore(std::size_t index)
    {
        const StartupItem& item = _items[index];
        const auto hash = static_cast<std::uint32_t>(std::hash<std::string>()(item.getValue()) * 31 +
                                                     static_cast<std::size_t>(item.getType())) | 1u;
        for (std::size_t slot = hash & (_slots.size() - 1);; slot = (slot + 1) & (_slots.size() - 1)) {
            Slot& seen = _slots[slot];
            if (seen.hash == 0) {
                seen = {hash, static_cast<std::uint32_t>(index)};
                return false;
            }
            if (seen.hash == hash && _items[seen.index].sameExactName(item))
                return true;
        }
    }

private:
    struct Slot {
        std::uint32_t hash; // 0: empty; never 0 otherwise
        std::uint32_t index;
    };

    const std::vector<StartupItem>& _items;
    std::vector<Slot> _slots;
};

struct Extension {
    std::uint32_t location;
    std::uint32_t valueType;
    std::optional<StartupItem::SharedText> rawData;
};

// The value type and registry bytes that follow a location or an entry in the block.
bool readValue(Reader& fields, Extension& entry)
{
    std::uint32_t size = 0;
    if (!fields.word(entry.valueType) || !fields.word(size))
        return false;
    if (size == NO_BYTES)
        return true;
    StartupItem::SharedText raw;
    if (!fields.shared(size, raw))
        return false;
    entry.rawData = std::move(raw);
    return true;
}

void writeValue(Pieces& out, const StartupItem& item)
{
    out.word(item.getValueType());
    const std::optional<std::string_view> raw = item.getRawData();
    out.word(raw ? static_cast<std::uint32_t>(raw->size()) : NO_BYTES);
    if (raw)
        out.filled(std::copy(raw->begin(), raw->end(), out.room(raw->size())));
}

// An entry of a location older versions do not know, or that they would misread (a value of a
// section of RunOnceEx, which they would write into the key itself): it has no record of its own.
bool isExtra(const StartupItem& item)
{
    const Location* location = LocationTable::find(item.getType());
    return !location || location->recordType == StartupConstants::NO_RECORD ||
           (location->layout == Location::Layout::Sections && item.getValue().find('\\') != std::string::npos);
}

// The length of the block's body for these entries, as encode writes it.
std::size_t bodySize(const std::vector<StartupItem>& items)
{
    std::size_t size = 2 * WORD;
    for (const StartupItem& item : items)
        size += (isExtra(item) ? recordSize(item) + 2 * WORD : 3 * WORD) +
                (item.getRawData() ? item.getRawData()->size() : 0);
    return size;
}

// The block's entries, one per counted record, and the entries of locations that have no
// record; false when it is damaged.
bool readExtension(Reader& reader, std::size_t records, std::vector<Extension>& entries,
                   std::vector<StartupItem>& extras)
{
    std::string mark;
    StartupItem::SharedText body;
    std::uint32_t length = 0, sum = 0;
    if (!reader.bytes(WORD, mark) || !reader.word(length) || !reader.shared(length, body) || !reader.word(sum) ||
        checksum(body.text.data(), body.text.size()) != sum)
        return false;
    // The registry bytes of the entries stay where they were read.
    Reader fields(body);
    std::uint32_t count = 0;
    if (!fields.word(count) || count != records)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        Extension entry{};
        if (!fields.word(entry.location) || !LocationTable::find(static_cast<int>(entry.location)) ||
            !readValue(fields, entry))
            return false;
        entries.push_back(std::move(entry));
    }
    std::uint32_t extraCount = 0;
    if (!fields.word(extraCount))
        return false;
    for (std::uint32_t i = 0; i < extraCount; ++i) {
        std::vector<StartupItem> read;
        bool ok = false;
        Extension value{};
        if (!fields.record(read, ok, true) || !readValue(fields, value) || !ok || !isExtra(read.back()))
            return false;
        const StartupItem& item = read.back();
        extras.emplace_back(LocationTable::owner(item.getType()), item.getState(), item.getValue(),
                            item.getSharedData(), value.valueType, std::move(value.rawData));
    }
    return fields.atEnd();
}

DataFileCodec::Contents readContents(Reader& reader, std::size_t size)
{
    DataFileCodec::Contents contents;
    std::uint32_t count = 0;
    if (!reader.word(count)) {
        contents.complete = false;
        return contents;
    }
    // Every counted record, valid or not, has its place in the block.
    // A record takes ten bytes at least, whatever a damaged count says.
    const std::size_t expected = std::min<std::size_t>(count, size / 10);
    std::vector<StartupItem> records;
    std::vector<bool> valid;
    records.reserve(expected);
    valid.reserve(expected);
    for (std::uint32_t i = 0; i < count; ++i) {
        bool ok = false;
        if (!reader.record(records, ok)) {
            contents.complete = false;
            break;
        }
        valid.push_back(ok);
    }
    std::vector<Extension> extension;
    std::vector<StartupItem> extras;
    if (contents.complete && reader.atMark() && !readExtension(reader, records.size(), extension, extras)) {
        contents.complete = false;
        extension.clear();
        extras.clear();
    }
    // Records an older version wrote past its count are entries too.
    if (contents.complete && extension.empty()) {
        bool ok = false;
        while (!reader.atMark() && reader.record(records, ok)) {
            valid.push_back(ok);
            contents.complete = false;
        }
    }
    for (StartupItem& extra : extras) {
        records.push_back(std::move(extra));
        valid.push_back(true);
    }
    // The entries kept are moved to the front in place; a name seen before in its location is
    // found among them without copying a single name.
    SeenNames kept(records, records.size());
    std::size_t keptCount = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        StartupItem& item = records[i];
        if (i < extension.size() &&
            LocationTable::recordType(static_cast<int>(extension[i].location)) == item.getType())
            item = StartupItem(static_cast<int>(extension[i].location), item.getState(), item.getValue(),
                               item.getSharedData(), extension[i].valueType, std::move(extension[i].rawData));
        if (!valid[i]) {
            contents.complete = false;
            continue;
        }
        if (keptCount != i)
            records[keptCount] = std::move(item);
        if (!kept.seenBefore(keptCount))
            ++keptCount;
        else
            contents.complete = false;
    }
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(keptCount), records.end());
    contents.items = std::move(records);
    return contents;
}

} // namespace

DataFileCodec::Contents DataFileCodec::decode(const std::string& bytes)
{
    return decode(reading(bytes), bytes.size());
}

DataFileCodec::Contents DataFileCodec::decode(const Read& read, std::size_t size)
{
    Reader reader(read, size);
    return readContents(reader, size);
}

void DataFileCodec::encode(const std::vector<StartupItem>& items, const Write& write)
{
    // One look at every entry before the first byte: the file starts with the record count, and
    // the entries are many.
    std::size_t extras = 0, recordBytes = WORD;
    bool plain = true;
    for (const StartupItem& item : items) {
        extras += isExtra(item) ? 1 : 0;
        recordBytes += recordSize(item);
        plain = plain && !isExtra(item) && item.getType() < StartupConstants::MAX_TYPES &&
                item.getValueType() == StartupConstants::TEXT_VALUE && !item.getRawData();
    }
    Pieces out(write, recordBytes);
    out.word(static_cast<std::uint32_t>(items.size() - extras));
    for (const StartupItem& item : items)
        if (!isExtra(item))
            out.filled(writeRecord(out.room(recordSize(item)), item, LocationTable::recordType(item.getType())));
    if (plain) {
        out.flush(); // what older versions wrote, to the byte
        return;
    }
    out.filled(std::copy_n(MARK, WORD, out.room(WORD)));
    out.word(static_cast<std::uint32_t>(bodySize(items)));
    out.startChecksum();
    out.word(static_cast<std::uint32_t>(items.size() - extras));
    for (const StartupItem& item : items)
        if (!isExtra(item)) {
            out.word(static_cast<std::uint32_t>(item.getType()));
            writeValue(out, item);
        }
    out.word(static_cast<std::uint32_t>(extras));
    for (const StartupItem& item : items)
        if (isExtra(item)) {
            // The block names the location itself.
            out.filled(writeRecord(out.room(recordSize(item)), item, item.getType()));
            writeValue(out, item);
        }
    const std::uint32_t sum = out.endChecksum();
    out.word(sum);
    out.flush();
}

std::string DataFileCodec::encode(const std::vector<StartupItem>& items)
{
    std::string bytes;
    encode(items, [&bytes](std::string_view piece) { bytes += piece; });
    return bytes;
}

} // namespace products::bootwarden::database
