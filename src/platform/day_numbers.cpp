#include "platform/day_numbers.h"

#include <cstdio>

#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/ole_date.h"
#include "platform/text.h"

namespace chronova::platform {
namespace {

constexpr int kMaxYear = 9999;

int ReadField(std::string_view field) {
    const std::string trimmed = Trim(field);
    const auto value = ParseNumber(trimmed);
    if (trimmed.empty() || trimmed.find_first_of(".eE,&") != std::string::npos || !value || *value < -kMaxYear ||
        *value > kMaxYear) {
        RaiseError(error::kTypeMismatch);
    }
    return static_cast<int>(*value);
}

} // namespace

int32_t DayNumber(int year, int month, int day) {
    if (year < -kMaxYear || year > kMaxYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        RaiseError(error::kTypeMismatch);
    }
    return static_cast<int32_t>(CivilToDayNumber(year, month, day));
}

int32_t Date2Num(std::string_view text) {
    const size_t first = text.find('/');
    const size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos || text.find('/', second + 1) != std::string_view::npos) {
        RaiseError(error::kTypeMismatch);
    }
    return DayNumber(ReadField(text.substr(second + 1)), ReadField(text.substr(0, first)),
                     ReadField(text.substr(first + 1, second - first - 1)));
}

std::string Num2Date(int32_t day_number) {
    int year = 0, month = 0, day = 0;
    DayNumberToCivil(day_number, year, month, day);
    if (year < 1 || year > kMaxYear) {
        RaiseError(error::kInvalidProcedureCall);
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", month, day, year);
    return buffer;
}

std::string ParseString(long& pos, std::string_view text, std::string_view separators) {
    if (pos < 1) {
        pos = 1;
    }
    if (static_cast<size_t>(pos) > text.size()) {
        return {};
    }
    const auto start = static_cast<size_t>(pos - 1);
    const size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) {
        pos = static_cast<long>(text.size()) + 1;
        return std::string(text.substr(start));
    }
    pos = static_cast<long>(end) + 2;
    return std::string(text.substr(start, end - start));
}

} // namespace chronova::platform
