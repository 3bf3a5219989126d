#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupItem.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;

TEST(StartupItemTest, RecordIsByteExactAndReadsBack)
{
    const StartupItem item(1, StartupConstants::DISABLED, "abc", "");
    const std::string record = item.serialize();
    EXPECT_EQ(std::string("\x01\0\0\0\x01\0\0\0abc\0\0", 13), record);
    const StartupItem read(record.data());
    EXPECT_EQ(item, read);
    EXPECT_EQ(StartupConstants::DISABLED, read.getState());
    EXPECT_FALSE(read.isChanged());
    EXPECT_EQ("C:\\u.exe /q", StartupItem(StartupItem(6, 1, "U", "C:\\u.exe /q").serialize().data()).getData());
}

TEST(StartupItemTest, DamagedOrUnfitRecordsAreReported)
{
    AssertionRecorder assertions;
    const StartupItem read(std::string("\x0c\0\0\0\0\0\0\0\0\0", 10).data());
    EXPECT_EQ(12, read.getType()) << "what was read is kept";
    EXPECT_EQ((std::vector<std::string>{"_type < StartupConstants::MAX_TYPES",
                                        "_state == StartupConstants::DISABLED", "_value.size() > 0"}),
              assertions.expressions());
}

// Texts are copied several bytes at a time; wherever a NUL lies, the record ends the text there
// and stays readable, and the cut is reported.
TEST(StartupItemTest, ARecordEndsATextAtItsFirstNul)
{
    for (std::size_t size = 0; size <= 20; ++size)
        for (std::size_t nul = 0; nul <= size; ++nul) {
            std::string text;
            for (std::size_t i = 0; i < size; ++i)
                text += static_cast<char>(i == nul ? '\0' : 'a' + i);
            AssertionRecorder assertions;
            const std::string record = StartupItem(0, StartupConstants::DISABLED, text, text).serialize();
            const std::string kept = text.substr(0, nul) + '\0';
            EXPECT_EQ(std::string("\0\0\0\0\x01\0\0\0", 8) + kept + kept, record) << size << " " << nul;
            EXPECT_EQ(nul < size ? std::vector<std::string>{"mem - start == size"} : std::vector<std::string>{},
                      assertions.expressions())
                << size << " " << nul;
        }
}

TEST(StartupItemTest, ChangedFlagComparesWithTheStateRead)
{
    StartupItem item(0, StartupConstants::ENABLED, "v", "d");
    item.setState(StartupConstants::DISABLED);
    const StartupItem copy = item;
    item.setState(StartupConstants::ENABLED);
    EXPECT_FALSE(item.isChanged());
    EXPECT_TRUE(copy.isChanged()) << "a copy keeps the initial state and the flag";
}

TEST(StartupItemTest, EqualityIsTypeAndTheNameInAnyCaseContentsAreBytes)
{
    const StartupItem item(0, StartupConstants::ENABLED, "Tool", "a");
    EXPECT_EQ(item, StartupItem(0, StartupConstants::DISABLED, "Tool", "b"));
    EXPECT_EQ(item, StartupItem(0, StartupConstants::ENABLED, "TOOL", "a"));
    EXPECT_FALSE(item.sameExactName(StartupItem(0, StartupConstants::ENABLED, "TOOL", "a")));
    EXPECT_NE(item, StartupItem(5, StartupConstants::ENABLED, "Tool", "a"));

    const StartupItem raw(0, 1, "Tool", "a", StartupConstants::TEXT_VALUE, std::string("a\0\0\0", 4));
    EXPECT_TRUE(raw.sameContents(item)) << "an older record knows the command only";
    EXPECT_FALSE(raw.sameContents(StartupItem(0, 1, "Tool", "a", StartupConstants::EXPANDABLE_TEXT_VALUE, std::nullopt)));
    EXPECT_FALSE(raw.sameContents(StartupItem(0, 1, "Tool", "a", StartupConstants::TEXT_VALUE, std::string("a\0b\0", 4))));
}
