#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/StartupItem.h"

#include "support/Locations.h"

#include <gtest/gtest.h>

using products::bootwarden::StartupItem;

namespace {

const int RUN = StartupConstants::LOCAL_MACHINE_RUN;

TEST(StartupItemTest, ChangedFlagComparesWithTheStateRead)
{
    StartupItem item(RUN, StartupConstants::ENABLED, "v", "d");
    item.setState(StartupConstants::DISABLED);
    const StartupItem copy = item;
    item.setState(StartupConstants::ENABLED);
    EXPECT_FALSE(item.isChanged());
    EXPECT_TRUE(copy.isChanged()) << "a copy keeps the initial state and the flag";
}

TEST(StartupItemTest, EqualityIsTypeAndTheNameInAnyCaseContentsAreBytes)
{
    const StartupItem item(RUN, StartupConstants::ENABLED, "Tool", "a");
    EXPECT_EQ(item, StartupItem(RUN, StartupConstants::DISABLED, "Tool", "b"));
    EXPECT_EQ(item, StartupItem(RUN, StartupConstants::ENABLED, "TOOL", "a"));
    EXPECT_FALSE(item.sameExactName(StartupItem(RUN, StartupConstants::ENABLED, "TOOL", "a")));
    EXPECT_NE(item, StartupItem(StartupConstants::CURRENT_USER_RUN, StartupConstants::ENABLED, "Tool", "a"));

    const StartupItem raw(RUN, 1, "Tool", "a", StartupConstants::TEXT_VALUE, std::string("a\0\0\0", 4));
    EXPECT_TRUE(raw.sameContents(item)) << "an older record knows the command only";
    EXPECT_FALSE(
        raw.sameContents(StartupItem(RUN, 1, "Tool", "a", StartupConstants::EXPANDABLE_TEXT_VALUE, std::nullopt)));
    EXPECT_FALSE(
        raw.sameContents(StartupItem(RUN, 1, "Tool", "a", StartupConstants::TEXT_VALUE, std::string("a\0b\0", 4))));
}

} // namespace
