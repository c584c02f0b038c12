#pragma once

#include "platform/event.h"
#include "platform/ui/control.h"

#include <cstdint>

namespace chronova::platform::ui {

/// A headless check box with the classic three states.
class CheckBox : public CaptionedControl {
public:
    static constexpr int32_t kUnchecked = 0;
    static constexpr int32_t kChecked = 1;
    static constexpr int32_t kGrayed = 2;

    CheckBox() = default;
    CheckBox(const CheckBox&) = delete;
    CheckBox& operator=(const CheckBox&) = delete;

    int32_t Value() const noexcept { return value_; }
    //! Sets the state (0 unchecked, 1 checked, 2 grayed); raises Click when it really changes, also from
    //! code. Error 380 for any other number.
    void Value(int32_t value);

    /// The user clicks the box: an enabled box toggles between checked and unchecked; a grayed box becomes
    /// checked, as the system's automatic check box does.
    void UserClick();

    /// Raised after Value changed.
    Event<> Click;

private:
    int32_t value_ = kUnchecked;
};

} // namespace chronova::platform::ui
