#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <unordered_map>

class QPainter;

namespace chronova::gis {

/// One line of text in one font, drawn from glyphs looked up once per character and offsets looked up once per
/// pair of characters (which carries the font's kerning), so that drawing a label that changes on every frame
/// (a time) lays out no text. Texts of other scripts, or whose pairs join into ligatures, are laid out as
/// QPainter::drawText would. Needs a QGuiApplication.
class CachedTextLine {
public:
    explicit CachedTextLine(const QFont& font);

    const QFont& Font() const noexcept { return font_; }
    /// The width of text, as QFontMetricsF::horizontalAdvance gives it.
    double Width(const QString& text);
    /// Draws text in the painter's pen, at the left of rect and centred on its height, where
    /// QPainter::drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text) draws it.
    void Draw(QPainter& painter, const QRectF& rect, const QString& text);
    /// The same through QPainter::drawText, which lays the text out: the baseline of benchmarks and tests.
    void DrawLaidOut(QPainter& painter, const QRectF& rect, const QString& text) const;

private:
    struct Glyph {
        quint32 Index = 0;
        double Advance = 0;
    };
    // Fills glyphs_ and offsets_ (x of each glyph from the first); false when the text needs a layout.
    bool Place(const QString& text);
    const Glyph* GlyphOf(char16_t character);
    bool PairOffset(char16_t first, char16_t second, double& offset);

    QFont font_;
    QFontMetricsF metrics_;
    QRawFont raw_font_;
    std::unordered_map<char16_t, Glyph> glyph_of_;
    std::unordered_map<uint32_t, double> pair_offset_; // NaN for a pair that shaping joins or reorders
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
    double width_ = 0;
};

} // namespace chronova::gis
