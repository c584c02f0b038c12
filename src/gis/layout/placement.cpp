#include "gis/layout/placement.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace chronova::gis {

namespace {

bool OnTop(Placement slot) {
    return slot == Placement::TopLeft || slot == Placement::Top || slot == Placement::TopRight;
}

// A rectangle moved along its slot's edge until it overlaps none of the placed ones; none when it would leave
// the frame. Pieces on the top edge stack downwards, all others upwards.
std::optional<QRect> Stacked(QRect rect, Placement slot, const std::vector<QRect>& placed, QSize frame, int inset) {
    const QRect inside(0, 0, frame.width(), frame.height());
    for (size_t guard = 0; guard <= placed.size(); ++guard) {
        const auto blocking =
            std::find_if(placed.begin(), placed.end(), [&](const QRect& other) { return other.intersects(rect); });
        if (blocking == placed.end()) {
            return inside.contains(rect) ? std::optional<QRect>(rect) : std::nullopt;
        }
        if (OnTop(slot)) {
            rect.moveTop(blocking->bottom() + 1 + inset);
        } else {
            rect.moveBottom(blocking->top() - 1 - inset);
        }
    }
    return std::nullopt;
}

} // namespace

DataCoverage::DataCoverage(const QImage& frame, QColor background) : size_(frame.size()) {
    // Frames of the map drawer are opaque 32-bit pixels already; only other formats need a converted copy.
    const bool direct = frame.format() == QImage::Format_ARGB32_Premultiplied ||
                        frame.format() == QImage::Format_RGB32 || frame.format() == QImage::Format_ARGB32;
    const QImage pixels = direct ? frame : frame.convertToFormat(QImage::Format_RGB32);
    const int width = pixels.width();
    const int height = pixels.height();
    const QRgb ground = background.rgb() | 0xFF000000U;
    const size_t stride = static_cast<size_t>(width) + 1;
    sums_.assign(stride * (static_cast<size_t>(height) + 1), 0);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        uint32_t row = 0;
        uint32_t* above = sums_.data() + static_cast<size_t>(y) * stride;
        uint32_t* here = above + stride;
        for (int x = 0; x < width; ++x) {
            row += (line[x] | 0xFF000000U) != ground ? 1U : 0U;
            here[x + 1] = above[x + 1] + row;
        }
    }
}

int64_t DataCoverage::Count(const QRect& rect) const {
    const QRect clipped = rect.intersected(QRect(QPoint(0, 0), size_));
    if (clipped.isEmpty()) {
        return 0;
    }
    const size_t stride = static_cast<size_t>(size_.width()) + 1;
    const auto at = [&](int x, int y) {
        return static_cast<int64_t>(sums_[static_cast<size_t>(y) * stride + static_cast<size_t>(x)]);
    };
    const int left = clipped.left();
    const int top = clipped.top();
    const int right = clipped.right() + 1;
    const int bottom = clipped.bottom() + 1;
    return at(right, bottom) - at(left, bottom) - at(right, top) + at(left, top);
}

QRect SlotRect(Placement slot, QSize piece, QSize frame, int inset) {
    const int free_width = frame.width() - piece.width();
    const int free_height = frame.height() - piece.height();
    const auto position = [inset](int free_room, int where) {
        // where: 0 at the start, 1 in the middle, 2 at the end of the edge.
        if (free_room <= 0) {
            return 0;
        }
        const int start = std::min(inset, free_room / 2);
        switch (where) {
        case 0:
            return start;
        case 1:
            return free_room / 2;
        default:
            return free_room - start;
        }
    };
    int column = 0;
    int row = 0;
    switch (slot) {
    case Placement::Automatic:
    case Placement::TopLeft:
        break;
    case Placement::Top:
        column = 1;
        break;
    case Placement::TopRight:
        column = 2;
        break;
    case Placement::Left:
        row = 1;
        break;
    case Placement::Right:
        column = 2;
        row = 1;
        break;
    case Placement::BottomLeft:
        row = 2;
        break;
    case Placement::Bottom:
        column = 1;
        row = 2;
        break;
    case Placement::BottomRight:
        column = 2;
        row = 2;
        break;
    }
    return {QPoint(position(free_width, column), position(free_height, row)), piece};
}

std::vector<QRect> PlacePieces(const std::vector<PieceRequest>& pieces, const DataCoverage& coverage, int inset) {
    const QSize frame = coverage.Size();
    std::vector<QRect> rects(pieces.size());
    std::vector<QRect> placed;
    const auto place = [&](size_t index, const std::vector<Placement>& slots) {
        const PieceRequest& piece = pieces[index];
        // Free slots first (nothing to stack against), then the fewest data pixels, then the earlier slot.
        std::optional<QRect> best;
        std::tuple<bool, int64_t, size_t> best_score{true, std::numeric_limits<int64_t>::max(), 0};
        for (size_t order = 0; order < slots.size(); ++order) {
            const QRect plain = SlotRect(slots[order], piece.Size, frame, inset);
            const std::optional<QRect> rect = Stacked(plain, slots[order], placed, frame, inset);
            if (!rect) {
                continue;
            }
            const std::tuple<bool, int64_t, size_t> score{*rect != plain, coverage.Count(*rect), order};
            if (!best || score < best_score) {
                best = rect;
                best_score = score;
            }
        }
        // With no room left anywhere, the piece overlaps others in its first slot rather than vanish.
        rects[index] = best ? *best : SlotRect(slots.front(), piece.Size, frame, inset);
        placed.push_back(rects[index]);
    };
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].Size.isEmpty() && pieces[i].Where != Placement::Automatic) {
            place(i, {pieces[i].Where});
        }
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].Size.isEmpty() && pieces[i].Where == Placement::Automatic) {
            place(i, pieces[i].Slots.empty() ? std::vector<Placement>{Placement::TopLeft} : pieces[i].Slots);
        }
    }
    return rects;
}

} // namespace chronova::gis
