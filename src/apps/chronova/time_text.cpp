#include "apps/chronova/time_text.h"

#include <cstdio>
#include <regex>

#include "datetime/mod_date_time.h"
#include "platform/iso_date.h"

namespace chronova::cli {

namespace {

constexpr const char* kIsoAdvice = "write it as YYYY-MM-DD HH:MM";

std::string IsoDay(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

int FullYear(const std::string& digits) {
    const int year = std::stoi(digits);
    // Two-digit years read as the date conversion reads them: 30 and above in the 1900s.
    return digits.size() > 2 ? year : year + (year < 30 ? 2000 : 1900);
}

} // namespace

std::string IsoMinutes(int32_t minutes) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    modDateTime::MinutesToParts(minutes, year, month, day, hour, minute);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

TimeOption ParseTimeOption(std::string_view text) {
    if (const auto iso = platform::TryParseIsoDate(text); iso && iso->offset_minutes) {
        return {modDateTime::DateToMinutes(iso->wall), iso->offset_minutes};
    }
    return {modDateTime::TextToMinutes(text), std::nullopt};
}

std::string UnclearTimeMessage(std::string_view option, std::string_view text) {
    const std::string given = std::string(option) + " '" + std::string(text) + "'";
    static const std::regex numeric_date(R"(^\s*(\d{1,2})[/.-](\d{1,2})[/.-](\d{2}|\d{4})(\s.*)?$)");
    std::cmatch match;
    const std::string owned(text);
    if (std::regex_match(owned.c_str(), match, numeric_date)) {
        const int first = std::stoi(match[1].str());
        const int second = std::stoi(match[2].str());
        if (first >= 1 && first <= 12 && second >= 1 && second <= 12 && first != second) {
            const int year = FullYear(match[3].str());
            return given + " could be " + IsoDay(year, first, second) + " (month first) or " +
                   IsoDay(year, second, first) + " (day first); " + kIsoAdvice + ", e.g. " +
                   IsoDay(year, first, second) + " 00:00";
        }
        return {};
    }
    if (platform::TryParseIsoDate(text)) {
        return {};
    }
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    modDateTime::ParseDateText(text, year, month, day, hour, minute, second);
    // A text of a time only reads as the conversion's day zero, 30 December 1899.
    if (year == 1899 && month == 12 && day == 30) {
        char example[16];
        std::snprintf(example, sizeof example, "%02d:%02d", hour, minute);
        return given + " has no date; " + kIsoAdvice + ", e.g. 2024-05-01 " + example;
    }
    return {};
}

int32_t TimeOption::In(const std::optional<platform::TimeZone>& zone) const {
    if (!offset_minutes || !zone) {
        return minutes;
    }
    const platform::Date utc = modDateTime::MinutesToDate(minutes - *offset_minutes);
    return modDateTime::DateToMinutes(zone->FromUtc(utc));
}

} // namespace chronova::cli
