#include "products/bootwarden/database/DataFileCodec.h"

#include "util/LittleEndian.h"

#include <gtest/gtest.h>

#include <sstream>

using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;

namespace {

// Two records written out by hand: type 0 "Tool" -> "C:\t.exe", type 5 "X" -> "".
const std::string TOOL = std::string("\0\0\0\0\x01\0\0\0Tool\0C:\\t.exe\0", 22);
const std::string X = std::string("\x05\0\0\0\x01\0\0\0X\0\0", 11);
const std::string TWO_RECORDS = std::string("\x02\0\0\0", 4) + TOOL + X;

std::string word(std::uint32_t value)
{
    std::string bytes(4, '\0');
    LittleEndian::writeWord(bytes.data(), value);
    return bytes;
}

// Everything decode reads of an item, for comparing lists.
std::vector<std::string> fields(const std::vector<StartupItem>& items)
{
    std::vector<std::string> lines;
    for (const StartupItem& item : items)
        lines.push_back(std::to_string(item.getType()) + "|" + item.getValue() + "|" + std::string(item.getData()) + "|" +
                        std::to_string(item.getValueType()) + "|" + (item.getRawData() ? std::string(*item.getRawData()) : "none"));
    return lines;
}

TEST(DataFileCodecTest, TheCountedRecordsAreTheDocumentedBytes)
{
    EXPECT_EQ(std::string(4, '\0'), DataFileCodec::encode({}));
    const std::vector<StartupItem> items{StartupItem(0, 1, "Tool", "C:\\t.exe"), StartupItem(5, 1, "X", "")};
    EXPECT_EQ(TWO_RECORDS, DataFileCodec::encode(items)) << "text values need no block";
    const DataFileCodec::Contents contents = DataFileCodec::decode(TWO_RECORDS);
    EXPECT_TRUE(contents.complete);
    EXPECT_EQ((std::vector<std::string>{"0|Tool|C:\\t.exe|1|none", "5|X||1|none"}), fields(contents.items));
}

TEST(DataFileCodecTest, TheBlockKeepsValueTypesAndExactBytesBehindTheOldLayout)
{
    const std::vector<StartupItem> items{
        StartupItem(5, 1, "Count", "0x0000002a (42)", 4, std::string("\x2a\0\0\0", 4)),
        StartupItem(0, 1, "", "", 1, std::string()), StartupItem(6, 1, "Old", "o.exe")};
    const std::string bytes = DataFileCodec::encode(items);
    const std::string counted = word(3) + items[0].serialize() + items[1].serialize() + items[2].serialize();
    EXPECT_EQ(counted, bytes.substr(0, counted.size())) << "older readers find what they always found";
    EXPECT_EQ("BWX1", bytes.substr(counted.size(), 4));
    const DataFileCodec::Contents contents = DataFileCodec::decode(bytes);
    EXPECT_TRUE(contents.complete);
    EXPECT_EQ((std::vector<std::string>{"5|Count|0x0000002a (42)|4|" + std::string("\x2a\0\0\0", 4), "0|||1|",
                                        "6|Old|o.exe|1|none"}),
              fields(contents.items));
}

TEST(DataFileCodecTest, EntriesOfLocationsOlderVersionsDoNotKnowLiveInTheBlockAlone)
{
    const std::vector<StartupItem> items{StartupItem(16, 1, "Policy", "p.exe"), StartupItem(5, 1, "X", ""),
                                         StartupItem(11, 1, "View", "v.exe")};
    const std::string bytes = DataFileCodec::encode(items);
    const std::string counted = word(2) + X + StartupItem(0, 1, "View", "v.exe").serialize();
    EXPECT_EQ(counted, bytes.substr(0, counted.size())) << "an older reader sees the 32-bit view's entry as Run's";
    EXPECT_EQ((std::vector<std::string>{"5|X||1|none", "11|View|v.exe|1|none", "16|Policy|p.exe|1|none"}),
              fields(DataFileCodec::decode(bytes).items));
}

// A file is read a piece at a time; records and the block lie across the pieces' edges.
TEST(DataFileCodecTest, AFileLargerThanAPieceIsReadWhole)
{
    std::vector<StartupItem> items;
    for (int i = 0; i < 3000; ++i)
        items.emplace_back(i % 3 ? 5 : 16, 1, "Entry " + std::to_string(i), std::string(i % 97, 'c'), 4,
                           std::string(i % 13, '\x01'));
    items.emplace_back(5, 1, "Long", std::string(300000, 'l')); // longer than a piece
    const std::string bytes = DataFileCodec::encode(items);
    std::size_t offset = 0, calls = 0;
    const DataFileCodec::Contents read = DataFileCodec::decode(
        [&](char* into, std::size_t most) {
            ++calls;
            const std::size_t size = std::min(most, bytes.size() - offset);
            std::copy_n(bytes.data() + offset, size, into);
            offset += size;
            return size;
        },
        bytes.size());
    EXPECT_GT(calls, 2u) << "a piece at a time";
    EXPECT_TRUE(read.complete);
    std::vector<StartupItem> counted, extras; // the file holds the counted records first
    for (const StartupItem& item : items)
        (item.getType() == 16 ? extras : counted).push_back(item);
    counted.insert(counted.end(), extras.begin(), extras.end());
    EXPECT_EQ(fields(counted), fields(read.items));

    const DataFileCodec::Contents half = DataFileCodec::decode(bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(half.complete);
    ASSERT_FALSE(half.items.empty());
    for (std::size_t i = 0; i < half.items.size(); ++i)
        ASSERT_EQ(counted[i].getValue() + "=" + std::string(counted[i].getData()),
                  half.items[i].getValue() + "=" + std::string(half.items[i].getData()))
            << "what lies before the cut is read as it was written (its block is lost)";
}

TEST(DataFileCodecTest, DamagedBytesYieldEveryCompleteValidRecord)
{
    const std::string withBlock =
        DataFileCodec::encode({StartupItem(0, 1, "Tool", "C:\\t.exe", 2, std::string("t")), StartupItem(5, 1, "X", "")});
    const std::pair<std::string, std::vector<std::string>> damaged[] = {
        {"", {}},
        {std::string("\x01\0", 2), {}},
        {std::string("\x03", 1) + TWO_RECORDS.substr(1), {"Tool", "X"}},
        {TWO_RECORDS.substr(0, 4 + 22 + 5), {"Tool"}},
        {TWO_RECORDS.substr(0, TWO_RECORDS.size() - 1), {"Tool"}},
        {std::string("\xff\xff\xff\xff", 4), {}},
        {word(2) + std::string("\0\0\0\0\x00\0\0\0Tool\0a\0", 15) + X, {"X"}},   // enabled
        {word(2) + std::string("\x0b\0\0\0\x01\0\0\0Tool\0a\0", 15) + X, {"X"}}, // no such location
        {word(2) + X + X, {"X"}},                                            // twice
        {word(1) + TOOL + X, {"Tool", "X"}},                                 // beyond the count
        {withBlock.substr(0, withBlock.size() - 1), {"Tool", "X"}},          // block cut short
        {withBlock.substr(0, withBlock.size() - 5) + "?" + withBlock.substr(withBlock.size() - 4), {"Tool", "X"}},
    };
    for (const auto& bytes : damaged) {
        const DataFileCodec::Contents contents = DataFileCodec::decode(bytes.first);
        EXPECT_FALSE(contents.complete) << testing::PrintToString(bytes.first);
        std::vector<std::string> names;
        for (const StartupItem& item : contents.items)
            names.push_back(item.getValue());
        EXPECT_EQ(bytes.second, names) << testing::PrintToString(bytes.first);
    }
}

} // namespace
