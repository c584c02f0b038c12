#include "platform/ole_date.h"

#include <cmath>

#include "platform/automation_error.h"

namespace chronova::platform {
namespace {

// Day number of 1 January 1970 counted from 30 December 1899.
constexpr int64_t kUnixEpochDay = 25569;
constexpr int kSecondsPerDay = 86400;

// Howard Hinnant's days_from_civil: days since 1970-01-01 for a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) noexcept {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

} // namespace

int64_t CivilToDayNumber(int year, int month, int day) noexcept {
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochDay;
}

void DayNumberToCivil(int64_t day_number, int& year, int& month, int& day) noexcept {
    int64_t z = day_number - kUnixEpochDay + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

int DaysInMonth(int year, int month) noexcept {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

Date Date::FromParts(int year, int month, int day, int hour, int minute, int second) {
    if (year < kMinYear || year > kMaxYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        RaiseError(error::kInvalidProcedureCall);
    }
    const auto day_number = static_cast<double>(CivilToDayNumber(year, month, day));
    const double time = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
    // Before day zero the serial keeps the negative day and adds a positive time fraction.
    return Date(day_number < 0 ? day_number - time : day_number + time);
}

Date Date::FromLinear(double days) {
    const double day = std::floor(days);
    const double time = days - day;
    return Date(day < 0 ? day - time : day + time);
}

double Date::Linear() const noexcept {
    if (serial_ >= 0) {
        return serial_;
    }
    const double day = std::trunc(serial_);
    return day + (day - serial_); // -1.25 -> -1 + 0.25 = -0.75
}

DateParts Date::Parts() const noexcept {
    const double linear = Linear();
    auto day_number = static_cast<int64_t>(std::floor(linear));
    auto seconds = static_cast<int64_t>(std::llround((linear - static_cast<double>(day_number)) * kSecondsPerDay));
    if (seconds >= kSecondsPerDay) {
        ++day_number;
        seconds -= kSecondsPerDay;
    }
    DateParts parts;
    DayNumberToCivil(day_number, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

} // namespace chronova::platform
