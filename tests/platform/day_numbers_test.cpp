#include "platform/day_numbers.h"

#include <gtest/gtest.h>

#include "platform/automation_error.h"

namespace chronova::platform {
namespace {

TEST(DayNumbersTest, DayZeroIsThe30thOfDecember1899) {
    EXPECT_EQ(Date2Num("12/30/ 1899"), 0);
    EXPECT_EQ(Date2Num("12/29/ 1899"), -1);
    EXPECT_EQ(Date2Num("03/01/ 2008"), 39508);
    EXPECT_EQ(Num2Date(0), "12/30/1899");
    EXPECT_EQ(Num2Date(-29218), "01/01/1820");
    EXPECT_EQ(Num2Date(31368), "11/17/1985");
}

TEST(DayNumbersTest, Date2NumAndNum2DateAreInverseOnTheWholeRange) {
    const int32_t first = Date2Num("01/01/ 1");
    const int32_t last = Date2Num("12/31/ 9999");
    for (int32_t day = first; day <= last; day += 13) { // 13 days walks over every day of the month
        ASSERT_EQ(Date2Num(Num2Date(day)), day);
    }
    EXPECT_EQ(Date2Num(Num2Date(last)), last);
    EXPECT_THROW(Num2Date(first - 1), AutomationError);
    EXPECT_THROW(Num2Date(last + 1), AutomationError);
}

TEST(DayNumbersTest, Date2NumRejectsWhatIsNoDate) {
    for (const char* text :
         {"", "02/30/ 2008", "13/01/ 2008", "00/00/ 0", "1/2", "1/2/3/4", "a/b/c", "01/01/ 2008.5"}) {
        EXPECT_THROW(Date2Num(text), AutomationError) << text;
    }
}

TEST(DayNumbersTest, ParseStringWalksTheFields) {
    long pos = 1;
    const std::string text = "03-01:2008\\x";
    EXPECT_EQ(ParseString(pos, text, "-:/\\"), "03");
    EXPECT_EQ(ParseString(pos, text, "-:/\\"), "01");
    EXPECT_EQ(ParseString(pos, text, "-:/\\"), "2008");
    EXPECT_EQ(ParseString(pos, text, "-:/\\"), "x");
    EXPECT_EQ(ParseString(pos, text, "-:/\\"), "");
}

} // namespace
} // namespace chronova::platform
