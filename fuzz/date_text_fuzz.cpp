// Date texts, zones and intervals come from attribute tables, side files, projects and users: reading one must
// never crash, every date read must print and read back as the same date, an ISO text keeps its offset, and
// an interval reads back from its own text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"
#include "platform/iso_date.h"
#include "platform/time_zone.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const platform::Locale* locale : {&platform::UsLocale(), &platform::DayFirstLocale()}) {
        if (const auto date = platform::TryParseDate(text, *locale)) {
            const auto again = platform::TryParseDate(platform::DateToText(*date, *locale), *locale);
            if (!again || !(*again == *date)) {
                __builtin_trap();
            }
        }
    }
    if (const auto iso = platform::TryParseIsoDate(text)) {
        const auto zoned = platform::TryParseZonedDate(text);
        if (!zoned || !(*zoned == *iso)) {
            __builtin_trap();
        }
    }
    if (const auto zone = platform::TimeZone::Parse(text)) {
        const platform::Date wall = platform::Date::FromParts(2024, 3, 31, 2, 30);
        zone->FromUtc(zone->ToUtc(wall));
        zone->Abbreviation(wall);
    }
    if (const auto interval = modDateTime::ParseIntervalText(text)) {
        if (modDateTime::ParseIntervalText(modDateTime::IntervalToText(*interval)) != interval) {
            __builtin_trap();
        }
    }
    platform::Val(text);
    try {
        platform::ParseNumber(text);
    } catch (const platform::AutomationError&) {
    }
    try {
        const int32_t minutes = modDateTime::TextToMinutes(text);
        modDateTime::MinutesToText(minutes);
    } catch (const platform::AutomationError&) {
    }
    return 0;
}
