#include "products/bootwarden/database/DataFileCodec.h"

#include "products/bootwarden/StartupConstants.h"

#include "support/AssertionRecorder.h"
#include "support/Locations.h"
#include "support/Records.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;

namespace {

const int RUN = StartupConstants::LOCAL_MACHINE_RUN;
const int USER_RUN = StartupConstants::CURRENT_USER_RUN;
const std::string TOOL = record(RUN, "Tool", "C:\\t.exe");
const std::string X = record(USER_RUN, "X", "");
const std::string TWO_RECORDS = dataFile({TOOL, X});

const int RUN_ONCE = StartupConstants::CURRENT_USER_RUN_ONCE;
const int RUN_32 = StartupConstants::LOCAL_MACHINE_RUN_32;
const int POLICY_RUN = StartupConstants::CURRENT_USER_POLICY_RUN;

// Everything decode reads of an item, for comparing lists.
std::vector<std::string> fields(const std::vector<StartupItem>& items)
{
    std::vector<std::string> lines;
    for (const StartupItem& item : items)
        lines.push_back(std::to_string(item.getType()) + "|" + item.getValue() + "|" + std::string(item.getData()) +
                        "|" + std::to_string(item.getValueType()) + "|" +
                        (item.getRawData() ? std::string(*item.getRawData()) : "none"));
    return lines;
}

std::string line(int type, const std::string& rest)
{
    return std::to_string(type) + "|" + rest;
}

TEST(DataFileCodecTest, TheCountedRecordsAreTheDocumentedBytes)
{
    EXPECT_EQ(dataFile({}), DataFileCodec::encode({}));
    const std::vector<StartupItem> items{StartupItem(RUN, 1, "Tool", "C:\\t.exe"), StartupItem(USER_RUN, 1, "X", "")};
    EXPECT_EQ(TWO_RECORDS, DataFileCodec::encode(items)) << "text values need no block";
    const DataFileCodec::Contents contents = DataFileCodec::decode(TWO_RECORDS);
    EXPECT_TRUE(contents.complete);
    EXPECT_EQ((std::vector<std::string>{line(RUN, "Tool|C:\\t.exe|1|none"), line(USER_RUN, "X||1|none")}),
              fields(contents.items));
}

// Texts are copied several bytes at a time; wherever a NUL lies, the record ends the text there
// and stays readable, and the cut is reported.
TEST(DataFileCodecTest, ARecordEndsATextAtItsFirstNul)
{
    for (std::size_t size = 0; size <= 20; ++size)
        for (std::size_t nul = 0; nul <= size; ++nul) {
            std::string text;
            for (std::size_t i = 0; i < size; ++i)
                text += static_cast<char>(i == nul ? '\0' : 'a' + i);
            AssertionRecorder assertions;
            const std::string kept = text.substr(0, nul);
            EXPECT_EQ(dataFile({record(RUN, kept, kept)}), DataFileCodec::encode({StartupItem(RUN, 1, text, text)}))
                << size << " " << nul;
            EXPECT_EQ(nul < size ? std::vector<std::string>{"the whole text written"} : std::vector<std::string>{},
                      assertions.expressions())
                << size << " " << nul;
        }
}

TEST(DataFileCodecTest, TheBlockKeepsValueTypesAndExactBytesBehindTheOldLayout)
{
    const std::vector<StartupItem> items{
        StartupItem(USER_RUN, 1, "Count", "0x0000002a (42)", 4, std::string("\x2a\0\0\0", 4)),
        StartupItem(RUN, 1, "", "", 1, std::string()), StartupItem(RUN_ONCE, 1, "Old", "o.exe")};
    const std::string bytes = DataFileCodec::encode(items);
    const std::string counted =
        dataFile({record(USER_RUN, "Count", "0x0000002a (42)"), record(RUN, "", ""), record(RUN_ONCE, "Old", "o.exe")});
    EXPECT_EQ(counted, bytes.substr(0, counted.size())) << "older readers find what they always found";
    EXPECT_EQ("BWX1", bytes.substr(counted.size(), 4));
    const DataFileCodec::Contents contents = DataFileCodec::decode(bytes);
    EXPECT_TRUE(contents.complete);
    EXPECT_EQ((std::vector<std::string>{line(USER_RUN, "Count|0x0000002a (42)|4|" + std::string("\x2a\0\0\0", 4)),
                                        line(RUN, "||1|"), line(RUN_ONCE, "Old|o.exe|1|none")}),
              fields(contents.items));
}

TEST(DataFileCodecTest, EntriesOfLocationsOlderVersionsDoNotKnowLiveInTheBlockAlone)
{
    const std::vector<StartupItem> items{StartupItem(POLICY_RUN, 1, "Policy", "p.exe"),
                                         StartupItem(USER_RUN, 1, "X", ""), StartupItem(RUN_32, 1, "View", "v.exe")};
    const std::string bytes = DataFileCodec::encode(items);
    const std::string counted = dataFile({X, record(RUN, "View", "v.exe")});
    EXPECT_EQ(counted, bytes.substr(0, counted.size())) << "an older reader sees the 32-bit view's entry as Run's";
    EXPECT_EQ((std::vector<std::string>{line(USER_RUN, "X||1|none"), line(RUN_32, "View|v.exe|1|none"),
                                        line(POLICY_RUN, "Policy|p.exe|1|none")}),
              fields(DataFileCodec::decode(bytes).items));

    // The 32-bit view's name of the machine's policy key, which both views share.
    const int machinePolicy = StartupConstants::LOCAL_MACHINE_POLICY_RUN;
    EXPECT_EQ(std::vector<std::string>{line(machinePolicy, "Agent|a.exe|1|none")},
              fields(DataFileCodec::decode(DataFileCodec::encode({StartupItem(
                                               StartupConstants::LOCAL_MACHINE_POLICY_RUN_32, 1, "Agent", "a.exe")}))
                         .items));
}

// A file is read a piece at a time; records and the block lie across the pieces' edges.
TEST(DataFileCodecTest, AFileLargerThanAPieceIsReadWhole)
{
    std::vector<StartupItem> items;
    for (int i = 0; i < 3000; ++i)
        items.emplace_back(i % 3 ? USER_RUN : POLICY_RUN, 1, "Entry " + std::to_string(i), std::string(i % 97, 'c'), 4,
                           std::string(i % 13, '\x01'));
    items.emplace_back(USER_RUN, 1, "Long", std::string(300000, 'l')); // longer than a piece
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
        (item.getType() == POLICY_RUN ? extras : counted).push_back(item);
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
    const std::string withBlock = DataFileCodec::encode(
        {StartupItem(RUN, 1, "Tool", "C:\\t.exe", 2, std::string("t")), StartupItem(USER_RUN, 1, "X", "")});
    std::string changedByte = withBlock; // the registry byte of Tool, in the checksummed body
    changedByte[withBlock.find("BWX1") + 8 + 16] = 'u';
    const std::pair<std::string, std::vector<std::string>> damaged[] = {
        {"", {}},
        {std::string("\x01\0", 2), {}},
        {word(3) + TOOL + X, {"Tool", "X"}},
        {TWO_RECORDS.substr(0, 4 + TOOL.size() + 5), {"Tool"}},
        {TWO_RECORDS.substr(0, TWO_RECORDS.size() - 1), {"Tool"}},
        {word(0xFFFFFFFF), {}},
        {dataFile({record(RUN, "Tool", "a", StartupConstants::ENABLED), X}), {"X"}},
        {dataFile({record(RUN_32, "Tool", "a"), X}), {"X"}}, // a type no record carries
        {dataFile({record(-1, "Tool", "a"), X}), {"X"}},     // no type at all
        {dataFile({X, X}), {"X"}},
        {word(1) + TOOL + X, {"Tool", "X"}},                        // beyond the count
        {withBlock.substr(0, withBlock.size() - 1), {"Tool", "X"}}, // block cut short
        {changedByte, {"Tool", "X"}},
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
