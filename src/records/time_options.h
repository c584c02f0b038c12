#pragma once

#include <optional>
#include <string>

#include "datetime/calendar_interval.h"

namespace chronova {

/// A layer's time window: at the current time t it shows the features whose time t' lies in [t, t + w).
struct TimeWindowOption {
    enum class Kind { None, SliderInterval, Duration };
    Kind kind = Kind::None;
    /// The duration w, for Kind::Duration: minutes, or calendar months or years.
    modDateTime::CalendarInterval duration;

    bool IsSet() const noexcept { return kind != Kind::None; }
    friend bool operator==(const TimeWindowOption&, const TimeWindowOption&) = default;
};

/// A layer of moving things: at time t each entity (features sharing an id) shows its latest feature at or
/// before t, and optionally a trail through its earlier fixes.
struct TrackOption {
    /// The field that names the entity; "" when the layer has no tracks.
    std::string IdField;
    /// Fixes older than this many days are not shown; 0 shows the latest fix however old.
    double MaxAgeDays = 0.0;
    /// The trail's length in days; unset draws no trail, 0 draws it from the first fix.
    std::optional<double> TrailDays;

    bool IsSet() const noexcept { return !IdField.empty(); }
    friend bool operator==(const TrackOption&, const TrackOption&) = default;
};

} // namespace chronova
