#include "timeapply/step_literal.h"

#include "datetime/mod_date_time.h"
#include "platform/conversions.h"

namespace chronova {

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

} // namespace

std::optional<std::string> StepLiteral(int16_t time_field_type, const platform::Variant& step,
                                       DoubleStepForm double_form) {
    const platform::Date* date = step.Get<platform::Date>();
    switch (time_field_type) {
    case 1:
        return "#" + platform::CStr(step) + "#";
    case 2:
        return Quoted(platform::CStr(step));
    case 3:
        return Quoted(date ? modDateTime::DateToDTG(*date) : platform::CStr(step));
    case 4:
        return date ? std::to_string(modDateTime::DateToMinutes(*date)) : platform::CStr(step);
    case 5:
        if (step.Type() == platform::VarType::String || (double_form == DoubleStepForm::Bare && !date)) {
            return platform::CStr(step);
        }
        return "#" + platform::CStr(step) + "#";
    default:
        return std::nullopt;
    }
}

} // namespace chronova
