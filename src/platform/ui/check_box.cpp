#include "platform/ui/check_box.h"

#include "platform/automation_error.h"

namespace chronova::platform::ui {

void CheckBox::Value(int32_t value) {
    if (value < kUnchecked || value > kGrayed) {
        RaiseError(380, "Invalid property value");
    }
    if (value == value_) {
        return;
    }
    value_ = value;
    Changed.Fire();
    Click.Fire();
}

void CheckBox::UserClick() {
    if (Enabled() && Visible()) {
        Value(value_ == kChecked ? kUnchecked : kChecked);
    }
}

} // namespace chronova::platform::ui
