#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/automation_error.h"

// The slider's whole-number arithmetic: results that do not fit raise error 6, as the classic Long and Integer
// arithmetic the axis was written for does, so an axis too wide for minute numbers fails instead of wrapping.
namespace chronova::slider_math {

/// A Long result of Long arithmetic; error 6 when it does not fit.
inline int32_t ToLong(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return static_cast<int32_t>(value);
}

/// A 16-bit Integer result; error 6 when it does not fit.
inline int16_t ToInteger(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return static_cast<int16_t>(value);
}

/// The nearest whole number, halves to the even one (the default rounding mode); error 6 outside a Long.
inline int32_t RoundLong(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int32_t>::min() && rounded <= std::numeric_limits<int32_t>::max())) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return static_cast<int32_t>(rounded);
}

} // namespace chronova::slider_math
