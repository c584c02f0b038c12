#include "platform/conversions.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

#include "platform/automation_error.h"
#include "platform/locale.h"

namespace chronova::platform {
namespace {

TEST(ConversionsTest, CLngRoundsHalvesToEven) {
    EXPECT_EQ(CLng(2.5), 2);
    EXPECT_EQ(CLng(3.5), 4);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(-3.5), -4);
    EXPECT_EQ(CLng(2.6), 3);
    EXPECT_EQ(CLng(Variant("  12.5 ")), 12);
    EXPECT_EQ(CLng(Variant("1,234")), 1234);
    EXPECT_EQ(CLng(Variant("&HFF")), 255);
    EXPECT_EQ(CLng(Variant("&HFFFF")), -1); // a four-digit hex literal is a 16-bit pattern
    EXPECT_EQ(CLng(Variant("&O17")), 15);
    EXPECT_EQ(CLng(Variant(true)), -1);
    EXPECT_EQ(CLng(Variant()), 0);
    EXPECT_EQ(CLng(Variant("True")), -1);
}

TEST(ConversionsTest, BadOrOversizedNumbersRaiseTheClassicErrors) {
    EXPECT_RAISES(CLng(Variant("12abc")), 13);
    EXPECT_RAISES(CLng(Variant("")), 13);
    EXPECT_RAISES(CLng(Variant("1,")), 13);
    EXPECT_RAISES(CLng(Variant(ObjectRef())), 13);
    EXPECT_RAISES(CLng(2147483647.5), 6);
    EXPECT_RAISES(CInt(32767.5), 6);
    EXPECT_RAISES(CSng(1e300), 6);
    EXPECT_RAISES(CDbl(Variant("1e999")), 6);
    EXPECT_RAISES(CBool(Variant("maybe")), 13);
    EXPECT_RAISES(CDate(Variant(1e9)), 6);
}

TEST(ConversionsTest, ValReadsTheLeadingNumberAndNeverFails) {
    EXPECT_DOUBLE_EQ(Val("12abc"), 12);
    EXPECT_DOUBLE_EQ(Val(" 1 2 3"), 123);
    EXPECT_DOUBLE_EQ(Val("-3.5e2x"), -350);
    EXPECT_DOUBLE_EQ(Val("1.5E"), 1.5);
    EXPECT_DOUBLE_EQ(Val("&H1F"), 31);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val("."), 0);
    EXPECT_DOUBLE_EQ(Val(""), 0);
}

TEST(ConversionsTest, BooleansReadAndWriteTheirTexts) {
    EXPECT_EQ(BoolText(true), "True");
    EXPECT_EQ(CStr(Variant(false)), "False");
    EXPECT_TRUE(CBool(Variant("true")));
    EXPECT_FALSE(CBool(Variant(" False ")));
    EXPECT_TRUE(CBool(Variant("-1")));
    EXPECT_FALSE(CBool(Variant("0")));
    EXPECT_TRUE(CBool(Variant(0.5)));
}

TEST(ConversionsTest, CStrOfNumbersAndDates) {
    ScopedLocale us("en-US");
    EXPECT_EQ(CStr(Variant(int16_t{-7})), "-7");
    EXPECT_EQ(CStr(Variant(0.1)), "0.1");
    EXPECT_EQ(CStr(Variant(1e20)), "1E+20");
    EXPECT_EQ(CStr(Variant(1.0f / 3)), "0.3333333");
    EXPECT_EQ(CStr(Variant(0.0)), "0");
    EXPECT_EQ(CStr(Variant(Date(39508.25))), "3/1/2008 6:00:00 AM");
    EXPECT_EQ(CStr(Variant()), "");
}

TEST(ConversionsTest, CDateReadsSerialsAndTexts) {
    ScopedLocale us("en-US");
    EXPECT_EQ(CDate(Variant(39508.25)), Date(39508.25));
    EXPECT_EQ(CDate(Variant("3/1/2008 6:00 AM")), Date(39508.25));
    EXPECT_EQ(CDate(Variant(39508)), Date(39508));
    EXPECT_RAISES(CDate(Variant("not a date")), 13);
}

} // namespace
} // namespace chronova::platform
