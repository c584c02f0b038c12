#pragma once

#include <QImage>
#include <string>

#include "gis/data/geometry_column.h"
#include "gis/layout/piece_style.h"

namespace chronova::gis {

/// A scale bar's round length and how long it is drawn.
struct ScaleBarLength {
    double Metres = 0.0;
    double Pixels = 0.0;
    /// "500 m", "2 km".
    std::string Label;
};

/// The round length (1, 2 or 5 × 10^n metres) whose bar comes nearest to `target_pixels` without passing
/// `longest_pixels`; none (zero metres) when the scale is not a positive finite number.
ScaleBarLength RoundScaleBar(double metres_per_pixel, double target_pixels, double longest_pixels);

/// A panel with the bar and its length written above it. The bar covers exactly lround(length.Pixels) pixel
/// columns, starting at column BarLeft(style) of the image, on row BarRow.
QImage DrawScaleBar(const ScaleBarLength& length, const PieceStyle& style);
/// Where the bar starts in the image DrawScaleBar makes.
int ScaleBarLeft(const PieceStyle& style);

} // namespace chronova::gis
