#include "products/bootwarden/database/DataFileCodec.h"

#include "products/bootwarden/StartupConstants.h"
#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;

namespace {

const int DISABLED = StartupConstants::DISABLED;

// Two records written out by hand: type 0 "Tool" -> "C:\t.exe", type 5 "X" -> "".
const std::string TWO_RECORDS = std::string("\x02\0\0\0", 4) +
                                std::string("\0\0\0\0\x01\0\0\0Tool\0C:\\t.exe\0", 22) +
                                std::string("\x05\0\0\0\x01\0\0\0X\0\0", 11);

TEST(DataFileCodecTest, EncodesToTheDocumentedBytes)
{
    EXPECT_EQ(std::string(4, '\0'), DataFileCodec::encode({}));
    EXPECT_EQ(TWO_RECORDS, DataFileCodec::encode({StartupItem(0, DISABLED, "Tool", "C:\\t.exe"),
                                                  StartupItem(5, DISABLED, "X", "")}));
}

TEST(DataFileCodecTest, DecodesHandWrittenBytesInFileOrder)
{
    const DataFileCodec::Contents contents = DataFileCodec::decode(TWO_RECORDS);
    EXPECT_TRUE(contents.complete);
    ASSERT_EQ(2u, contents.items.size());
    EXPECT_EQ("Tool", contents.items[0].getValue());
    EXPECT_EQ("C:\\t.exe", contents.items[0].getData());
    EXPECT_EQ(5, contents.items[1].getType());
    EXPECT_EQ(DISABLED, contents.items[1].getState());
}

TEST(DataFileCodecTest, BytesAfterTheCountedRecordsAreIgnored)
{
    const DataFileCodec::Contents contents =
        DataFileCodec::decode(std::string("\0\0\0\0garbage", 11));
    EXPECT_TRUE(contents.complete);
    EXPECT_TRUE(contents.items.empty());
}

struct Damage {
    const char* name;
    std::string bytes;
    std::size_t completeRecords;
};

class DataFileCodecDamageTest : public testing::TestWithParam<Damage> {};

TEST_P(DataFileCodecDamageTest, YieldsTheCompleteRecordsBeforeTheDamage)
{
    AssertionRecorder assertions;
    const DataFileCodec::Contents contents = DataFileCodec::decode(GetParam().bytes);
    EXPECT_FALSE(contents.complete);
    EXPECT_EQ(GetParam().completeRecords, contents.items.size());
    if (!contents.items.empty()) {
        EXPECT_EQ("Tool", contents.items[0].getValue());
    }
}

INSTANTIATE_TEST_SUITE_P(
    DamagedFiles, DataFileCodecDamageTest,
    testing::Values(Damage{"Empty", "", 0}, Damage{"ShortCount", std::string("\x01\0", 2), 0},
                    Damage{"CountTooHigh", std::string("\x03", 1) + TWO_RECORDS.substr(1), 2},
                    Damage{"HeaderCut", TWO_RECORDS.substr(0, 4 + 22 + 5), 1},
                    Damage{"ValueUnterminated", TWO_RECORDS.substr(0, 4 + 22 + 9), 1},
                    Damage{"DataUnterminated", TWO_RECORDS.substr(0, TWO_RECORDS.size() - 1), 1},
                    Damage{"HugeCount", std::string("\xff\xff\xff\xff", 4), 0}),
    [](const testing::TestParamInfo<Damage>& info) { return info.param.name; });

} // namespace
