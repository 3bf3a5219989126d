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
    StartupItem(0, StartupConstants::DISABLED, std::string("a\0b", 3), "x").serialize();
    EXPECT_EQ((std::vector<std::string>{"_type < StartupConstants::MAX_TYPES",
                                        "_state == StartupConstants::DISABLED", "_value.size() > 0",
                                        "mem - start == size"}),
              assertions.expressions());
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

TEST(StartupItemTest, EqualityIsTypeAndExactValue)
{
    const StartupItem item(0, StartupConstants::ENABLED, "Tool", "a");
    EXPECT_EQ(item, StartupItem(0, StartupConstants::DISABLED, "Tool", "b"));
    EXPECT_NE(item, StartupItem(0, StartupConstants::ENABLED, "tool", "a"));
    EXPECT_NE(item, StartupItem(5, StartupConstants::ENABLED, "Tool", "a"));
}
