#include "platform/locale.h"

#include <cstdlib>

#include "platform/automation_error.h"

namespace chronova::platform {
namespace {

constexpr std::array<const char*, 12> kEnglishMonths = {"January",   "February", "March",    "April",
                                                        "May",       "June",     "July",     "August",
                                                        "September", "October",  "November", "December"};

Locale MakeEnglish(std::string name, DateOrder order, std::string date_pattern, std::string time_pattern) {
    Locale locale;
    locale.name = std::move(name);
    locale.date_order = order;
    locale.short_date_pattern = std::move(date_pattern);
    locale.time_pattern = std::move(time_pattern);
    for (size_t i = 0; i < 12; ++i) {
        locale.month_names[i] = kEnglishMonths[i];
        locale.month_abbreviations[i] = std::string(kEnglishMonths[i]).substr(0, 3);
    }
    locale.am_designator = "AM";
    locale.pm_designator = "PM";
    return locale;
}

const Locale* FindLocale(std::string_view name) {
    if (name == "en-US") {
        return &UsLocale();
    }
    if (name == "en-GB") {
        return &DayFirstLocale();
    }
    return nullptr;
}

const Locale*& CurrentSlot() {
    static const Locale* current = [] {
        const char* env = std::getenv("CHRONOVA_LOCALE");
        const Locale* found = env != nullptr ? FindLocale(env) : nullptr;
        return found != nullptr ? found : &UsLocale();
    }();
    return current;
}

void AppendNumber(std::string& out, int value, size_t min_digits) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < min_digits) {
        digits.insert(0, min_digits - digits.size(), '0');
    }
    if (value < 0) {
        out += '-';
    }
    out += digits;
}

} // namespace

const Locale& UsLocale() {
    static const Locale locale = MakeEnglish("en-US", DateOrder::MonthDayYear, "M/d/yyyy", "h:mm:ss tt");
    return locale;
}

const Locale& DayFirstLocale() {
    static const Locale locale = MakeEnglish("en-GB", DateOrder::DayMonthYear, "dd/MM/yyyy", "HH:mm:ss");
    return locale;
}

const Locale& CurrentLocale() {
    return *CurrentSlot();
}

void SetCurrentLocale(std::string_view name) {
    const Locale* found = FindLocale(name);
    if (found == nullptr) {
        RaiseError(error::kInvalidProcedureCall, "Unknown locale \"" + std::string(name) + "\"");
    }
    CurrentSlot() = found;
}

ScopedLocale::ScopedLocale(std::string_view name) : previous_(&CurrentLocale()) {
    SetCurrentLocale(name);
}

ScopedLocale::~ScopedLocale() {
    CurrentSlot() = previous_;
}

std::string FormatDatePattern(const DateParts& parts, std::string_view pattern, const Locale& locale) {
    std::string out;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        const bool valid_month = parts.month >= 1 && parts.month <= 12;
        switch (c) {
        case 'd':
            AppendNumber(out, parts.day, run >= 2 ? 2 : 1);
            break;
        case 'M':
            if (run >= 3 && valid_month) {
                const auto& names = run >= 4 ? locale.month_names : locale.month_abbreviations;
                out += names[static_cast<size_t>(parts.month - 1)];
            } else {
                AppendNumber(out, parts.month, run >= 2 ? 2 : 1);
            }
            break;
        case 'y':
            if (run <= 2) {
                AppendNumber(out, parts.year % 100, run);
            } else {
                AppendNumber(out, parts.year, run);
            }
            break;
        case 'h': {
            const int hour12 = parts.hour % 12 == 0 ? 12 : parts.hour % 12;
            AppendNumber(out, hour12, run >= 2 ? 2 : 1);
            break;
        }
        case 'H':
            AppendNumber(out, parts.hour, run >= 2 ? 2 : 1);
            break;
        case 'm':
            AppendNumber(out, parts.minute, run >= 2 ? 2 : 1);
            break;
        case 's':
            AppendNumber(out, parts.second, run >= 2 ? 2 : 1);
            break;
        case 't': {
            const std::string& designator = parts.hour < 12 ? locale.am_designator : locale.pm_designator;
            out += run >= 2 ? designator : designator.substr(0, 1);
            break;
        }
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

} // namespace chronova::platform
