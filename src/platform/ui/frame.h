#pragma once

#include "platform/ui/control.h"

namespace chronova::platform::ui {

/// A headless frame: a captioned group box; forms hide or disable it to hide or disable its group at once.
class Frame : public CaptionedControl {};

} // namespace chronova::platform::ui
