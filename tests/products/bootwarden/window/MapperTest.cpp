#include "products/bootwarden/window/Mapper.h"

#include "support/AssertionRecorder.h"

#include <gtest/gtest.h>

TEST(MapperTest, MisuseIsReportedAndCarriedOut)
{
    AssertionRecorder assertions;
    products::bootwarden::window::Mapper<int, std::string> mapper;
    mapper.add(1, "old");
    mapper.add(1, "new");
    mapper.get(1) += "!";
    EXPECT_EQ("new!", mapper.get(1));
    EXPECT_EQ("", mapper.get(2));
    EXPECT_TRUE(mapper.exists(2)) << "a missing key is stored with a default value";
    mapper.remove(9);
    EXPECT_EQ((std::vector<std::string>{"!exists(first)", "exists(first)", "exists(first)"}), assertions.expressions());
    EXPECT_NE(std::string::npos, assertions.reports()[0].find("File: products/bootwarden/Mapper\nLine: 40\n"));
}
