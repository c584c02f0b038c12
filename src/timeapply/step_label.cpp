#include "timeapply/step_label.h"

#include "datetime/label_format.h"
#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "records/process_state.h"

namespace chronova {

std::string StepLabel(const platform::Variant& step) {
    if (g_sLabelFormat.empty()) {
        return platform::CStr(step);
    }
    try {
        int32_t minutes = 0;
        if (const int32_t* count = step.Get<int32_t>()) {
            minutes = *count;
        } else if (const std::string* text = step.Get<std::string>(); text && modDateTime::IsDTG(*text)) {
            minutes = modDateTime::DTGToMinutes(*text);
        } else {
            minutes = modDateTime::DateToMinutes(platform::CDate(step));
        }
        return modDateTime::FormatMinutes(minutes, g_sLabelFormat);
    } catch (const platform::AutomationError&) {
        // A step that is no time keeps its own text.
        return platform::CStr(step);
    }
}

} // namespace chronova
