#include "apps/chronova/time_text.h"

#include <cstdio>

#include "datetime/mod_date_time.h"

namespace chronova::cli {

std::string IsoMinutes(int32_t minutes) {
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    modDateTime::MinutesToParts(minutes, year, month, day, hour, minute);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

int32_t ParseTimeOption(std::string_view text) {
    return modDateTime::TextToMinutes(text);
}

} // namespace chronova::cli
