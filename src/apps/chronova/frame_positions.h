#pragma once

#include <cstdint>
#include <vector>

#include "slider/axis_state.h"

namespace chronova {
class frmSlider;
} // namespace chronova

namespace chronova::cli {

/// The slider positions a run draws from the slider's start to its finish: every position of the interval axis
/// (which keeps one past the start even when the interval is longer than the range), or the steps of the unique
/// axis that lie in the range. Empty when no step lies there.
std::vector<int32_t> PositionsFromStartToFinish(const frmSlider& slider, const AxisState& axis);

} // namespace chronova::cli
