#include "platform/date_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/automation_error.h"

namespace chronova::platform {
namespace {

Date At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Date::FromParts(y, mo, d, h, mi, s);
}

void ExpectReads(std::string_view text, Date expected, const Locale& locale = UsLocale()) {
    const auto date = TryParseDate(text, locale);
    ASSERT_TRUE(date.has_value()) << text;
    EXPECT_EQ(*date, expected) << text << " read as " << DateToText(*date, locale);
}

void ExpectRejects(std::string_view text, const Locale& locale = UsLocale()) {
    EXPECT_FALSE(TryParseDate(text, locale).has_value()) << text;
}

TEST(DateTextTest, DefaultTextInTheUsLocale) {
    EXPECT_EQ(DateToText(At(2008, 3, 1, 6), UsLocale()), "3/1/2008 6:00:00 AM");
    EXPECT_EQ(DateToText(At(2008, 3, 1, 18, 5, 9), UsLocale()), "3/1/2008 6:05:09 PM");
    EXPECT_EQ(DateToText(At(2008, 3, 1), UsLocale()), "3/1/2008");          // midnight: date alone
    EXPECT_EQ(DateToText(At(1899, 12, 30, 12), UsLocale()), "12:00:00 PM"); // no date part: time alone
    EXPECT_EQ(DateToText(Date(0), UsLocale()), "12:00:00 AM");
    EXPECT_EQ(DateToText(At(1899, 12, 29, 23, 30), UsLocale()), "12/29/1899 11:30:00 PM");
}

TEST(DateTextTest, DefaultTextInTheDayFirstLocale) {
    EXPECT_EQ(DateToText(At(2008, 3, 1, 6), DayFirstLocale()), "01/03/2008 06:00:00");
    EXPECT_EQ(DateToText(At(2008, 3, 1), DayFirstLocale()), "01/03/2008");
}

TEST(DateTextTest, ReadsTheFormsUsersWrite) {
    const Date six_am = At(2008, 3, 1, 6);
    for (const char* text :
         {"3/1/2008 6:00:00 AM", "3/1/2008 6:00 AM", "03/01/2008 06:00", "3-1-2008 6:00", "2008-03-01 06:00",
          "2008-03-01 06:00:00", "2008-03-01T06:00:00Z", "2008/03/01 06:00:00.250", "March 1, 2008 6:00 AM",
          "1 Mar 2008 06:00", "1-MAR-2008 6 AM", "Saturday, March 01, 2008 6:00:00 AM", "  3/1/08 6:00 am  "}) {
        ExpectReads(text, six_am);
    }
    ExpectReads("3/1/2008", At(2008, 3, 1));
    ExpectReads("Mar 2008", At(2008, 3, 1));
    ExpectReads("3/2008", At(2008, 3, 1));
    ExpectReads("6:30 PM", At(1899, 12, 30, 18, 30));
    ExpectReads("12:00 AM", Date(0));
    ExpectReads("12:15 PM", At(1899, 12, 30, 12, 15));
    ExpectReads("1/1/29", At(2029, 1, 1));
    ExpectReads("1/1/30", At(1930, 1, 1));
}

TEST(DateTextTest, NumericDatesFollowTheLocaleOrder) {
    ExpectReads("01/03/2008 06:00", At(2008, 3, 1, 6), DayFirstLocale());
    ExpectReads("01.03.2008", At(2008, 3, 1), DayFirstLocale());
    ExpectReads("2008-03-01", At(2008, 3, 1), DayFirstLocale()); // year first is never ambiguous
    ExpectRejects("13/1/2008");                                  // month 13 in a month-first locale
    ExpectReads("13/1/2008", At(2008, 1, 13), DayFirstLocale());
}

TEST(DateTextTest, RejectsWhatIsNoDate) {
    for (const char* text :
         {"", "   ", "abc", "5", "2/30/2008", "2/29/2007", "25:00", "13:00 PM", "6:60", "1/1/10000", "1/1/0099",
          "3/1/2008 6:00 AM PM", "March", "3/1/2008 +02:00", "1/2/3/4", "3:1:2008", "Foo 1 2008", "123:00"}) {
        ExpectRejects(text);
    }
    EXPECT_THROW(TextToDate("abc"), AutomationError);
}

TEST(DateTextTest, EveryWrittenDateReadsBack) {
    for (const Locale* locale : {&UsLocale(), &DayFirstLocale()}) {
        for (double serial = -657434.0; serial < 2958465.0; serial += 9973.37) {
            const Date date = Date::FromLinear(std::round(serial * 1440) / 1440);
            ExpectReads(DateToText(date, *locale), date, *locale);
        }
    }
}

} // namespace
} // namespace chronova::platform
