// Date-time groups come from text fields of track data: recognising and reading one must never crash,
// and the group written for a minute count must read back as the same minute count.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    modDateTime::ParseDTG(text, year, month, day, hour, minute, second);
    modDateTime::ParseDateText(text, year, month, day, hour, minute, second);
    try {
        modDateTime::IsDTG(text);
    } catch (const platform::AutomationError&) {
    }
    try {
        const int32_t minutes = modDateTime::DTGToMinutes(text);
        modDateTime::MinutesToParts(minutes, year, month, day, hour, minute);
        // Years 1-99 are read literally but written with the two-digit year correction.
        if (year >= 100 && modDateTime::DTGToMinutes(modDateTime::MinutesToDTG(minutes)) != minutes) {
            __builtin_trap();
        }
    } catch (const platform::AutomationError&) {
    }
    return 0;
}
