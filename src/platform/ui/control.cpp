#include "platform/ui/control.h"

#include <algorithm>

namespace chronova::platform::ui {

void Control::Enabled(bool value) {
    if (value == enabled_) {
        return;
    }
    enabled_ = value;
    Changed.Fire();
}

void Control::Visible(bool value) {
    if (value == visible_) {
        return;
    }
    visible_ = value;
    Changed.Fire();
}

void Control::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const bool resized = width != width_ || height != height_;
    if (!resized && left == left_ && top == top_) {
        return;
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed.Fire();
    if (resized) {
        Resized();
    }
}

void CaptionedControl::Caption(std::string_view value) {
    if (value == caption_) {
        return;
    }
    caption_ = value;
    Changed.Fire();
    CaptionChanged();
}

} // namespace chronova::platform::ui
