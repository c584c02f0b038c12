#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gis/symbology/color.h"

namespace chronova::gis {

/// What a colour ramp is made for: ordered values (light to dark), values on either side of a midpoint, or
/// categories without an order (distinct colours).
enum class RampKind { Sequential, Diverging, Qualitative };

/// A named colour ramp: its colours in order, evenly spaced from the start (0) to the end (1).
struct ColorRamp {
    std::string_view Name;
    RampKind Kind = RampKind::Sequential;
    std::vector<Color> Colors;
};

/// A colour at a position of a ramp, 0 at its start and 1 at its end.
struct RampStop {
    double Position = 0.0;
    Color StopColor;
    friend bool operator==(const RampStop&, const RampStop&) = default;
};

/// The built-in ramps (colour-blind-safe lists such as viridis and the ColorBrewer schemes), in a fixed order.
const std::vector<ColorRamp>& ColorRamps();

/// The ramp of a name, letter case ignored; null when there is none.
const ColorRamp* FindColorRamp(std::string_view name);

/// The ramp of a name, letter case ignored; raises 5 with a message that lists the known names.
const ColorRamp& ColorRampNamed(std::string_view name);

/// The names of the built-in ramps, comma separated, for messages.
std::string ColorRampNames();

/// Colours spaced evenly from 0 to 1 as stops.
std::vector<RampStop> EvenStops(const std::vector<Color>& colors);

/// The colour at t (clamped to 0..1) between ascending stops, linear in RGB; before the first stop its colour,
/// after the last stop its colour. Black for no stops.
Color SampleStops(const std::vector<RampStop>& stops, double t);

/// The colour at t (0..1) of a ramp.
Color SampleRamp(const ColorRamp& ramp, double t);

/// Colours for `count` classes: a qualitative ramp's colours in order, cycling when there are more classes;
/// other ramps sampled evenly from start to end (the middle for one class).
std::vector<Color> ClassColors(const ColorRamp& ramp, int count);

/// Colours for `count` classes from a list of colours treated as a sequential ramp (evenly sampled); the
/// colours themselves when there are as many as classes.
std::vector<Color> ClassColors(const std::vector<Color>& colors, int count);

} // namespace chronova::gis
