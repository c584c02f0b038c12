#include "platform/ui/label.h"

namespace chronova::platform::ui {

void Label::Caption(std::string_view value) {
    if (value == caption_) {
        return;
    }
    caption_ = value;
    Change.Fire();
}

} // namespace chronova::platform::ui
