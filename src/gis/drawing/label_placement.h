#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chronova::gis {

/// A label's rectangle in whole pixels: columns [Left, Right) and rows [Top, Bottom).
struct LabelBox {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool Overlaps(const LabelBox& other) const noexcept {
        return Left < other.Right && other.Left < Right && Top < other.Bottom && other.Top < Bottom;
    }
};

/// The labels placed in a frame so far, kept in a uniform grid of cells so that checking a new label looks only
/// at the few labels in the cells it covers, not at every label placed.
class LabelGrid {
public:
    /// A frame of width x height pixels; `cell` is the side of a grid cell in pixels.
    LabelGrid(int32_t width, int32_t height, int32_t cell = 32);

    /// Whether the box lies wholly inside the frame and overlaps no placed box.
    bool Fits(const LabelBox& box) const;
    /// Records a box; it should fit.
    void Place(const LabelBox& box);
    size_t Count() const noexcept { return boxes_.size(); }

private:
    template <typename Visit>
    bool AnyCell(const LabelBox& box, Visit&& visit) const;

    int32_t width_;
    int32_t height_;
    int32_t cell_;
    int32_t columns_;
    int32_t rows_;
    std::vector<LabelBox> boxes_;
    // The indexes into boxes_ of the boxes each cell meets, cells row by row.
    std::vector<std::vector<uint32_t>> cells_;
};

} // namespace chronova::gis
