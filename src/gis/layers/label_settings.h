#pragma once

#include <cstdint>
#include <string>

#include "gis/symbology/color.h"

namespace chronova::gis {

/// How a layer labels its features with the values of a field. Sizes are in points; the label cap keeps a
/// frame of many features quick to draw.
struct LabelSettings {
    std::string Field;
    double Size = 9.0;
    Color TextColor{34, 34, 34, false};
    /// An outline around the letters that keeps them readable over any map; none when Halo is false.
    bool Halo = true;
    Color HaloColor{255, 255, 255, false};
    double HaloWidth = 1.5;
    /// A numeric field whose larger values claim room for their labels first; empty takes the features in
    /// their drawing order.
    std::string PriorityField;
    int32_t MaxLabels = 5000;
    friend bool operator==(const LabelSettings&, const LabelSettings&) = default;
};

} // namespace chronova::gis
