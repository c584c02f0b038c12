#include "timeapply/step_literal.h"

#include <gtest/gtest.h>

#include "platform/locale.h"

namespace chronova {
namespace {

using platform::Date;
using platform::Variant;

std::string Literal(int16_t code, const Variant& step, DoubleStepForm form = DoubleStepForm::DateLiteral) {
    return StepLiteral(code, step, form).value_or("<none>");
}

TEST(StepLiteralTest, WritesEachTimeFieldTypeItsOwnWay) {
    platform::ScopedLocale us("en-US");
    const Variant march_first_six = Date::FromParts(2008, 3, 1, 6, 0);
    EXPECT_EQ(Literal(1, march_first_six), "#3/1/2008 6:00:00 AM#");
    EXPECT_EQ(Literal(1, Date::FromParts(2008, 3, 1)), "#3/1/2008#");
    EXPECT_EQ(Literal(2, "STEP 1"), "'STEP 1'");
    EXPECT_EQ(Literal(3, "011200Z MAR 2008"), "'011200Z MAR 2008'");
    EXPECT_EQ(Literal(4, int32_t{5300000}), "5300000");
    EXPECT_EQ(Literal(5, "39508.25"), "39508.25");
    EXPECT_EQ(Literal(5, 39508.25), "#39508.25#");
    EXPECT_EQ(Literal(5, 39508.25, DoubleStepForm::Bare), "39508.25");
    EXPECT_EQ(Literal(0, "x"), "<none>");
    EXPECT_EQ(Literal(6, "x"), "<none>");
}

TEST(StepLiteralTest, DoublesQuotesInsideText) {
    EXPECT_EQ(Literal(2, "O'Hare"), "'O''Hare'");
    EXPECT_EQ(Literal(2, "''"), "''''''");
    EXPECT_EQ(Literal(2, ""), "''");
}

// With fill-gaps off the step is the current time as a date; a date-time-group or minute-count field only
// matches it when the date is written in the field's own form.
TEST(StepLiteralTest, WritesADateInTheFormOfTheField) {
    platform::ScopedLocale us("en-US");
    const Variant time = Date::FromParts(2008, 3, 5, 14, 7);
    EXPECT_EQ(Literal(3, time), "'051407Z MAR 2008'");
    EXPECT_EQ(Literal(4, time), std::to_string((39512 * 1440) + 14 * 60 + 7));
    EXPECT_EQ(Literal(2, time), "#3/5/2008 2:07:00 PM#") << "a text field's texts are read as times";
    EXPECT_EQ(Literal(5, time, DoubleStepForm::Bare), "#3/5/2008 2:07:00 PM#");
    EXPECT_EQ(Literal(4, Date(-1.0)), "-1440");
}

} // namespace
} // namespace chronova
