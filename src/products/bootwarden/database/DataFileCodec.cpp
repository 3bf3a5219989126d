#include "products/bootwarden/database/DataFileCodec.h"

#include "products/bootwarden/database/DataFileStream.h"

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

using util::Bytes;
using util::LittleEndian;
using util::assertion::check;

namespace products::bootwarden::database {

namespace {

using Stream = DataFileStream;
using Writer = Stream::Writer;
using Reader = Stream::Reader;
using SeenNames = Stream::SeenNames;

const char* const SOURCE = "products/bootwarden/database/DataFileCodec";

// The length of an entry's record: its type and state, then its name and its command line, each
// followed by one NUL.
std::size_t recordSize(const StartupItem& item)
{
    return Stream::RECORD_HEADER_SIZE + item.getValue().size() + item.getData().size() + 2;
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
    if (size == Stream::NO_BYTES)
        return true;
    StartupItem::SharedText raw;
    if (!fields.shared(size, raw))
        return false;
    entry.rawData = std::move(raw);
    return true;
}

void writeValue(Writer& out, const StartupItem& item)
{
    out.word(item.getValueType());
    const std::optional<std::string_view> raw = item.getRawData();
    out.word(raw ? static_cast<std::uint32_t>(raw->size()) : Stream::NO_BYTES);
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
    std::size_t size = 2 * Stream::WORD;
    for (const StartupItem& item : items)
        size += (isExtra(item) ? recordSize(item) + 2 * Stream::WORD : 3 * Stream::WORD) +
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
    if (!reader.bytes(Stream::WORD, mark) || !reader.word(length) || !reader.shared(length, body) ||
        !reader.word(sum) || Stream::checksum(body.text.data(), body.text.size()) != sum)
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
    std::size_t extras = 0, recordBytes = Stream::WORD;
    bool plain = true;
    for (const StartupItem& item : items) {
        extras += isExtra(item) ? 1 : 0;
        recordBytes += recordSize(item);
        plain = plain && !isExtra(item) && item.getType() < StartupConstants::MAX_TYPES &&
                item.getValueType() == StartupConstants::TEXT_VALUE && !item.getRawData();
    }
    Writer out(write, recordBytes);
    out.word(static_cast<std::uint32_t>(items.size() - extras));
    for (const StartupItem& item : items)
        if (!isExtra(item))
            out.filled(writeRecord(out.room(recordSize(item)), item, LocationTable::recordType(item.getType())));
    if (plain) {
        out.flush(); // what older versions wrote, to the byte
        return;
    }
    out.filled(std::copy_n(Stream::MARK, Stream::WORD, out.room(Stream::WORD)));
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
