#include "gis/drawing/label_placement.h"

#include <algorithm>

namespace chronova::gis {

LabelGrid::LabelGrid(int32_t width, int32_t height, int32_t cell)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), cell_(std::max(cell, 1)),
      columns_((width_ + cell_ - 1) / cell_), rows_((height_ + cell_ - 1) / cell_),
      cells_(static_cast<size_t>(columns_) * static_cast<size_t>(rows_)) {}

// Calls visit(cell) for each cell the box meets until one returns true; the box must lie inside the frame.
template <typename Visit>
bool LabelGrid::AnyCell(const LabelBox& box, Visit&& visit) const {
    const int32_t first_column = box.Left / cell_;
    const int32_t last_column = (box.Right - 1) / cell_;
    const int32_t first_row = box.Top / cell_;
    const int32_t last_row = (box.Bottom - 1) / cell_;
    for (int32_t row = first_row; row <= last_row; ++row) {
        for (int32_t column = first_column; column <= last_column; ++column) {
            if (visit(static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column))) {
                return true;
            }
        }
    }
    return false;
}

bool LabelGrid::Fits(const LabelBox& box) const {
    if (box.Left < 0 || box.Top < 0 || box.Right > width_ || box.Bottom > height_ || box.Left >= box.Right ||
        box.Top >= box.Bottom) {
        return false;
    }
    return !AnyCell(box, [&](size_t cell) {
        return std::any_of(cells_[cell].begin(), cells_[cell].end(),
                           [&](uint32_t placed) { return boxes_[placed].Overlaps(box); });
    });
}

void LabelGrid::Place(const LabelBox& box) {
    if (box.Left < 0 || box.Top < 0 || box.Right > width_ || box.Bottom > height_ || box.Left >= box.Right ||
        box.Top >= box.Bottom) {
        return;
    }
    const auto index = static_cast<uint32_t>(boxes_.size());
    boxes_.push_back(box);
    AnyCell(box, [&](size_t cell) {
        cells_[cell].push_back(index);
        return false;
    });
}

} // namespace chronova::gis
