#include "timeapply/step_literal.h"

#include "datetime/mod_date_time.h"
#include "platform/conversions.h"
#include "records/time_codes.h"

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
    case kTimeFieldDate:
        return "#" + platform::CStr(step) + "#";
    case kTimeFieldText:
        // A text field compares its texts read as times with a date, so that ISO texts, offsets and the
        // locale's forms all meet the step; texts compared as texts order "5/10" before "5/9".
        return date ? "#" + platform::CStr(step) + "#" : Quoted(platform::CStr(step));
    case kTimeFieldDateTimeGroup:
        return Quoted(date ? modDateTime::DateToDTG(*date) : platform::CStr(step));
    case kTimeFieldLong:
        return date ? std::to_string(modDateTime::DateToMinutes(*date)) : platform::CStr(step);
    case kTimeFieldYear:
        return date ? std::to_string(date->Parts().year) : platform::CStr(step);
    case kTimeFieldDouble:
        if (step.Type() == platform::VarType::String || (double_form == DoubleStepForm::Bare && !date)) {
            return platform::CStr(step);
        }
        return "#" + platform::CStr(step) + "#";
    default:
        return std::nullopt;
    }
}

} // namespace chronova
