#pragma once

#include <compare>
#include <cstdint>

namespace chronova::platform {

/// Calendar and clock parts of a date; seconds are whole.
struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const DateParts&, const DateParts&) = default;
};

/// Days from 30 December 1899 (day 0) to the given proleptic Gregorian date; any year, no range check.
int64_t CivilToDayNumber(int year, int month, int day) noexcept;
/// The proleptic Gregorian date of a day number (day 0 = 30 December 1899).
void DayNumberToCivil(int64_t day_number, int& year, int& month, int& day) noexcept;
/// Days in the month of the given year (Gregorian leap rule); 0 for a month outside 1..12.
int DaysInMonth(int year, int month) noexcept;

/// An OLE automation date: days since 30 December 1899 as a double, the time of day as the fraction.
/// Dates before day zero keep a negative day and a positive time fraction (-1.25 is 29 December 1899
/// 06:00), so the raw serial does not order such dates; comparisons use the moment it stands for.
class Date {
public:
    static constexpr int kMinYear = 100;
    static constexpr int kMaxYear = 9999;

    constexpr Date() = default;
    /// Wraps an OLE serial as it is stored.
    constexpr explicit Date(double serial) : serial_(serial) {}

    /// The date of the given parts; raises error 5 when a part is out of its range or the year is
    /// outside 100..9999.
    static Date FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    /// The date of a moment given as continuous days since day zero (what Linear() returns).
    static Date FromLinear(double days);

    constexpr double Serial() const noexcept { return serial_; }
    /// The moment as continuous days since day zero: -0.75 for 29 December 1899 06:00.
    double Linear() const noexcept;
    /// Calendar and clock parts, rounded to the nearest second.
    DateParts Parts() const noexcept;

    friend bool operator==(const Date& a, const Date& b) noexcept { return a.Linear() == b.Linear(); }
    friend std::partial_ordering operator<=>(const Date& a, const Date& b) noexcept {
        return a.Linear() <=> b.Linear();
    }

private:
    double serial_ = 0.0;
};

} // namespace chronova::platform
