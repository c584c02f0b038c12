#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/ole_date.h"

namespace chronova::platform {

/// Order of day, month and year in the locale's numeric short date.
enum class DateOrder { MonthDayYear, DayMonthYear };

/// The user locale's date and time formats. Patterns use the usual letters: d dd M MM MMM MMMM yy yyyy
/// for dates, h hh (12-hour) H HH (24-hour) m mm s ss tt for times; other characters are literal.
struct Locale {
    std::string name;
    DateOrder date_order = DateOrder::MonthDayYear;
    std::string short_date_pattern;
    std::string time_pattern;
    std::array<std::string, 12> month_names;
    std::array<std::string, 12> month_abbreviations;
    std::string am_designator;
    std::string pm_designator;
};

/// "en-US" (month first, 12-hour clock), the default.
const Locale& UsLocale();
/// "en-GB" (day first, 24-hour clock).
const Locale& DayFirstLocale();

/// The locale in force: set by SetCurrentLocale, else chosen by the environment variable CHRONOVA_LOCALE
/// ("en-US" or "en-GB"), else en-US.
const Locale& CurrentLocale();
/// Chooses the locale by name; raises error 5 for a name that is not known.
void SetCurrentLocale(std::string_view name);

/// Pins a locale while it lives (tests use it), then restores the previous one.
class ScopedLocale {
public:
    explicit ScopedLocale(std::string_view name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    const Locale* previous_;
};

/// Formats date parts with a pattern; parts are printed as given, without validation.
std::string FormatDatePattern(const DateParts& parts, std::string_view pattern, const Locale& locale);

} // namespace chronova::platform
