#pragma once

#include "products/bootwarden/StartupItem.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace products::bootwarden::database {

// The bytes of the data file: a 32-bit little-endian record count, then that many item
// records back to back, exactly as older versions wrote and read them. What the records cannot
// say follows them in one extension block, which older readers never reach:
//
//   "BWX1"                 the mark
//   length                 of the body, 32-bit little-endian
//   body                   a 32-bit count (= the record count), then for each record in
//                          order: its location type (a record says 0 for the 32-bit view's
//                          Run key, 11 here), its registry value type, the length of its
//                          registry bytes (0xFFFFFFFF: none known) and those bytes;
//                          then a 32-bit count of entries older versions would not know or
//                          would misread (those of the locations added since, and the values
//                          of RunOnceEx's sections), each a record (its type is the location)
//                          followed by the same three fields (a service's bytes are its
//                          start settings; see ServiceDatabase)
//   checksum               FNV-1a (32-bit) of the body
//
// A file without the block is read as before: text values of type REG_SZ. A file whose entries
// need nothing more is written without it.
class DataFileCodec {
public:
    struct Contents {
        std::vector<StartupItem> items;
        // False when the bytes were damaged: cut short, records that are no disabled entry of
        // a known location, entries twice, records beyond the count, or a damaged block. items
        // then holds every complete, valid record.
        bool complete = true;
    };

    using Write = std::function<void(std::string_view piece)>;
    // Hands the next bytes, at most `most`, to `into`; 0 at their end.
    using Read = std::function<std::size_t(char* into, std::size_t most)>;

    static Contents decode(const std::string& bytes);
    // The same, read from size bytes a piece at a time, so that a file of any size is read
    // without a buffer of its size.
    static Contents decode(const Read& read, std::size_t size);
    // Hands the bytes to write a piece at a time, so that a file of any size is written
    // without a buffer of its size.
    static void encode(const std::vector<StartupItem>& items, const Write& write);
    static std::string encode(const std::vector<StartupItem>& items);
};

} // namespace products::bootwarden::database
