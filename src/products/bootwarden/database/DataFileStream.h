#pragma once

#include "products/bootwarden/LocationTable.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupItem.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "util/Bytes.h"
#include "util/LittleEndian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace products::bootwarden::database {

// What the data file is read and written with, whatever its parts say: its words and mark, its
// checksum, a writer and a reader that go a piece at a time, and the names seen while reading.
// Defined here, where the codec's loops can take them in whole: the file's load and save are
// measured against a plain read and write.
struct DataFileStream {
    static constexpr std::size_t WORD = 4;
    static constexpr std::size_t RECORD_HEADER_SIZE = 8;
    static constexpr char MARK[] = "BWX1";
    static constexpr std::uint32_t NO_BYTES = 0xFFFFFFFF;

    static constexpr std::uint32_t CHECKSUM_START = 2166136261u;
    // Reading and writing the bytes in pieces needs no buffer of the file's size: fresh memory of
    // that size costs more than the reading or writing itself. A written piece costs a call to the
    // system, so those are larger, as long as they still fit in the cache.
    static constexpr std::size_t PIECE = 65536;
    static constexpr std::size_t WRITTEN_PIECE = 262144;

    // FNV-1a, continued from hash.
    static std::uint32_t checksum(const char* bytes, std::size_t size, std::uint32_t hash = CHECKSUM_START)
    {
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= static_cast<unsigned char>(bytes[i]);
            hash *= 16777619u;
        }
        return hash;
    }

    // Collects bytes and hands them on a piece at a time, taking the checksum of the block's body
    // on the way.
    class Writer {
    public:
        // size: the bytes expected, for a small file's buffer.
        Writer(const DataFileCodec::Write& write, std::size_t size)
            : _write(write), _bytes(std::min(size, WRITTEN_PIECE), '\0')
        {
        }

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
        void word(std::uint32_t value) { filled(util::LittleEndian::writeWord(room(WORD), value)); }

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
            value = util::LittleEndian::readWord(here());
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
            const auto type = static_cast<std::int32_t>(util::LittleEndian::readWord(start));
            const auto state = static_cast<std::int32_t>(util::LittleEndian::readWord(start + WORD));
            // An empty name is a key's default value, which Windows starts like any other.
            const Location* const location = LocationTable::find(type);
            const bool known = location && (anyLocation || location->recordType == type);
            valid = known && state == StartupConstants::DISABLED;
            items.emplace_back(
                type, state, std::string(start + RECORD_HEADER_SIZE, valueEnd - RECORD_HEADER_SIZE),
                StartupItem::SharedText{_window, std::string_view(start + valueEnd + 1, dataEnd - valueEnd - 1)},
                StartupConstants::TEXT_VALUE, std::nullopt);
            _offset += dataEnd + 1;
            return true;
        }

    private:
        static constexpr std::size_t NONE = ~std::size_t(0);
        static inline const DataFileCodec::Read NOTHING_MORE = [](char*, std::size_t) { return std::size_t(0); };

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
                const char* const found = util::Bytes::firstNul(here() + from, _window.get() + _size);
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
                                                         static_cast<std::size_t>(item.getType())) |
                              1u;
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
};

} // namespace products::bootwarden::database
