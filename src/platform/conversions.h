#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/variant.h"

namespace chronova::platform {

// The classic automation conversions, one place for the whole system. Failures raise AutomationError:
// 13 (type mismatch) for a value that cannot be read as the target type, 6 (overflow) for one that
// does not fit.

/// Text of a value: numbers in their shortest exact form, dates in the locale's default form,
/// Booleans as "True"/"False", Empty as "".
std::string CStr(const Variant& value);
/// A date from a date, a number (OLE serial) or a date text.
Date CDate(const Variant& value);
/// A 32-bit integer; fractions round to the nearest whole number, halves to the even one.
int32_t CLng(const Variant& value);
/// A 16-bit integer; rounds like CLng.
int16_t CInt(const Variant& value);
double CDbl(const Variant& value);
float CSng(const Variant& value);
/// True for non-zero numbers and the texts "True" (any case) and non-zero numeric texts.
bool CBool(const Variant& value);

/// The numeric value of a text: optional blanks, sign, digits with "," grouping, fraction, exponent,
/// or &H / &O integers; nothing when the whole text is not such a number.
std::optional<double> ParseNumber(std::string_view text);
/// The number at the start of a text, blanks ignored, 0 when there is none; never fails.
double Val(std::string_view text);

/// "True" or "False".
std::string BoolText(bool value);
/// The classic type name of a value: "Empty", "Integer", "Long", "Single", "Double", "Date", "String",
/// "Boolean", "Object" (or "Nothing" for an empty object reference).
std::string TypeName(const Variant& value);

} // namespace chronova::platform
