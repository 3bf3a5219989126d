#pragma once

#include "products/bootwarden/StartupItem.h"

#include <string>
#include <vector>

namespace products::bootwarden::database {

// The bytes of the data file: a 32-bit little-endian record count, then that many item
// records back to back. Bytes after the last counted record are ignored.
class DataFileCodec {
public:
    struct Contents {
        std::vector<StartupItem> items;
        // False when the bytes end before the count and its records do; items then holds
        // the complete records before the damage.
        bool complete = true;
    };

    static Contents decode(const std::string& bytes);
    static std::string encode(const std::vector<StartupItem>& items);
};

} // namespace products::bootwarden::database
