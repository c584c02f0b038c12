#include "platform/text.h"

#include <gtest/gtest.h>

namespace chronova::platform {
namespace {

TEST(TextTest, TrimRemovesBlanksOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
}

TEST(TextTest, PositionsAreOneBasedAndClamp) {
    EXPECT_EQ(Left("abc", 5), "abc");
    EXPECT_EQ(Left("abc", -1), "");
    EXPECT_EQ(Right("abcdef", 4), "cdef");
    EXPECT_EQ(Mid("050714Z MAR 2008", 7, 2), "Z ");
    EXPECT_EQ(Mid("abc", 2), "bc");
    EXPECT_EQ(Mid("abc", 4, 1), "");
    EXPECT_EQ(Mid("abc", 0, 1), "");
}

TEST(TextTest, InStrFindsFromAPosition) {
    EXPECT_EQ(InStr("a [2] [3]", "["), 3);
    EXPECT_EQ(InStr("a [2] [3]", "[", 4), 7);
    EXPECT_EQ(InStr("Automation Error", "automation error", 1, true), 1);
    EXPECT_EQ(InStr("Automation Error", "automation error"), 0);
    EXPECT_EQ(InStr("abc", "c", 9), 0);
}

TEST(TextTest, CaseFolding) {
    EXPECT_EQ(UCase("mar 2008"), "MAR 2008");
    EXPECT_EQ(LCase("Software\\Veltrane"), "software\\veltrane");
    EXPECT_TRUE(IEquals("Fill_Gaps", "FILL_GAPS"));
    EXPECT_FALSE(IEquals("Fill_Gaps", "Fill_Gap"));
}

} // namespace
} // namespace chronova::platform
