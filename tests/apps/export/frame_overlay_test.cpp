#include "apps/chronova/export/frame_overlay.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QRect>
#include <algorithm>

namespace chronova::cli::exporting {
namespace {

struct LabelEffect {
    QRect changed;     // the box around every pixel the label changed
    int darkest = 255; // the lightness range inside that box
    int brightest = 0;
};

LabelEffect LabelOn(QSize size, QColor background, const std::string& text,
                    QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
    QImage frame(size, format == QImage::Format_Indexed8 ? QImage::Format_RGB32 : format);
    frame.fill(background);
    frame = frame.convertToFormat(format);
    const QImage before = frame.convertToFormat(QImage::Format_RGB32);
    DrawTimeLabel(frame, text);
    const QImage after = frame.convertToFormat(QImage::Format_RGB32);
    LabelEffect effect;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y)) {
                effect.changed |= QRect(x, y, 1, 1);
            }
        }
    }
    for (int y = effect.changed.top(); y <= effect.changed.bottom(); ++y) {
        for (int x = effect.changed.left(); x <= effect.changed.right(); ++x) {
            effect.darkest = std::min(effect.darkest, QColor(after.pixel(x, y)).lightness());
            effect.brightest = std::max(effect.brightest, QColor(after.pixel(x, y)).lightness());
        }
    }
    return effect;
}

// The label sits in the bottom-left corner, clear of the edges, and reads on any background: the text is much
// lighter than the box around it.
void ExpectBottomLeftAndReadable(QColor background) {
    SCOPED_TRACE(background.name().toStdString());
    const LabelEffect effect = LabelOn({1024, 768}, background, "3/1/2008 6:00:00 AM");
    ASSERT_FALSE(effect.changed.isEmpty());
    EXPECT_GT(effect.changed.left(), 0);
    EXPECT_LT(effect.changed.right(), 1024 / 2);
    EXPECT_GT(effect.changed.top(), 768 * 3 / 4);
    EXPECT_LT(effect.changed.bottom(), 767);
    EXPECT_GT(effect.changed.height(), 15); // large enough to read at this size
    EXPECT_LE(effect.darkest, 80);
    EXPECT_GE(effect.brightest, 230);
}

TEST(FrameOverlayTest, LabelSitsBottomLeftAndReadsOnAnyMap) {
    ExpectBottomLeftAndReadable(Qt::white);
    ExpectBottomLeftAndReadable(Qt::black);
    ExpectBottomLeftAndReadable(QColor(30, 90, 200));
    ExpectBottomLeftAndReadable(QColor(255, 255, 0));
}

TEST(FrameOverlayTest, FitsSmallFramesOfAnyFormat) {
    EXPECT_TRUE(LabelOn({200, 100}, Qt::white, "").changed.isEmpty());
    QImage null_frame;
    DrawTimeLabel(null_frame, "3/1/2008");
    EXPECT_TRUE(null_frame.isNull());

    const LabelEffect elided = LabelOn({160, 120}, Qt::white, std::string(200, 'W'));
    EXPECT_LT(elided.changed.right(), 159);
    EXPECT_GT(elided.changed.top(), 60);
    const LabelEffect indexed = LabelOn({300, 200}, Qt::white, "12:00", QImage::Format_Indexed8);
    EXPECT_GT(indexed.changed.top(), 100);
    EXPECT_LT(indexed.changed.right(), 150);
}

} // namespace
} // namespace chronova::cli::exporting
