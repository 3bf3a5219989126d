#include "products/bootwarden/Mapper.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

using products::bootwarden::Mapper;

TEST(MapperTest, KeepsEntriesInKeyOrderAndChangesInPlace)
{
    Mapper<int, std::string> mapper;
    mapper.add(3, "c");
    mapper.add(1, "a");
    mapper.get(3) += "!";
    std::vector<std::pair<int, std::string>> seen(mapper.begin(), mapper.end());
    EXPECT_EQ((std::vector<std::pair<int, std::string>>{{1, "a"}, {3, "c!"}}), seen);
    mapper.remove(1);
    EXPECT_FALSE(mapper.exists(1));
    EXPECT_TRUE(mapper.exists(3));
}

TEST(MapperTest, MisuseIsReportedAndCarriedOut)
{
    AssertionRecorder assertions;
    Mapper<int, std::string> mapper;
    mapper.add(1, "old");
    mapper.add(1, "new");
    EXPECT_EQ("new", mapper.get(1));
    EXPECT_EQ("", mapper.get(2));
    EXPECT_TRUE(mapper.exists(2)) << "a missing key is stored with a default value";
    mapper.remove(9);
    EXPECT_EQ((std::vector<std::string>{"!exists(first)", "exists(first)", "exists(first)"}),
              assertions.expressions());
    for (const std::string& report : assertions.reports()) {
        EXPECT_NE(std::string::npos, report.find("File: products/bootwarden/Mapper\nLine: 40\n"));
    }
}
