#include "platform/ui/control.h"

#include <algorithm>

namespace chronova::platform::ui {

void Control::Move(int32_t left, int32_t top, int32_t width, int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (resized) {
        Resized();
    }
}

void CaptionedControl::Caption(std::string_view value) {
    if (value == caption_) {
        return;
    }
    caption_ = value;
    CaptionChanged();
}

} // namespace chronova::platform::ui
