#include "datetime/label_format.h"

#include <array>
#include <cstdio>

#include "platform/ole_date.h"

namespace chronova::modDateTime {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"January",   "February", "March",    "April",
                                                          "May",       "June",     "July",     "August",
                                                          "September", "October",  "November", "December"};
constexpr std::string_view kConversions = "YymdHIpMSbBj%";

std::string Digits(int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
    return buffer;
}

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

std::string FormatMinutes(int32_t minutes, std::string_view format) {
    const int64_t day_number = FloorDiv(minutes, 1440);
    const int64_t time_of_day = minutes - day_number * 1440;
    int year = 0;
    int month = 0;
    int day = 0;
    platform::DayNumberToCivil(day_number, year, month, day);
    const auto hour = static_cast<int>(time_of_day / 60);
    const auto minute = static_cast<int>(time_of_day % 60);

    std::string text;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size() || kConversions.find(format[i + 1]) == std::string_view::npos) {
            text += format[i];
            continue;
        }
        switch (format[++i]) {
        case 'Y':
            text += std::to_string(year);
            break;
        case 'y':
            text += Digits(((year % 100) + 100) % 100, 2);
            break;
        case 'm':
            text += Digits(month, 2);
            break;
        case 'd':
            text += Digits(day, 2);
            break;
        case 'H':
            text += Digits(hour, 2);
            break;
        case 'I':
            text += Digits(hour % 12 == 0 ? 12 : hour % 12, 2);
            break;
        case 'p':
            text += hour < 12 ? "AM" : "PM";
            break;
        case 'M':
            text += Digits(minute, 2);
            break;
        case 'S':
            text += "00";
            break;
        case 'b':
            text += kMonthNames[static_cast<size_t>(month - 1)].substr(0, 3);
            break;
        case 'B':
            text += kMonthNames[static_cast<size_t>(month - 1)];
            break;
        case 'j':
            text += Digits(day_number - platform::CivilToDayNumber(year, 1, 1) + 1, 3);
            break;
        default: // '%'
            text += '%';
            break;
        }
    }
    return text;
}

std::string_view DefaultLabelFormat(const CalendarInterval& interval) {
    switch (interval.unit) {
    case IntervalUnit::Years:
        return "%Y";
    case IntervalUnit::Months:
        return "%b %Y";
    case IntervalUnit::Minutes:
        break;
    }
    return {};
}

bool IsLabelFormat(std::string_view format) {
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%') {
            if (i + 1 == format.size() || kConversions.find(format[i + 1]) == std::string_view::npos) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

} // namespace chronova::modDateTime
