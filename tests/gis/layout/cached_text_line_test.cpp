#include "gis/layout/cached_text_line.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "gis/layout/piece_style.h"

namespace chronova::gis {
namespace {

struct Difference {
    int Largest = 0; // of a colour channel
    int Pixels = 0;  // that differ at all
};

Difference Compare(const QImage& first, const QImage& second) {
    Difference difference;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y);
            const QRgb q = second.pixel(x, y);
            const int largest =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
            difference.Largest = std::max(difference.Largest, largest);
            difference.Pixels += largest > 0 ? 1 : 0;
        }
    }
    return difference;
}

// The text on a translucent panel over a coloured map, as the time label is drawn, by either path.
QImage Drawn(CachedTextLine& line, const QString& text, bool laid_out) {
    QImage frame(400, 40, QImage::Format_ARGB32_Premultiplied);
    frame.fill(QColor(120, 170, 90));
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 215));
    painter.drawRect(2, 2, 396, 36);
    painter.setPen(QColor(32, 32, 32));
    const QRectF rect(6.0, 6.0, 388.0, 27.0);
    if (laid_out) {
        line.DrawLaidOut(painter, rect, text);
    } else {
        line.Draw(painter, rect, text);
    }
    return frame;
}

// Time labels drawn from cached glyphs match the laid-out text: same width, same pixels within a tolerance far
// below what a misplaced glyph (a pixel off) would cost.
TEST(CachedTextLineTest, DrawsTimeLabelsAsLaidOutText) {
    for (const int pixels : {12, 21}) {
        for (const bool bold : {true, false}) {
            const QFont font = PieceStyle{}.Font(pixels, bold);
            CachedTextLine line(font);
            const QFontMetricsF metrics(font);
            for (const char* label : {"3/1/2008 18:00", "1 September 2021, 07:45:10", "AVAWAy To. 11", "Ti fi", "",
                                      "2008-03-01T06:00:00Z"}) {
                SCOPED_TRACE(std::string(label) + " at " + std::to_string(pixels) + (bold ? " bold" : ""));
                const QString text = QString::fromUtf8(label);
                EXPECT_DOUBLE_EQ(line.Width(text), metrics.horizontalAdvance(text));
                const Difference difference = Compare(Drawn(line, text, false), Drawn(line, text, true));
                EXPECT_LE(difference.Largest, 8);
                EXPECT_LE(difference.Pixels, 10);
            }
        }
    }
}

// Text the cache cannot place by characters (other scripts, an ellipsis of a shortened label) is laid out.
TEST(CachedTextLineTest, OtherTextsAreLaidOut) {
    CachedTextLine line(PieceStyle{}.Font(16));
    const QFontMetricsF metrics(line.Font());
    for (const char* label : {"3 \xd0\xbc\xd0\xb0\xd1\x80\xd1\x82\xd0\xb0 2008", "1/3/2008 6:00\xe2\x80\xa6",
                              "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 12"}) {
        const QString text = QString::fromUtf8(label);
        EXPECT_DOUBLE_EQ(line.Width(text), metrics.horizontalAdvance(text)) << label;
        EXPECT_EQ(Compare(Drawn(line, text, false), Drawn(line, text, true)).Pixels, 0) << label;
    }
}

} // namespace
} // namespace chronova::gis
