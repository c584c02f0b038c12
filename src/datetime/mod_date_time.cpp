#include "datetime/mod_date_time.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"
#include "platform/day_numbers.h"
#include "platform/locale.h"
#include "platform/text.h"

namespace chronova::modDateTime {
namespace {

using platform::Date;

constexpr int32_t kMinutesPerDay = 1440;
constexpr std::array<const char*, 12> kDtgMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

PickerValues g_picker;
DateTimePickerFactory g_picker_factory;
std::unique_ptr<IDateTimePicker> g_picker_dialog;

// Year 0 means 2000, 51-99 the last century's years; month and day 0 mean 1.
void CorrectParts(int16_t& year, int16_t& month, int16_t& day) {
    if (year == 0) {
        year = 2000;
    } else if (year >= 51 && year <= 99) {
        year = static_cast<int16_t>(year + 1900);
    }
    if (month == 0) {
        month = 1;
    }
    if (day == 0) {
        day = 1;
    }
}

int16_t ToPart(std::string_view text) {
    return platform::CInt(platform::Variant(std::string(text)));
}

} // namespace

PickerValues& Picker() {
    return g_picker;
}

void SetDateTimePickerFactory(DateTimePickerFactory factory) {
    g_picker_factory = std::move(factory);
    g_picker_dialog.reset();
}

void ResetDateTimePicker() {
    g_picker_dialog.reset();
    g_picker_factory = nullptr;
    g_picker = PickerValues{};
}

std::string Pad2(int32_t n) {
    n = std::clamp(n, 0, 99);
    return (n < 10 ? "0" : "") + std::to_string(n);
}

int32_t PartsToMinutes(int16_t year, int16_t month, int16_t day, int16_t hour, int16_t minute) {
    // The day-number library's numeric entry gives the same day as its text form "MM/DD/ YYYY".
    const int64_t day_number = platform::DayNumber(year, month, day);
    const int64_t minutes = day_number * kMinutesPerDay + int64_t{hour} * 60 + minute;
    if (minutes < std::numeric_limits<int32_t>::min() || minutes > std::numeric_limits<int32_t>::max()) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return static_cast<int32_t>(minutes);
}

int32_t DateToMinutes(Date date) {
    const platform::DateParts p = date.Parts();
    return PartsToMinutes(static_cast<int16_t>(p.year), static_cast<int16_t>(p.month), static_cast<int16_t>(p.day),
                          static_cast<int16_t>(p.hour), static_cast<int16_t>(p.minute));
}

int32_t TextToMinutes(std::string_view text) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    ParseDateText(text, year, month, day, hour, minute, second);
    return PartsToMinutes(year, month, day, hour, minute);
}

int32_t DTGToMinutes(std::string_view text) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    ParseDTG(text, year, month, day, hour, minute, second);
    return PartsToMinutes(year, month, day, hour, minute);
}

void MinutesToParts(int32_t minutes, int16_t& year, int16_t& month, int16_t& day, int16_t& hour, int16_t& minute) {
    // The calendar day comes from the day-number library's text, read field by field.
    const double days = minutes / static_cast<double>(kMinutesPerDay);
    const std::string text = platform::Num2Date(static_cast<int32_t>(std::floor(days)));
    long pos = 1;
    month = ToPart(platform::ParseString(pos, text, "-:/\\"));
    day = ToPart(platform::ParseString(pos, text, "-:/\\"));
    year = ToPart(platform::ParseString(pos, text, "-:/\\"));

    double h = (minutes % kMinutesPerDay) / 60.0;
    if (h < 0) {
        h += 24;
    }
    if (h == 24) {
        h = 0;
    }
    hour = static_cast<int16_t>(h);
    minute = static_cast<int16_t>(std::lround((h - hour) * 60));
}

Date MinutesToDate(int32_t minutes) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    MinutesToParts(minutes, year, month, day, hour, minute);
    return Date::FromParts(year, month, day, hour, minute, 0);
}

std::string MinutesToText(int32_t minutes) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    MinutesToParts(minutes, year, month, day, hour, minute);
    return FormatDateParts(year, month, day, hour, minute);
}

std::string MinutesToDTG(int32_t minutes) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    MinutesToParts(minutes, year, month, day, hour, minute);
    return FormatDTG(year, month, day, hour, minute);
}

std::string DateToDTG(Date date) {
    return MinutesToDTG(TextToMinutes(platform::DateToText(date)));
}

Date DTGToDate(std::string_view text) {
    const int32_t minutes = IsDTG(text) ? TextToMinutes(text) : -1;
    return platform::TextToDate(MinutesToText(minutes));
}

bool IsDTG(std::string_view text) {
    const std::string s = platform::UCase(platform::Trim(text));
    if (platform::Mid(s, 7, 2) != "Z ") {
        return false;
    }
    if (platform::CLng(platform::Variant(platform::Left(s, 6))) < 1) {
        return false;
    }
    if (platform::CLng(platform::Variant(platform::Right(s, 4))) < 1) {
        return false;
    }
    const std::string month = platform::Mid(s, 9, 3);
    if (std::find(kDtgMonths.begin(), kDtgMonths.end(), month) == kDtgMonths.end()) {
        return false;
    }
    // Nothing but the layout "DDHHMMZ MON YYYY": the parts are read by position, so any other character (as in
    // "010300Z MAR' 2008") would put the wrong digits into the year.
    const auto digits = [&](size_t first, size_t count) {
        return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(first),
                           s.begin() + static_cast<std::ptrdiff_t>(first + count),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    return s.size() == 16 && digits(0, 6) && s[11] == ' ' && digits(12, 4);
}

void ParseDTG(std::string_view text, int16_t& year, int16_t& month, int16_t& day, int16_t& hour, int16_t& minute,
              int16_t& second) {
    bool is_dtg = false;
    try {
        is_dtg = !text.empty() && IsDTG(text);
    } catch (const platform::AutomationError&) {
        return;
    }
    if (!is_dtg) {
        return;
    }
    const std::string s = platform::UCase(platform::Trim(text));
    // Each part converts on its own; a part that does not convert keeps its value.
    const auto assign = [](int16_t& part, const std::string& field) {
        try {
            part = ToPart(field);
        } catch (const platform::AutomationError&) {
        }
    };
    assign(day, platform::Mid(s, 1, 2));
    assign(hour, platform::Mid(s, 3, 2));
    assign(minute, platform::Mid(s, 5, 2));
    second = 0;
    const auto found = std::find(kDtgMonths.begin(), kDtgMonths.end(), platform::Mid(s, 9, 3));
    if (found != kDtgMonths.end()) {
        month = static_cast<int16_t>(found - kDtgMonths.begin() + 1);
    }
    assign(year, platform::Mid(s, 13, 4));
}

void ParseDateText(std::string_view text, int16_t& year, int16_t& month, int16_t& day, int16_t& hour, int16_t& minute,
                   int16_t& second) {
    if (text.empty()) {
        return;
    }
    bool is_dtg = false;
    try {
        is_dtg = IsDTG(text);
    } catch (const platform::AutomationError&) {
        is_dtg = false;
    }
    if (is_dtg) {
        ParseDTG(text, year, month, day, hour, minute, second);
        return;
    }
    if (const auto date = platform::TryParseDate(text)) {
        const platform::DateParts p = date->Parts();
        year = static_cast<int16_t>(p.year);
        month = static_cast<int16_t>(p.month);
        day = static_cast<int16_t>(p.day);
        hour = static_cast<int16_t>(p.hour);
        minute = static_cast<int16_t>(p.minute);
        second = static_cast<int16_t>(p.second);
    }
}

std::string FormatDateParts(int16_t year, int16_t month, int16_t day, int16_t hour, int16_t minute, int16_t second) {
    CorrectParts(year, month, day);
    if (year < 1 || month > 12 || day > platform::DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59 || month < 1 || day < 1) {
        platform::RaiseError(platform::error::kInvalidProcedureCall);
    }
    const platform::DateParts parts{year, month, day, hour, minute, second};
    return platform::FormatShortDate(parts) + " " + platform::FormatTime(parts);
}

std::string FormatDTG(int16_t year, int16_t month, int16_t day, int16_t hour, int16_t minute) {
    CorrectParts(year, month, day);
    const auto& abbreviations = platform::CurrentLocale().month_abbreviations;
    const std::string month_name =
        month >= 1 && month <= 12 ? platform::UCase(abbreviations[static_cast<size_t>(month - 1)]) : std::string();
    return Pad2(day) + Pad2(hour) + Pad2(minute) + "Z " + month_name + " " + std::to_string(year);
}

int32_t PickDateTime(int32_t& minutes) {
    MinutesToParts(minutes, g_picker.iYear, g_picker.iMonth, g_picker.iDay, g_picker.iHour, g_picker.iMinute);
    if (!g_picker_dialog) {
        if (!g_picker_factory) {
            platform::RaiseError(platform::error::kObjectNotSet, "No date-time picker is available");
        }
        g_picker_dialog = g_picker_factory();
    }
    g_picker.bCancelled = false;
    g_picker_dialog->ShowModal();
    if (g_picker.bCancelled) {
        return -1;
    }
    minutes = PartsToMinutes(g_picker.iYear, g_picker.iMonth, g_picker.iDay, g_picker.iHour, g_picker.iMinute);
    return 1;
}

} // namespace chronova::modDateTime
