#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "gis/layout/legend.h"
#include "gis/layout/piece_style.h"
#include "gis/map/map.h"
#include "gis/symbology/legend_items.h"

namespace chronova::gis {

/// The colour scale of one raster layer as it is drawn now.
struct ColorBarEntry {
    std::string Layer;
    ColorScale Scale;
};

/// The scales of the stretched rasters a map draws, top first: visible layers inside visible groups, not fully
/// transparent, over the range the raster drawer stretches the shown band between (StretchRangeOf on the band's
/// statistics, or the renderer's custom range).
std::vector<ColorBarEntry> ColorBarEntries(const Map& map, const LayerNamer& namer = {});

/// Whether two lists of scales draw the same bars.
bool SameColorBars(const std::vector<ColorBarEntry>& first, const std::vector<ColorBarEntry>& second);

/// A panel with each scale under its layer's name: a bar `bar_width` pixels long shading from the low value on
/// the left to the high on the right, with the two values written under its ends. At most `most` scales are
/// drawn. Null for no scales.
QImage DrawColorBars(const std::vector<ColorBarEntry>& entries, const PieceStyle& style, int bar_width,
                     size_t most = 3);

} // namespace chronova::gis
