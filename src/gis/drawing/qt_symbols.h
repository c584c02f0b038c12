#pragma once

#include <QColor>
#include <QPen>

#include "gis/symbology/symbols.h"

namespace chronova::gis {

/// The Qt colour of a host colour.
QColor ToQColor(const Color& color);

/// The pen of a line symbol; NoPen for a symbol that draws nothing. A width of 0 (or below a pixel) draws the
/// thinnest line the display has: one pixel.
QPen LinePen(const SimpleLineSymbol* symbol);

} // namespace chronova::gis
