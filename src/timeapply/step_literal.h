#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/variant.h"

namespace chronova {

/// How a time field of type code 5 (double) takes a step value that is not text.
enum class DoubleStepForm {
    DateLiteral, ///< between "#" marks, as a definition expression writes it
    Bare,        ///< as a plain number, as a time join writes it (a date value still gets "#" marks)
};

/// The literal that stands for a step value in a where clause on a time field of the given TimeFieldType:
/// code 1 "#date#"; code 2 "#date#" for a date (the field's texts are then read as times) and 'text' with
/// inner quotes doubled for a text; code 3 'text'; code 4 a bare number; code 101 (years) the year number of a date,
/// else bare; code 5 bare for text, otherwise by double_form. A date value on a date-time-group field (code 3) is
/// written as a date-time group, and on a long-integer field (code 4) as its minute count, so that an exact time
/// matches the stored step. Nothing for any other code.
std::optional<std::string> StepLiteral(int16_t time_field_type, const platform::Variant& step,
                                       DoubleStepForm double_form = DoubleStepForm::DateLiteral);

} // namespace chronova
