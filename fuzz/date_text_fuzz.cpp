// Date texts come from attribute tables, side files and users: reading one must never crash, and every
// date read must print and read back as the same date.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"

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
