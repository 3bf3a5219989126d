#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupItem.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;

TEST(StartupItemTest, TextFormIsFourLinesWithoutTrailingLineFeed)
{
    const StartupItem item(5, 0, "A", "B");
    EXPECT_EQ("Type: 5\nState: 0\nValue: A\nData: B", item.toString());
    EXPECT_EQ(33u, item.toString().size());
}

TEST(StartupItemTest, RecordIsByteExactAndReadsBack)
{
    const StartupItem item(1, StartupConstants::DISABLED, "abc", "");
    const std::string record = item.serialize();
    EXPECT_EQ(std::string("\x01\0\0\0\x01\0\0\0abc\0\0", 13), record);
    EXPECT_EQ(13u, item.recordSize());

    const StartupItem read(record.data());
    EXPECT_EQ(item, read);
    EXPECT_EQ(1, read.getType());
    EXPECT_EQ(StartupConstants::DISABLED, read.getState());
    EXPECT_EQ("", read.getData());
    EXPECT_FALSE(read.isChanged());
}

TEST(StartupItemTest, RecordKeepsDataAndHighTypeBytes)
{
    const StartupItem item(6, StartupConstants::DISABLED, "Updater", "C:\\u.exe /q");
    const std::string record = item.serialize();
    ASSERT_EQ(10u + 7 + 11, record.size());
    const StartupItem read(record.data());
    EXPECT_EQ("Updater", read.getValue());
    EXPECT_EQ("C:\\u.exe /q", read.getData());
}

TEST(StartupItemTest, DamagedRecordFieldsAreReportedAndKept)
{
    AssertionRecorder assertions;
    const StartupItem read(std::string("\x0c\0\0\0\0\0\0\0\0\0", 10).data());
    EXPECT_EQ((std::vector<std::string>{"_type < StartupConstants::MAX_TYPES",
                                        "_state == StartupConstants::DISABLED",
                                        "_value.size() > 0"}),
              assertions.expressions());
    EXPECT_EQ(12, read.getType());
    EXPECT_EQ(0, read.getState());
    EXPECT_EQ("", read.getValue());
}

TEST(StartupItemTest, NullRecordIsReported)
{
    AssertionRecorder assertions;
    const StartupItem read(static_cast<const char*>(nullptr));
    EXPECT_EQ(std::vector<std::string>{"rawdata"}, assertions.expressions());
    EXPECT_EQ("", read.getValue());
}

TEST(StartupItemTest, OnlyDisabledNamedItemsSerialiseSilently)
{
    AssertionRecorder assertions;
    StartupItem(0, StartupConstants::ENABLED, "", "x").serialize();
    StartupItem(0, StartupConstants::DISABLED, std::string("a\0b", 3), "x").serialize();
    EXPECT_EQ((std::vector<std::string>{"_state == StartupConstants::DISABLED", "_value.size() > 0",
                                        "mem - start == size"}),
              assertions.expressions());
}

TEST(StartupItemTest, ChangedFlagFollowsStateAgainstStateRead)
{
    StartupItem item(0, StartupConstants::ENABLED, "v", "d");
    item.setState(StartupConstants::DISABLED);
    EXPECT_TRUE(item.isChanged());
    const StartupItem copy = item;
    EXPECT_TRUE(copy.isChanged());
    item.setState(StartupConstants::ENABLED);
    EXPECT_FALSE(item.isChanged());
    EXPECT_TRUE(copy.isChanged());

    StartupItem assigned;
    assigned = copy;
    assigned.setState(StartupConstants::ENABLED);
    EXPECT_FALSE(assigned.isChanged()) << "assignment keeps the initial state";
}

TEST(StartupItemTest, EqualityIsTypeAndExactValue)
{
    const StartupItem item(0, StartupConstants::ENABLED, "Tool", "a");
    EXPECT_EQ(item, StartupItem(0, StartupConstants::DISABLED, "Tool", "b"));
    EXPECT_NE(item, StartupItem(0, StartupConstants::ENABLED, "tool", "a"));
    EXPECT_NE(item, StartupItem(5, StartupConstants::ENABLED, "Tool", "a"));
    EXPECT_NE(item, StartupItem(0, StartupConstants::ENABLED, "Tool ", "a"));
}
