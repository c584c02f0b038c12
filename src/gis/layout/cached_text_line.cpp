#include "gis/layout/cached_text_line.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <cmath>
#include <limits>

namespace chronova::gis {

namespace {

// Characters whose glyphs depend on their neighbours at most through kerning: Latin letters, digits and
// punctuation without combining marks.
bool Simple(QChar character) {
    const char16_t code = character.unicode();
    return code >= 0x20 && code < 0x250 && character.category() != QChar::Mark_NonSpacing;
}

// The glyph runs of text laid out on one line, and the line's width.
QList<QGlyphRun> LaidOut(const QString& text, const QFont& font, double* width = nullptr) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(std::numeric_limits<int>::max() / 4.0);
    layout.endLayout();
    if (width != nullptr) {
        *width = line.naturalTextWidth();
    }
    return layout.glyphRuns();
}

} // namespace

CachedTextLine::CachedTextLine(const QFont& font) : font_(font), metrics_(font), raw_font_(QRawFont::fromFont(font)) {}

const CachedTextLine::Glyph* CachedTextLine::GlyphOf(char16_t character) {
    auto found = glyph_of_.find(character);
    if (found == glyph_of_.end()) {
        double advance = 0;
        const QList<QGlyphRun> runs = LaidOut(QString(QChar(character)), font_, &advance);
        Glyph glyph{0, std::numeric_limits<double>::quiet_NaN()};
        if (runs.size() == 1 && runs[0].glyphIndexes().size() == 1) {
            glyph = {runs[0].glyphIndexes()[0], advance};
        }
        found = glyph_of_.emplace(character, glyph).first;
    }
    return std::isnan(found->second.Advance) ? nullptr : &found->second;
}

bool CachedTextLine::PairOffset(char16_t first, char16_t second, double& offset) {
    const uint32_t key = (static_cast<uint32_t>(first) << 16) | second;
    auto found = pair_offset_.find(key);
    if (found == pair_offset_.end()) {
        double pair = std::numeric_limits<double>::quiet_NaN();
        const QList<QGlyphRun> runs = LaidOut(QString(QChar(first)) + QChar(second), font_);
        if (runs.size() == 1 && runs[0].glyphIndexes().size() == 2 &&
            runs[0].glyphIndexes()[0] == GlyphOf(first)->Index && runs[0].glyphIndexes()[1] == GlyphOf(second)->Index) {
            pair = runs[0].positions()[1].x() - runs[0].positions()[0].x();
        }
        found = pair_offset_.emplace(key, pair).first;
    }
    offset = found->second;
    return !std::isnan(offset);
}

bool CachedTextLine::Place(const QString& text) {
    glyphs_.clear();
    positions_.clear();
    width_ = 0;
    double x = 0;
    const Glyph* last = nullptr;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar character = text[i];
        const Glyph* glyph = Simple(character) ? GlyphOf(character.unicode()) : nullptr;
        if (glyph == nullptr) {
            return false;
        }
        double offset = 0;
        if (last != nullptr && !PairOffset(text[i - 1].unicode(), character.unicode(), offset)) {
            return false;
        }
        x += offset;
        glyphs_.append(glyph->Index);
        positions_.append(QPointF(x, 0));
        last = glyph;
    }
    width_ = last != nullptr ? x + last->Advance : 0;
    return true;
}

double CachedTextLine::Width(const QString& text) {
    return Place(text) ? width_ : metrics_.horizontalAdvance(text);
}

void CachedTextLine::Draw(QPainter& painter, const QRectF& rect, const QString& text) {
    if (!Place(text)) {
        DrawLaidOut(painter, rect, text);
        return;
    }
    if (glyphs_.isEmpty()) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(raw_font_);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    // A single line centred on the rectangle's height: its ascent and descent split what the rectangle leaves.
    const double baseline = rect.top() + (rect.height() - metrics_.height()) / 2.0 + metrics_.ascent();
    painter.drawGlyphRun(QPointF(rect.left(), baseline), run);
}

void CachedTextLine::DrawLaidOut(QPainter& painter, const QRectF& rect, const QString& text) const {
    painter.setFont(font_);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
}

} // namespace chronova::gis
