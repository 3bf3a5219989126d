#include "products/bootwarden/database/DataFileCodec.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;

namespace {

// Two records written out by hand: type 0 "Tool" -> "C:\t.exe", type 5 "X" -> "".
const std::string TWO_RECORDS = std::string("\x02\0\0\0", 4) +
                                std::string("\0\0\0\0\x01\0\0\0Tool\0C:\\t.exe\0", 22) +
                                std::string("\x05\0\0\0\x01\0\0\0X\0\0", 11);

TEST(DataFileCodecTest, EncodesAndDecodesTheDocumentedBytes)
{
    EXPECT_EQ(std::string(4, '\0'), DataFileCodec::encode({}));
    const std::vector<StartupItem> items{StartupItem(0, 1, "Tool", "C:\\t.exe"), StartupItem(5, 1, "X", "")};
    EXPECT_EQ(TWO_RECORDS, DataFileCodec::encode(items));
    const DataFileCodec::Contents contents = DataFileCodec::decode(TWO_RECORDS + "ignored");
    EXPECT_TRUE(contents.complete);
    ASSERT_EQ(2u, contents.items.size());
    EXPECT_EQ("C:\\t.exe", contents.items[0].getData());
    EXPECT_EQ(5, contents.items[1].getType());
}

TEST(DataFileCodecTest, DamagedBytesYieldTheCompleteRecordsBeforeTheDamage)
{
    AssertionRecorder assertions;
    const std::pair<std::string, std::size_t> damaged[] = {
        {"", 0},
        {std::string("\x01\0", 2), 0},
        {std::string("\x03", 1) + TWO_RECORDS.substr(1), 2},
        {TWO_RECORDS.substr(0, 4 + 22 + 5), 1},
        {TWO_RECORDS.substr(0, 4 + 22 + 9), 1},
        {TWO_RECORDS.substr(0, TWO_RECORDS.size() - 1), 1},
        {std::string("\xff\xff\xff\xff", 4), 0},
    };
    for (const auto& bytes : damaged) {
        const DataFileCodec::Contents contents = DataFileCodec::decode(bytes.first);
        EXPECT_FALSE(contents.complete) << bytes.first.size();
        EXPECT_EQ(bytes.second, contents.items.size()) << bytes.first.size();
    }
}

} // namespace
