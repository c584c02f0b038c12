#include "gis/ogr/value_conversion.h"

#include <cstdio>
#include <limits>

#include "platform/automation_error.h"
#include "platform/ole_date.h"

namespace chronova::gis {

namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;
// Day number of 1 January 1970 counted from the OLE epoch, 30 December 1899.
constexpr int64_t kUnixEpochDay = 25'569;

int64_t FloorDivide(int64_t value, int64_t divisor) noexcept {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

double OleDateFromUnixMilliseconds(int64_t milliseconds) noexcept {
    const int64_t day = FloorDivide(milliseconds, kMillisecondsPerDay);
    const double fraction = static_cast<double>(milliseconds - day * kMillisecondsPerDay) / kMillisecondsPerDay;
    // OLE dates before day zero keep a negative day and a positive time fraction.
    const auto ole_day = static_cast<double>(day + kUnixEpochDay);
    return ole_day < 0 ? ole_day - fraction : ole_day + fraction;
}

int64_t UnixMillisecondsFromParts(int year, int month, int day, int hour, int minute, float second) noexcept {
    const int64_t days = platform::CivilToDayNumber(year, month, day) - kUnixEpochDay;
    // The seconds are rounded to the millisecond as a whole, so that 59.9996 s carries into the next minute rather
    // than losing its second. A float's thousandfold is exact in a double and never negative here, so adding a half
    // rounds correctly.
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    const auto milliseconds = static_cast<int64_t>(static_cast<double>(second) * 1000.0 + 0.5);
    return (((days * 24 + hour) * 60 + minute) * 60) * 1000 + milliseconds;
}

std::string TimeOfDayText(int64_t milliseconds) {
    const int64_t day_milliseconds =
        milliseconds - FloorDivide(milliseconds, kMillisecondsPerDay) * kMillisecondsPerDay;
    const auto seconds = static_cast<int>(day_milliseconds / 1000);
    const auto fraction = static_cast<int>(day_milliseconds % 1000);
    char text[32];
    if (fraction == 0) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", seconds / 3600, seconds / 60 % 60, seconds % 60,
                      fraction);
    }
    return text;
}

void AppendWholeNumber(Column& column, int64_t value) {
    switch (column.Type()) {
    case FieldType::SmallInteger:
        column.AppendInteger(static_cast<int16_t>(value));
        return;
    case FieldType::Integer:
    case FieldType::OID:
        if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
            platform::RaiseError(platform::error::kOverflow,
                                 "The value " + std::to_string(value) + " does not fit a 32-bit integer field.");
        }
        column.AppendInteger(static_cast<int32_t>(value));
        return;
    default:
        AppendRealNumber(column, static_cast<double>(value));
        return;
    }
}

void AppendRealNumber(Column& column, double value) {
    column.AppendReal(column.Type() == FieldType::Single ? static_cast<double>(static_cast<float>(value)) : value);
}

} // namespace chronova::gis
