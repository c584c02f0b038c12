#include "gis/layout/placement.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace chronova::gis {
namespace {

QImage FrameWithData(QSize size, const QRect& data) {
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::white);
    QPainter(&frame).fillRect(data, QColor(40, 90, 160));
    return frame;
}

TEST(PlacementTest, CoverageCountsDataPixelsInAnyRectangle) {
    const DataCoverage coverage(FrameWithData({200, 100}, QRect(50, 20, 30, 10)), Qt::white);
    EXPECT_EQ(coverage.Count(QRect(0, 0, 200, 100)), 300);
    EXPECT_EQ(coverage.Count(QRect(60, 25, 100, 100)), 20 * 5);
    EXPECT_EQ(coverage.Count(QRect(0, 0, 50, 100)), 0);
    EXPECT_EQ(coverage.Count(QRect(-10, -10, 70, 40)), 10 * 10); // clipped to the frame
}

TEST(PlacementTest, SlotsSitInsetAtCornersAndEdgeMiddles) {
    const QSize frame(400, 300);
    const QSize piece(100, 50);
    EXPECT_EQ(SlotRect(Placement::TopLeft, piece, frame, 8), QRect(8, 8, 100, 50));
    EXPECT_EQ(SlotRect(Placement::Top, piece, frame, 8), QRect(150, 8, 100, 50));
    EXPECT_EQ(SlotRect(Placement::BottomRight, piece, frame, 8), QRect(292, 242, 100, 50));
    EXPECT_EQ(SlotRect(Placement::Left, piece, frame, 8), QRect(8, 125, 100, 50));
    // A piece wider than the frame stays at its left edge rather than leave on both sides.
    EXPECT_EQ(SlotRect(Placement::TopRight, QSize(500, 50), frame, 8).left(), 0);
}

// Data fills the top-right quarter: a piece that would rather go there takes the empty corner instead, unless
// it is placed there explicitly.
TEST(PlacementTest, PicksTheEmptyCornerOverOneFullOfData) {
    const DataCoverage coverage(FrameWithData({400, 300}, QRect(200, 0, 200, 150)), Qt::white);
    const std::vector<PieceRequest> automatic = {
        {QSize(80, 40), Placement::Automatic, {Placement::TopRight, Placement::TopLeft}}};
    const std::vector<QRect> placed = PlacePieces(automatic, coverage, 5);
    EXPECT_EQ(placed[0], SlotRect(Placement::TopLeft, {80, 40}, {400, 300}, 5));

    const std::vector<PieceRequest> explicit_slot = {{QSize(80, 40), Placement::TopRight, {}}};
    EXPECT_EQ(PlacePieces(explicit_slot, coverage, 5)[0], SlotRect(Placement::TopRight, {80, 40}, {400, 300}, 5));
}

// Pieces never overlap: a later piece takes another free slot, and pieces forced into one slot are stacked.
TEST(PlacementTest, PiecesDoNotOverlap) {
    const DataCoverage coverage(FrameWithData({400, 300}, QRect()), Qt::white);
    const std::vector<PieceRequest> rivals = {
        {QSize(80, 40), Placement::Automatic, {Placement::TopLeft, Placement::BottomLeft}},
        {QSize(60, 30), Placement::Automatic, {Placement::TopLeft, Placement::BottomLeft}},
        {QSize(90, 20), Placement::BottomRight, {}},
        {QSize(50, 20), Placement::BottomRight, {}},
        {QSize(), Placement::Automatic, {Placement::TopLeft}},
    };
    const std::vector<QRect> placed = PlacePieces(rivals, coverage, 5);
    EXPECT_EQ(placed[0], SlotRect(Placement::TopLeft, {80, 40}, {400, 300}, 5));
    EXPECT_EQ(placed[1], SlotRect(Placement::BottomLeft, {60, 30}, {400, 300}, 5));
    EXPECT_EQ(placed[2], SlotRect(Placement::BottomRight, {90, 20}, {400, 300}, 5));
    EXPECT_EQ(placed[3].bottom(), placed[2].top() - 1 - 5); // stacked above the first
    EXPECT_EQ(placed[3].right(), 394);
    EXPECT_TRUE(placed[4].isEmpty());
    for (size_t i = 0; i < 4; ++i) {
        for (size_t j = i + 1; j < 4; ++j) {
            EXPECT_FALSE(placed[i].intersects(placed[j])) << i << " and " << j;
        }
    }
}

} // namespace
} // namespace chronova::gis
