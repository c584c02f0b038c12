#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <functional>
#include <string>
#include <vector>

#include "gis/layout/piece_style.h"
#include "gis/map/map.h"
#include "gis/symbology/legend_items.h"

namespace chronova::gis {

/// What one feature layer adds to a legend: its name and the classes its renderer draws.
struct LegendSection {
    std::string Layer;
    std::vector<LegendItem> Items;
};

/// The name a legend gives a layer; empty uses ILayer::Name.
using LayerNamer = std::function<std::string(const ILayer&)>;

/// The sections of the feature layers a map draws, top first: visible layers inside visible groups whose
/// renderer draws at least one class.
std::vector<LegendSection> LegendSections(const Map& map, const LayerNamer& namer = {});

/// A legend panel no larger than `room`: a layer with several classes under its name as a heading, a layer with
/// one class as one row named by the layer. Each row shows its class's real symbol. A layer lists at most
/// `most_per_layer` classes and the whole legend as many rows as fit; what is left out is counted in a last
/// "… and N more" row. Null when there is nothing to list or not even one row fits.
QImage DrawLegend(const std::vector<LegendSection>& sections, const PieceStyle& style, QSize room,
                  int most_per_layer = 12);

/// Draws a symbol as a legend swatch filling `box`: a marker (shrunk to fit) at the centre, a line across the
/// middle, a fill as a rectangle with its outline.
void DrawSwatch(QPainter& painter, const ISymbol& symbol, const QRectF& box);

} // namespace chronova::gis
