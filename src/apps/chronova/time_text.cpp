#include "apps/chronova/time_text.h"

#include <cstdio>

#include "datetime/mod_date_time.h"
#include "platform/iso_date.h"

namespace chronova::cli {

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

int32_t TimeOption::In(const std::optional<platform::TimeZone>& zone) const {
    if (!offset_minutes || !zone) {
        return minutes;
    }
    const platform::Date utc = modDateTime::MinutesToDate(minutes - *offset_minutes);
    return modDateTime::DateToMinutes(zone->FromUtc(utc));
}

} // namespace chronova::cli
