#include "gis/layout/legend.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <memory>

#include "gis/drawing/marker_images.h"
#include "gis/drawing/qt_symbols.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/layer.h"

namespace chronova::gis {

namespace {

void CollectSections(const std::shared_ptr<ILayer>& layer, const LayerNamer& namer,
                     std::vector<LegendSection>& sections) {
    if (!layer || !layer->Visible()) {
        return;
    }
    if (const auto* group = dynamic_cast<const ICompositeLayer*>(layer.get())) {
        for (int32_t i = 0; i < group->Count(); ++i) {
            CollectSections(group->Layer(i), namer, sections);
        }
        return;
    }
    const auto* features = dynamic_cast<const FeatureLayer*>(layer.get());
    if (features == nullptr || !features->Valid()) {
        return;
    }
    const std::shared_ptr<IFeatureRenderer> renderer = features->Renderer();
    if (!renderer) {
        return;
    }
    std::vector<LegendItem> items = LegendItems(*renderer);
    if (!items.empty()) {
        sections.push_back({namer ? namer(*features) : features->Name(), std::move(items)});
    }
}

struct Row {
    enum class Kind { Heading, Item, More };
    Kind What = Kind::Item;
    std::string Text;
    std::shared_ptr<ISymbol> Symbol;
    bool Indented = false;
    // The classes the row stands for: one for an item, those it counts for a "more" row.
    int Classes = 0;
};

std::string MoreText(int count) {
    return "\u2026 and " + std::to_string(count) + " more";
}

std::vector<Row> RowsOf(const std::vector<LegendSection>& sections, int most_per_layer) {
    std::vector<Row> rows;
    for (const LegendSection& section : sections) {
        if (section.Items.size() == 1) {
            rows.push_back({Row::Kind::Item, section.Layer, section.Items.front().Symbol, false, 1});
            continue;
        }
        rows.push_back({Row::Kind::Heading, section.Layer, nullptr, false, 0});
        const int count = static_cast<int>(section.Items.size());
        // A list one longer than the limit shows its last class rather than "… and 1 more".
        const int shown = count <= most_per_layer + 1 ? count : most_per_layer;
        for (int i = 0; i < shown; ++i) {
            const LegendItem& item = section.Items[static_cast<size_t>(i)];
            rows.push_back({Row::Kind::Item, item.Label, item.Symbol, true, 1});
        }
        if (shown < count) {
            rows.push_back({Row::Kind::More, MoreText(count - shown), nullptr, true, count - shown});
        }
    }
    return rows;
}

} // namespace

std::vector<LegendSection> LegendSections(const Map& map, const LayerNamer& namer) {
    std::vector<LegendSection> sections;
    for (int32_t i = 0; i < map.LayerCount(); ++i) {
        CollectSections(map.Layer(i), namer, sections);
    }
    return sections;
}

void DrawSwatch(QPainter& painter, const ISymbol& symbol, const QRectF& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (const auto* marker = dynamic_cast<const IMarkerSymbol*>(&symbol)) {
        // Markers keep the size the map draws them at, within the box; on a large frame, whose text is large,
        // a tiny marker grows to about half the box so that it can be told apart.
        const double natural = ViewTransform::PointsToPixels(1.0);
        const double fitting = marker->Size > 0.0 ? box.height() / marker->Size : natural;
        const double pixels_per_point = std::min(fitting, std::max(natural, fitting * 0.45));
        const std::shared_ptr<MarkerSheet> sheet = MarkerImages::ForThisThread().Sheet(*marker, pixels_per_point);
        if (sheet) {
            sheet->Draw(painter, box.center().x(), box.center().y(), marker->Angle);
        }
    } else if (const auto* line = dynamic_cast<const SimpleLineSymbol*>(&symbol)) {
        QPen pen = LinePen(line);
        if (pen.style() != Qt::NoPen) {
            pen.setWidthF(std::min(pen.widthF(), box.height() / 2.0));
            painter.setPen(pen);
            const double half = pen.widthF() / 2.0;
            painter.drawLine(QPointF(box.left() + half, box.center().y()),
                             QPointF(box.right() - half, box.center().y()));
        }
    } else if (const auto* fill = dynamic_cast<const SimpleFillSymbol*>(&symbol)) {
        QPen pen = LinePen(fill->Outline.get());
        double inset = 0.0;
        if (pen.style() != Qt::NoPen) {
            pen.setWidthF(std::min(pen.widthF(), box.height() / 4.0));
            pen.setJoinStyle(Qt::MiterJoin);
            inset = pen.widthF() / 2.0;
        }
        painter.setPen(pen);
        painter.setBrush(fill->Style == SimpleFillStyle::Null || fill->FillColor.NullColor
                             ? QBrush(Qt::NoBrush)
                             : QBrush(ToQColor(fill->FillColor)));
        painter.drawRect(box.adjusted(inset, inset, -inset, -inset));
    }
    painter.restore();
}

QImage DrawLegend(const std::vector<LegendSection>& sections, const PieceStyle& style, QSize room, int most_per_layer) {
    std::vector<Row> rows = RowsOf(sections, std::max(1, most_per_layer));
    if (rows.empty()) {
        return {};
    }
    const QFont font = style.Font(style.TextPixels);
    const QFont heading_font = style.Font(style.TextPixels, true);
    const QFontMetricsF metrics(font);
    const QFontMetricsF heading_metrics(heading_font);
    const int swatch = static_cast<int>(std::lround(style.TextPixels * 1.1));
    const int gap = std::max(2, style.Padding);
    const int indent = style.TextPixels / 2;
    const int row_height = std::max(swatch, static_cast<int>(std::ceil(metrics.height()))) + style.Padding / 2;

    const int inside_height = room.height() - 2 * style.Padding;
    const int inside_width = room.width() - 2 * style.Padding;
    const int fitting_rows = inside_height / row_height;
    if (fitting_rows < 1 || inside_width < swatch + gap + style.TextPixels) {
        return {};
    }
    if (static_cast<int>(rows.size()) > fitting_rows) {
        // Keep what fits less one row, which counts the classes left out; a heading left alone at the end goes.
        size_t kept = static_cast<size_t>(fitting_rows - 1);
        while (kept > 0 && rows[kept - 1].What == Row::Kind::Heading) {
            --kept;
        }
        int dropped = 0;
        for (size_t i = kept; i < rows.size(); ++i) {
            dropped += rows[i].Classes;
        }
        rows.resize(kept);
        rows.push_back({Row::Kind::More, MoreText(dropped), nullptr, false, dropped});
    }

    const auto text_left = [&](const Row& row) {
        const int left = row.Indented ? indent : 0;
        return row.What == Row::Kind::Item ? left + swatch + gap : left;
    };
    int widest = 0;
    for (const Row& row : rows) {
        const QFontMetricsF& used = row.What == Row::Kind::Heading ? heading_metrics : metrics;
        widest =
            std::max(widest, text_left(row) +
                                 static_cast<int>(std::ceil(used.horizontalAdvance(QString::fromStdString(row.Text)))));
    }
    const int width = std::min(widest, inside_width);
    QImage panel = PanelImage(QSize(width, row_height * static_cast<int>(rows.size())), style);
    QPainter painter(&panel);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(style.Padding, style.Padding);
    int top = 0;
    for (const Row& row : rows) {
        const int left = text_left(row);
        if (row.Symbol) {
            const double swatch_top = top + (row_height - swatch) / 2.0;
            DrawSwatch(painter, *row.Symbol, QRectF(left - swatch - gap, swatch_top, swatch, swatch));
        }
        const bool heading = row.What == Row::Kind::Heading;
        painter.setFont(heading ? heading_font : font);
        painter.setPen(row.What == Row::Kind::More ? style.Border : style.Text);
        const QFontMetricsF& used = heading ? heading_metrics : metrics;
        const QString text = used.elidedText(QString::fromStdString(row.Text), Qt::ElideRight, width - left);
        painter.drawText(QRect(left, top, width - left, row_height), Qt::AlignLeft | Qt::AlignVCenter, text);
        top += row_height;
    }
    return panel;
}

} // namespace chronova::gis
