#pragma once

#include <optional>

#include "platform/ole_date.h"

namespace chronova {

class frmSlider;

/// The slider's next time after current, where a window of one slider step ends: the next distinct step in
/// the unique-points mode (none after the last), else one interval on, calendar aware.
std::optional<platform::Date> NextSliderTime(const frmSlider& slider, platform::Date current);

} // namespace chronova
