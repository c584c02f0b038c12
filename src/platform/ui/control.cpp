#include "platform/ui/control.h"

namespace chronova::platform::ui {

void CaptionedControl::Caption(std::string_view value) {
    if (value == caption_) {
        return;
    }
    caption_ = value;
    CaptionChanged();
}

} // namespace chronova::platform::ui
