#include "datetime/mod_date_time.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

#include "platform/automation_error.h"
#include "platform/date_text.h"
#include "platform/locale.h"

namespace chronova::modDateTime {
namespace {

using platform::AutomationError;
using platform::Date;

struct Parts {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    friend bool operator==(const Parts&, const Parts&) = default;
};

Parts PartsOf(int32_t minutes) {
    Parts p;
    MinutesToParts(minutes, p.year, p.month, p.day, p.hour, p.minute);
    return p;
}

Parts DtgParts(std::string_view text, Parts p = {}) {
    ParseDTG(text, p.year, p.month, p.day, p.hour, p.minute, p.second);
    return p;
}

class ModDateTimeTest : public ::testing::Test {
protected:
    platform::ScopedLocale locale_{"en-US"};
    void TearDown() override { ResetDateTimePicker(); }
};

TEST_F(ModDateTimeTest, MinuteCountZeroIsDayZero) {
    EXPECT_EQ(PartsToMinutes(1899, 12, 30, 0, 0), 0);
    EXPECT_EQ(MinutesToDate(0), Date(0));
    EXPECT_EQ(PartsOf(-30), (Parts{1899, 12, 29, 23, 30}));
    EXPECT_EQ(MinutesToDate(-30), Date::FromParts(1899, 12, 29, 23, 30));
    EXPECT_EQ(PartsToMinutes(2008, 3, 12, 0, 0) - PartsToMinutes(2008, 3, 11, 0, 0), 1440);
}

TEST_F(ModDateTimeTest, MinutesAndPartsAreInverseFarFromDayZero) {
    // Day numbers past the range the classic library covered convert as well.
    for (int32_t minutes :
         {-946000000, -42076800, -42076801, -1, 1439, 1440, 45169920, 45169921, 2000000000, 2147483647}) {
        const Parts p = PartsOf(minutes);
        EXPECT_EQ(PartsToMinutes(p.year, p.month, p.day, p.hour, p.minute), minutes) << minutes;
        EXPECT_EQ(DateToMinutes(MinutesToDate(minutes)), minutes) << minutes;
    }
    EXPECT_EQ(PartsOf(2147483647), (Parts{5983, 1, 22, 2, 7}));
    // Before the year 1 the calendar has no text form: a clear error, not a wrong date.
    EXPECT_RAISES(PartsOf(-2000000000), 5);
}

TEST_F(ModDateTimeTest, MinutesToDateOfTheLastDayBeforeDayOneKeepsItsTime) {
    // 31 December 1899 06:00 lies after day zero although its year is before 1900.
    EXPECT_EQ(MinutesToDate(1440 + 360), Date::FromParts(1899, 12, 31, 6));
}

TEST_F(ModDateTimeTest, PartsToMinutesRejectsInvalidDatesAndOverflow) {
    EXPECT_RAISES(PartsToMinutes(2008, 2, 30, 0, 0), 13);
    EXPECT_RAISES(PartsToMinutes(0, 0, 0, 0, 0), 13);
    EXPECT_RAISES(PartsToMinutes(6000, 1, 1, 0, 0), 6);
    EXPECT_RAISES(TextToMinutes("garbage"), 13);
}

TEST_F(ModDateTimeTest, DateTimeGroupsWriteAndRead) {
    // Day, hour and minute in that order: 5 March 2008 07:14 is 050714Z, and 14:07 is 051407Z.
    EXPECT_EQ(FormatDTG(2008, 3, 5, 7, 14), "050714Z MAR 2008");
    EXPECT_EQ(FormatDTG(2008, 3, 5, 14, 7), "051407Z MAR 2008");
    EXPECT_EQ(DtgParts("050714Z MAR 2008"), (Parts{2008, 3, 5, 7, 14, 0}));
    EXPECT_EQ(FormatDTG(99, 0, 0, 0, 0), "010000Z JAN 1999");
    EXPECT_EQ(FormatDTG(0, 12, 31, 23, 59), "312359Z DEC 2000");
    const int32_t minutes = PartsToMinutes(2008, 3, 5, 14, 7);
    EXPECT_EQ(MinutesToDTG(minutes), "051407Z MAR 2008");
    EXPECT_EQ(DTGToMinutes("  051407z mar 2008 "), minutes);
    EXPECT_EQ(TextToMinutes("051407Z MAR 2008"), minutes);
    EXPECT_EQ(DTGToDate("051407Z MAR 2008"), Date::FromParts(2008, 3, 5, 14, 7));
    EXPECT_EQ(DateToDTG(Date::FromParts(2008, 3, 5, 14, 7, 40)), "051407Z MAR 2008");
}

TEST_F(ModDateTimeTest, RecognisesOnlyDateTimeGroups) {
    EXPECT_TRUE(IsDTG("050714Z MAR 2008"));
    EXPECT_TRUE(IsDTG("   050714z mar 2008   "));
    EXPECT_FALSE(IsDTG("1/1/2008 12:00"));
    EXPECT_FALSE(IsDTG("000000Z JAN 2008")); // all-zero day, hour and minute
    EXPECT_FALSE(IsDTG("050714Z MAR 0000"));
    EXPECT_FALSE(IsDTG("050714Z XYZ 2008"));
    // Any character out of the layout: read by position, it would have put "' 20" into the year.
    EXPECT_FALSE(IsDTG("010300Z MAR' 2008"));
    EXPECT_FALSE(IsDTG("010300Z MAR  2008"));
    EXPECT_FALSE(IsDTG("010300Z MAR 2008 1999"));
    EXPECT_FALSE(IsDTG("+10300Z MAR 2008"));
    EXPECT_FALSE(IsDTG(""));
    // "Z " in place but no number around it is a conversion error for the caller.
    EXPECT_RAISES(IsDTG("ABCDEFZ MAR 2008"), 13);
    EXPECT_RAISES(IsDTG("050714Z MAR 20XX"), 13);
}

TEST_F(ModDateTimeTest, ParsingLeavesPartsAloneWhenTheTextIsNotReadable) {
    const Parts before{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(DtgParts("ABCDEFZ MAR 2008", before), before);
    EXPECT_EQ(DtgParts("3/1/2008", before), before);
    Parts p = before;
    ParseDateText("", p.year, p.month, p.day, p.hour, p.minute, p.second);
    EXPECT_EQ(p, before);
    ParseDateText("not a date", p.year, p.month, p.day, p.hour, p.minute, p.second);
    EXPECT_EQ(p, before);
    ParseDateText("3/1/2008 6:07:08 PM", p.year, p.month, p.day, p.hour, p.minute, p.second);
    EXPECT_EQ(p, (Parts{2008, 3, 1, 18, 7, 8}));
}

TEST_F(ModDateTimeTest, FormatDatePartsCorrectsYearsAndFollowsTheLocale) {
    EXPECT_EQ(FormatDateParts(2008, 3, 5, 14, 7), "3/5/2008 2:07:00 PM");
    EXPECT_EQ(FormatDateParts(99, 3, 5, 0, 0), "3/5/1999 12:00:00 AM");
    EXPECT_EQ(FormatDateParts(8, 3, 5, 0, 0), "3/5/0008 12:00:00 AM");
    EXPECT_EQ(FormatDateParts(0, 0, 0, 0, 0), "1/1/2000 12:00:00 AM");
    EXPECT_RAISES(FormatDateParts(2008, 2, 30, 0, 0), 5);
    platform::ScopedLocale day_first("en-GB");
    EXPECT_EQ(MinutesToText(PartsToMinutes(2008, 3, 5, 14, 7)), "05/03/2008 14:07:00");
    EXPECT_EQ(TextToMinutes("05/03/2008 14:07:00"), PartsToMinutes(2008, 3, 5, 14, 7));
}

TEST_F(ModDateTimeTest, TextAndMinutesRoundTrip) {
    for (int32_t minutes : {-30, 0, 1, 1439, 12345678, 45169921}) {
        EXPECT_EQ(TextToMinutes(MinutesToText(minutes)), minutes) << minutes;
    }
}

TEST_F(ModDateTimeTest, Pad2ClampsToTwoDigits) {
    EXPECT_EQ(Pad2(-4), "00");
    EXPECT_EQ(Pad2(7), "07");
    EXPECT_EQ(Pad2(42), "42");
    EXPECT_EQ(Pad2(123), "99");
}

// A picker that plays a script: confirm with given parts, or cancel.
class ScriptedPicker : public IDateTimePicker {
public:
    explicit ScriptedPicker(std::vector<std::optional<Parts>> answers, int& created, std::vector<Parts>& shown)
        : answers_(std::move(answers)), shown_(shown) {
        ++created;
    }
    void ShowModal() override {
        PickerValues& v = Picker();
        shown_.push_back({v.iYear, v.iMonth, v.iDay, v.iHour, v.iMinute, 0});
        const auto answer = answers_.at(next_++);
        v.bCancelled = !answer.has_value();
        if (answer) {
            v.iYear = answer->year;
            v.iMonth = answer->month;
            v.iDay = answer->day;
            v.iHour = answer->hour;
            v.iMinute = answer->minute;
        }
    }

private:
    std::vector<std::optional<Parts>> answers_;
    size_t next_ = 0;
    std::vector<Parts>& shown_;
};

TEST_F(ModDateTimeTest, PickDateTimeConfirmsOrCancelsWithOneDialog) {
    int created = 0;
    std::vector<Parts> shown;
    SetDateTimePickerFactory([&] {
        return std::make_unique<ScriptedPicker>(
            std::vector<std::optional<Parts>>{Parts{2008, 3, 5, 14, 7}, std::nullopt}, created, shown);
    });
    int32_t minutes = 0;
    EXPECT_EQ(PickDateTime(minutes), 1);
    EXPECT_EQ(minutes, PartsToMinutes(2008, 3, 5, 14, 7));
    EXPECT_EQ(PickDateTime(minutes), -1);
    EXPECT_EQ(minutes, PartsToMinutes(2008, 3, 5, 14, 7));
    EXPECT_EQ(created, 1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], (Parts{1899, 12, 30, 0, 0}));
    EXPECT_EQ(shown[1], (Parts{2008, 3, 5, 14, 7}));
}

TEST_F(ModDateTimeTest, PickDateTimeWithoutAPickerFails) {
    int32_t minutes = 0;
    EXPECT_RAISES(PickDateTime(minutes), 91);
}

} // namespace
} // namespace chronova::modDateTime
