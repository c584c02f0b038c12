#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <vector>

#include "gis/layout/layout_settings.h"

namespace chronova::gis {

/// Which pixels of a map frame show data (differ from the background colour), counted over any rectangle in
/// constant time from a summed-area table.
class DataCoverage {
public:
    DataCoverage() = default;
    DataCoverage(const QImage& frame, QColor background);

    /// Data pixels inside a rectangle (the part within the frame).
    int64_t Count(const QRect& rect) const;
    QSize Size() const noexcept { return size_; }

private:
    QSize size_;
    // (width + 1) × (height + 1) running sums, row by row; the first row and column are zeros. 32 bits hold the
    // count of the largest frame (16384 × 16384) and halve the table of a large one.
    std::vector<uint32_t> sums_;
};

/// The rectangle of a piece of a given size in one of the frame's slots, `inset` pixels in from the edges;
/// pieces on an edge's middle are centred along it. A piece larger than the frame is held at its top-left.
QRect SlotRect(Placement slot, QSize piece, QSize frame, int inset);

/// One piece to place: its size, an explicit slot or Automatic, and for Automatic the slots it may take, the
/// most fitting first.
struct PieceRequest {
    QSize Size;
    Placement Where = Placement::Automatic;
    std::vector<Placement> Slots;
};

/// Places pieces on a frame. Explicitly placed pieces go first, in their slots. Then each automatic piece, in
/// order, takes the slot among its own whose rectangle overlaps no piece placed before and covers the fewest
/// data pixels; an earlier slot wins a tie. When every slot of a piece is taken, or two pieces share a slot,
/// the later one is stacked beside the earlier (below it on the top edge, above it on the bottom edge and the
/// sides' middles) in the slot that then covers the fewest data pixels. Empty requests get an empty rectangle.
std::vector<QRect> PlacePieces(const std::vector<PieceRequest>& pieces, const DataCoverage& coverage, int inset);

} // namespace chronova::gis
