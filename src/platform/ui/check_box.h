#pragma once

#include "platform/ui/ui_event.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// A headless check box with the classic three states.
class CheckBox {
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

    /// The user clicks the box: an enabled box toggles between checked and unchecked (grayed becomes
    /// unchecked).
    void UserClick();

    const std::string& Caption() const noexcept { return caption_; }
    void Caption(std::string_view value) { caption_ = value; }
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value) noexcept { enabled_ = value; }
    bool Visible() const noexcept { return visible_; }
    void Visible(bool value) noexcept { visible_ = value; }

    /// Raised after Value changed.
    Event<> Click;

private:
    int32_t value_ = kUnchecked;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
};

} // namespace chronova::platform::ui
