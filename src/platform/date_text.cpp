#include "platform/date_text.h"

#include <ctime>
#include <vector>

#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::platform {
namespace {

struct Token {
    enum class Kind { Number, Word, Colon, Dot } kind;
    std::string text; // upper-case word or digits
    int64_t value = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsBlankOrSeparator(char c) {
    return c == ' ' || c == '\t' || c == '/' || c == '-' || c == ',';
}

// Splits the text into numbers, words and the punctuation that carries meaning (":" inside times, "."
// before a fraction of a second or between date fields). Returns false for characters no date text has.
bool Tokenize(std::string_view text, std::vector<Token>& tokens) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsDigit(c)) {
            Token token{Token::Kind::Number, {}, 0};
            while (i < text.size() && IsDigit(text[i])) {
                token.text += text[i];
                if (token.value < 100000000) {
                    token.value = token.value * 10 + (text[i] - '0');
                }
                ++i;
            }
            tokens.push_back(std::move(token));
        } else if (IsLetter(c)) {
            Token token{Token::Kind::Word, {}, 0};
            while (i < text.size() && IsLetter(text[i])) {
                token.text += text[i];
                ++i;
            }
            token.text = UCase(token.text);
            tokens.push_back(std::move(token));
        } else if (c == ':') {
            tokens.push_back({Token::Kind::Colon, ":", 0});
            ++i;
        } else if (c == '.') {
            tokens.push_back({Token::Kind::Dot, ".", 0});
            ++i;
        } else if (IsBlankOrSeparator(c)) {
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

// Month 1-12 of a month name, its abbreviation or any prefix of three letters or more; 0 otherwise.
int MonthOfWord(const std::string& word, const Locale& locale) {
    for (size_t m = 0; m < 12; ++m) {
        const std::string full = UCase(locale.month_names[m]);
        if (word == UCase(locale.month_abbreviations[m]) ||
            (word.size() >= 3 && word.size() <= full.size() && full.compare(0, word.size(), word) == 0)) {
            return static_cast<int>(m) + 1;
        }
    }
    return 0;
}

bool IsWeekdayWord(const std::string& word) {
    static constexpr const char* kDays[] = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                            "FRIDAY", "SATURDAY", "SUNDAY"};
    for (const char* day : kDays) {
        const std::string_view full(day);
        if (word.size() >= 3 && word.size() <= full.size() && full.compare(0, word.size(), word) == 0) {
            return true;
        }
    }
    return false;
}

struct DateNumber {
    int64_t value;
    size_t digits;
    bool IsYear() const { return digits >= 3 || value > 31; }
};

int WindowYear(const DateNumber& number) {
    if (number.digits <= 2) {
        return static_cast<int>(number.value < 30 ? 2000 + number.value : 1900 + number.value);
    }
    return static_cast<int>(number.value);
}

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

// Assigns year, month and day from the numbers and the month word; false when they make no date.
bool ResolveDate(const std::vector<DateNumber>& numbers, int month_word, const Locale& locale, DateParts& parts) {
    const bool day_first = locale.date_order == DateOrder::DayMonthYear;
    if (month_word != 0) {
        parts.month = month_word;
        if (numbers.size() == 1) {
            if (numbers[0].IsYear()) {
                parts.year = WindowYear(numbers[0]);
                parts.day = 1;
            } else {
                parts.year = CurrentYear();
                parts.day = static_cast<int>(numbers[0].value);
            }
            return true;
        }
        if (numbers.size() == 2) {
            const bool year_first = numbers[0].IsYear() && !numbers[1].IsYear();
            const DateNumber& day = year_first ? numbers[1] : numbers[0];
            const DateNumber& year = year_first ? numbers[0] : numbers[1];
            parts.day = static_cast<int>(day.value);
            parts.year = WindowYear(year);
            return true;
        }
        return false;
    }
    if (numbers.size() == 3) {
        if (numbers[0].IsYear()) {
            parts.year = WindowYear(numbers[0]);
            parts.month = static_cast<int>(numbers[1].value);
            parts.day = static_cast<int>(numbers[2].value);
        } else {
            parts.month = static_cast<int>(numbers[day_first ? 1 : 0].value);
            parts.day = static_cast<int>(numbers[day_first ? 0 : 1].value);
            parts.year = WindowYear(numbers[2]);
        }
        return true;
    }
    if (numbers.size() == 2) {
        if (numbers[0].IsYear()) { // 2008-03
            parts.year = WindowYear(numbers[0]);
            parts.month = static_cast<int>(numbers[1].value);
            parts.day = 1;
        } else if (numbers[1].IsYear()) { // 3/2008
            parts.month = static_cast<int>(numbers[0].value);
            parts.year = WindowYear(numbers[1]);
            parts.day = 1;
        } else {
            parts.month = static_cast<int>(numbers[day_first ? 1 : 0].value);
            parts.day = static_cast<int>(numbers[day_first ? 0 : 1].value);
            parts.year = CurrentYear();
        }
        return true;
    }
    return false;
}

} // namespace

std::string FormatShortDate(const DateParts& parts, const Locale& locale) {
    return FormatDatePattern(parts, locale.short_date_pattern, locale);
}

std::string FormatTime(const DateParts& parts, const Locale& locale) {
    return FormatDatePattern(parts, locale.time_pattern, locale);
}

std::string DateToText(Date date, const Locale& locale) {
    const DateParts parts = date.Parts();
    const bool no_date = parts.year == 1899 && parts.month == 12 && parts.day == 30;
    const bool no_time = parts.hour == 0 && parts.minute == 0 && parts.second == 0;
    if (no_date) {
        return FormatTime(parts, locale);
    }
    if (no_time) {
        return FormatShortDate(parts, locale);
    }
    return FormatShortDate(parts, locale) + " " + FormatTime(parts, locale);
}

std::optional<ZonedDate> TryParseZonedDate(std::string_view text, const Locale& locale) {
    if (auto iso = TryParseIsoDate(text)) {
        return iso;
    }
    if (auto date = TryParseDate(text, locale)) {
        return ZonedDate{*date, std::nullopt};
    }
    return std::nullopt;
}

std::optional<Date> TryParseDate(std::string_view text, const Locale& locale) {
    if (auto iso = TryParseIsoDate(text)) {
        return iso->wall;
    }
    std::vector<Token> tokens;
    if (text.size() > 256 || !Tokenize(text, tokens) || tokens.empty()) {
        return std::nullopt;
    }

    std::vector<DateNumber> numbers;
    int month_word = 0;
    bool has_time = false;
    int hour = 0, minute = 0, second = 0;
    enum class Meridiem { None, Am, Pm } meridiem = Meridiem::None;

    const auto is = [&](size_t i, Token::Kind kind) { return i < tokens.size() && tokens[i].kind == kind; };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.kind == Token::Kind::Number) {
            if (!has_time && is(i + 1, Token::Kind::Colon) && is(i + 2, Token::Kind::Number)) {
                // h:mm[:ss[.fff]], each field one or two digits
                has_time = true;
                const auto two_digits = [&](size_t k) { return tokens[k].text.size() <= 2; };
                hour = static_cast<int>(token.value);
                minute = static_cast<int>(tokens[i + 2].value);
                bool fields_ok = two_digits(i) && two_digits(i + 2);
                i += 2;
                if (is(i + 1, Token::Kind::Colon) && is(i + 2, Token::Kind::Number)) {
                    second = static_cast<int>(tokens[i + 2].value);
                    fields_ok = fields_ok && two_digits(i + 2);
                    i += 2;
                    if (is(i + 1, Token::Kind::Dot) && is(i + 2, Token::Kind::Number)) {
                        i += 2; // fractions of a second are dropped
                    }
                }
                if (!fields_ok) {
                    return std::nullopt;
                }
                continue;
            }
            if (!has_time && i + 1 < tokens.size() && tokens[i + 1].kind == Token::Kind::Word &&
                (tokens[i + 1].text == "AM" || tokens[i + 1].text == "PM")) {
                has_time = true; // "6 PM"
                hour = static_cast<int>(token.value);
                continue;
            }
            numbers.push_back({token.value, token.text.size()});
        } else if (token.kind == Token::Kind::Word) {
            const std::string& word = token.text;
            if (has_time && meridiem == Meridiem::None && (word == "AM" || word == "A")) {
                meridiem = Meridiem::Am;
            } else if (has_time && meridiem == Meridiem::None && (word == "PM" || word == "P")) {
                meridiem = Meridiem::Pm;
            } else if (word == "T" || (word == "Z" && has_time) || IsWeekdayWord(word)) {
                continue; // ISO separator, UTC marker and weekday names carry nothing we need
            } else if (int month = MonthOfWord(word, locale); month != 0 && month_word == 0) {
                month_word = month;
            } else {
                return std::nullopt;
            }
        } else if (token.kind == Token::Kind::Colon) {
            return std::nullopt; // a colon outside a time
        }
        // Dots between date fields ("01.03.2008") are separators.
    }

    if (meridiem != Meridiem::None) {
        if (hour > 12) {
            return std::nullopt;
        }
        if (meridiem == Meridiem::Pm && hour < 12) {
            hour += 12;
        } else if (meridiem == Meridiem::Am && hour == 12) {
            hour = 0;
        }
    }
    if (hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }

    DateParts parts; // a time alone lies on day zero
    if (!numbers.empty() || month_word != 0) {
        if (!ResolveDate(numbers, month_word, locale, parts)) {
            return std::nullopt;
        }
    } else if (!has_time) {
        return std::nullopt;
    }
    if (parts.year < Date::kMinYear || parts.year > Date::kMaxYear || parts.month < 1 || parts.month > 12 ||
        parts.day < 1 || parts.day > DaysInMonth(parts.year, parts.month)) {
        return std::nullopt;
    }
    return Date::FromParts(parts.year, parts.month, parts.day, hour, minute, second);
}

Date TextToDate(std::string_view text, const Locale& locale) {
    if (auto date = TryParseDate(text, locale)) {
        return *date;
    }
    RaiseError(error::kTypeMismatch);
}

} // namespace chronova::platform
