#include "products/bootwarden/database/DataFileCodec.h"

#include "util/LittleEndian.h"

#include <cstdint>

namespace products::bootwarden::database {

namespace {

const std::size_t COUNT_SIZE = 4;
const std::size_t RECORD_HEADER_SIZE = 8;

// The record at offset is whole when its value and data terminators both lie inside the
// bytes; only then may the record constructor, which takes no length, read it.
bool recordIsWhole(const std::string& bytes, std::size_t offset)
{
    if (bytes.size() - offset < RECORD_HEADER_SIZE)
        return false;
    const std::size_t valueEnd = bytes.find('\0', offset + RECORD_HEADER_SIZE);
    return valueEnd != std::string::npos && bytes.find('\0', valueEnd + 1) != std::string::npos;
}

} // namespace

DataFileCodec::Contents DataFileCodec::decode(const std::string& bytes)
{
    Contents contents;
    if (bytes.size() < COUNT_SIZE) {
        contents.complete = false;
        return contents;
    }
    const std::uint32_t count = LittleEndian::readWord(bytes.data());
    std::size_t offset = COUNT_SIZE;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!recordIsWhole(bytes, offset)) {
            contents.complete = false;
            break;
        }
        StartupItem item(bytes.data() + offset);
        offset += item.recordSize();
        contents.items.push_back(item);
    }
    return contents;
}

std::string DataFileCodec::encode(const std::vector<StartupItem>& items)
{
    std::string bytes;
    LittleEndian::appendWord(bytes, static_cast<std::uint32_t>(items.size()));
    for (const StartupItem& item : items)
        bytes += item.serialize();
    return bytes;
}

} // namespace products::bootwarden::database
