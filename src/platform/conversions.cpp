#include "platform/conversions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/automation_error.h"
#include "platform/date_text.h"
#include "platform/text.h"

namespace chronova::platform {
namespace {

[[noreturn]] void TypeMismatch() {
    RaiseError(error::kTypeMismatch);
}

std::optional<double> ParseRadixInteger(std::string_view digits, int radix) {
    if (digits.empty() || digits.size() > 16) {
        return std::nullopt;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, radix);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    // &H literals are 16- or 32-bit two's complement patterns, as in the classic runtime.
    if (digits.size() <= 4 && value > 0x7FFF) {
        return static_cast<double>(static_cast<int16_t>(value));
    }
    if (value <= 0xFFFFFFFFu) {
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
    }
    return static_cast<double>(value);
}

double ToDouble(const Variant& value) {
    if (value.IsEmpty()) {
        return 0.0;
    }
    if (auto v = value.Get<int16_t>()) {
        return *v;
    }
    if (auto v = value.Get<int32_t>()) {
        return *v;
    }
    if (auto v = value.Get<float>()) {
        return *v;
    }
    if (auto v = value.Get<double>()) {
        return *v;
    }
    if (auto v = value.Get<Date>()) {
        return v->Serial();
    }
    if (auto v = value.Get<bool>()) {
        return *v ? -1.0 : 0.0;
    }
    if (auto v = value.Get<std::string>()) {
        if (auto number = ParseNumber(*v)) {
            return *number;
        }
        const std::string trimmed = Trim(*v);
        if (IEquals(trimmed, "True")) {
            return -1.0;
        }
        if (IEquals(trimmed, "False")) {
            return 0.0;
        }
        TypeMismatch();
    }
    TypeMismatch();
}

template <class Int>
Int RoundToInteger(double value) {
    if (std::isnan(value)) {
        TypeMismatch();
    }
    const double rounded = std::nearbyint(value); // the default rounding mode rounds halves to even
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        RaiseError(error::kOverflow);
    }
    return static_cast<Int>(rounded);
}

std::string FormatReal(double value, int significant_digits) {
    if (value == 0.0) {
        return "0";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", significant_digits, value);
    return buffer;
}

} // namespace

std::optional<double> ParseNumber(std::string_view text) {
    std::string s = Trim(text);
    while (!s.empty() && s.back() == '\t') {
        s.pop_back();
    }
    if (s.empty()) {
        return std::nullopt;
    }
    if (s.size() > 2 && s[0] == '&') {
        const char radix = static_cast<char>(s[1] | 0x20);
        if (radix == 'h') {
            return ParseRadixInteger(std::string_view(s).substr(2), 16);
        }
        if (radix == 'o') {
            return ParseRadixInteger(std::string_view(s).substr(2), 8);
        }
        return std::nullopt;
    }
    // Drop digit grouping commas in the whole-number part; a comma anywhere else is not a number.
    std::string plain;
    plain.reserve(s.size());
    bool seen_digit = false;
    bool in_fraction_or_exponent = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ',') {
            if (!seen_digit || in_fraction_or_exponent || i + 1 >= s.size() || s[i + 1] < '0' || s[i + 1] > '9') {
                return std::nullopt;
            }
            continue;
        }
        if (c >= '0' && c <= '9') {
            seen_digit = true;
        } else if (c == '.' || c == 'e' || c == 'E' || c == 'd' || c == 'D') {
            in_fraction_or_exponent = true;
        }
        plain += (c == 'd' || c == 'D') ? 'E' : c;
    }
    const char* begin = plain.data();
    if (*begin == '+') {
        ++begin;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(begin, plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range && end == plain.data() + plain.size()) {
        if (plain.find("E-") != std::string::npos) {
            return 0.0; // too small for a double
        }
        RaiseError(error::kOverflow);
    }
    if (ec != std::errc() || end != plain.data() + plain.size()) {
        return std::nullopt;
    }
    return value;
}

double Val(std::string_view text) {
    std::string s; // blanks anywhere are ignored
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            s += c;
        }
    }
    const auto digits_while = [&](size_t from, auto is_digit) {
        while (from < s.size() && is_digit(static_cast<unsigned char>(s[from]))) {
            ++from;
        }
        return from;
    };
    if (s.size() > 2 && s[0] == '&') {
        const char radix = static_cast<char>(s[1] | 0x20);
        const int base = radix == 'h' ? 16 : radix == 'o' ? 8 : 0;
        if (base == 0) {
            return 0.0;
        }
        const size_t end = base == 16 ? digits_while(2, [](int c) { return std::isxdigit(c) != 0; })
                                      : digits_while(2, [](int c) { return c >= '0' && c <= '7'; });
        return ParseRadixInteger(std::string_view(s).substr(2, end - 2), base).value_or(0.0);
    }
    // The longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    const auto is_decimal = [](int c) { return std::isdigit(c) != 0; };
    const size_t sign = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    size_t end = digits_while(sign, is_decimal);
    bool has_digits = end > sign;
    if (end < s.size() && s[end] == '.') {
        const size_t fraction_end = digits_while(end + 1, is_decimal);
        has_digits = has_digits || fraction_end > end + 1;
        end = fraction_end;
    }
    if (!has_digits) {
        return 0.0;
    }
    std::string number = s.substr(sign == 1 && s[0] == '+' ? 1 : 0, end - (sign == 1 && s[0] == '+' ? 1 : 0));
    if (end < s.size() && (s[end] == 'E' || s[end] == 'e' || s[end] == 'D' || s[end] == 'd')) {
        const size_t exponent_sign = end + 1 < s.size() && (s[end + 1] == '+' || s[end + 1] == '-') ? 1 : 0;
        const size_t exponent_end = digits_while(end + 1 + exponent_sign, is_decimal);
        if (exponent_end > end + 1 + exponent_sign) {
            number += 'E';
            number += s.substr(end + 1, exponent_end - end - 1);
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large is infinite, too small is zero; the caller gets the nearest double either way.
        const bool negative = number[0] == '-';
        const bool tiny = number.find("E-") != std::string::npos;
        return tiny ? 0.0
                    : (negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity());
    }
    return value;
}

std::string CStr(const Variant& value) {
    switch (value.Type()) {
    case VarType::Empty:
        return {};
    case VarType::Integer:
        return std::to_string(*value.Get<int16_t>());
    case VarType::Long:
        return std::to_string(*value.Get<int32_t>());
    case VarType::Single:
        return FormatReal(*value.Get<float>(), 7);
    case VarType::Double:
        return FormatReal(*value.Get<double>(), 15);
    case VarType::Date:
        return DateToText(*value.Get<Date>());
    case VarType::String:
        return *value.Get<std::string>();
    case VarType::Boolean:
        return BoolText(*value.Get<bool>());
    case VarType::Object:
        break;
    }
    TypeMismatch();
}

Date CDate(const Variant& value) {
    if (auto v = value.Get<Date>()) {
        return *v;
    }
    if (auto v = value.Get<std::string>()) {
        return TextToDate(*v);
    }
    const double serial = ToDouble(value);
    // The serial range of the years 100 to 9999.
    if (!(serial >= -657434.0 && serial < 2958466.0)) {
        RaiseError(error::kOverflow);
    }
    return Date(serial);
}

int32_t CLng(const Variant& value) {
    return RoundToInteger<int32_t>(ToDouble(value));
}

int16_t CInt(const Variant& value) {
    return RoundToInteger<int16_t>(ToDouble(value));
}

double CDbl(const Variant& value) {
    return ToDouble(value);
}

float CSng(const Variant& value) {
    const double v = ToDouble(value);
    if (std::isfinite(v) && std::fabs(v) > std::numeric_limits<float>::max()) {
        RaiseError(error::kOverflow);
    }
    return static_cast<float>(v);
}

bool CBool(const Variant& value) {
    if (auto v = value.Get<bool>()) {
        return *v;
    }
    return ToDouble(value) != 0.0;
}

std::string BoolText(bool value) {
    return value ? "True" : "False";
}

std::string TypeName(const Variant& value) {
    switch (value.Type()) {
    case VarType::Empty:
        return "Empty";
    case VarType::Integer:
        return "Integer";
    case VarType::Long:
        return "Long";
    case VarType::Single:
        return "Single";
    case VarType::Double:
        return "Double";
    case VarType::Date:
        return "Date";
    case VarType::String:
        return "String";
    case VarType::Boolean:
        return "Boolean";
    case VarType::Object:
        return *value.Get<ObjectRef>() ? "Object" : "Nothing";
    }
    return "Unknown";
}

} // namespace chronova::platform
