#include "gis/layout/color_bar.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>

#include "gis/drawing/qt_symbols.h"
#include "gis/drawing/raster_drawer.h"
#include "gis/layers/layer.h"
#include "gis/layers/raster_layer.h"

namespace chronova::gis {

namespace {

void CollectScales(const std::shared_ptr<ILayer>& layer, const LayerNamer& namer, std::vector<ColorBarEntry>& entries) {
    if (!layer || !layer->Visible()) {
        return;
    }
    if (const auto* group = dynamic_cast<const ICompositeLayer*>(layer.get())) {
        for (int32_t i = 0; i < group->Count(); ++i) {
            CollectScales(group->Layer(i), namer, entries);
        }
        return;
    }
    const auto* raster_layer = dynamic_cast<const RasterLayer*>(layer.get());
    if (raster_layer == nullptr || !raster_layer->Raster() || raster_layer->EffectLevel() >= 100) {
        return;
    }
    const auto* ramp = dynamic_cast<const RasterStretchColorRampRenderer*>(raster_layer->Renderer().get());
    if (ramp == nullptr) {
        return;
    }
    const std::shared_ptr<RasterDataset>& raster = raster_layer->Raster();
    const int32_t band = ramp->BandIndex + 1;
    if (band < 1 || band > raster->BandCount()) {
        return;
    }
    // The same range the raster drawer stretches over; a custom range needs no statistics.
    const bool custom = ramp->Stretch == StretchType::MinimumMaximum && ramp->UseCustomStretchMinMax;
    const StretchRange range = StretchRangeOf(*ramp, custom ? BandStatistics{} : raster->Statistics(band));
    if (std::optional<ColorScale> scale = ColorScaleOf(*ramp, range.Low, range.High)) {
        entries.push_back({namer ? namer(*raster_layer) : raster_layer->Name(), std::move(*scale)});
    }
}

bool SameScale(const ColorScale& first, const ColorScale& second) {
    if (first.Low != second.Low || first.High != second.High || first.LabelLow != second.LabelLow ||
        first.LabelHigh != second.LabelHigh || first.Stops.size() != second.Stops.size()) {
        return false;
    }
    for (size_t i = 0; i < first.Stops.size(); ++i) {
        if (first.Stops[i].Position != second.Stops[i].Position ||
            !(first.Stops[i].StopColor == second.Stops[i].StopColor)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<ColorBarEntry> ColorBarEntries(const Map& map, const LayerNamer& namer) {
    std::vector<ColorBarEntry> entries;
    for (int32_t i = 0; i < map.LayerCount(); ++i) {
        CollectScales(map.Layer(i), namer, entries);
    }
    return entries;
}

bool SameColorBars(const std::vector<ColorBarEntry>& first, const std::vector<ColorBarEntry>& second) {
    return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                      [](const ColorBarEntry& a, const ColorBarEntry& b) {
                          return a.Layer == b.Layer && SameScale(a.Scale, b.Scale);
                      });
}

QImage DrawColorBars(const std::vector<ColorBarEntry>& entries, const PieceStyle& style, int bar_width, size_t most) {
    const size_t count = std::min(entries.size(), most);
    if (count == 0 || bar_width < 4) {
        return {};
    }
    const QFont font = style.Font(style.TextPixels);
    const QFont heading_font = style.Font(style.TextPixels, true);
    const QFontMetricsF metrics(font);
    const QFontMetricsF heading_metrics(heading_font);
    const int line = static_cast<int>(std::ceil(metrics.height()));
    const int bar_height = std::max(4, static_cast<int>(std::lround(style.TextPixels * 0.8)));
    const int gap = std::max(1, style.Padding / 2);
    const int block = line + gap + bar_height + line;
    const int spacing = style.Padding;
    QImage panel =
        PanelImage(QSize(bar_width, static_cast<int>(count) * block + static_cast<int>(count - 1) * spacing), style);

    QPainter painter(&panel);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(style.Padding, style.Padding);
    int top = 0;
    for (size_t i = 0; i < count; ++i) {
        const ColorBarEntry& entry = entries[i];
        painter.setFont(heading_font);
        painter.setPen(style.Text);
        painter.drawText(QRect(0, top, bar_width, line), Qt::AlignLeft | Qt::AlignVCenter,
                         heading_metrics.elidedText(QString::fromStdString(entry.Layer), Qt::ElideRight, bar_width));

        const QRect bar(0, top + line + gap, bar_width, bar_height);
        QLinearGradient gradient(bar.left(), 0, bar.right() + 1, 0);
        for (const ColorScale::Stop& stop : entry.Scale.Stops) {
            gradient.setColorAt(std::clamp(stop.Position, 0.0, 1.0), ToQColor(stop.StopColor));
        }
        painter.fillRect(bar, gradient);
        painter.setPen(QPen(style.Border, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(bar).adjusted(0.5, 0.5, -0.5, -0.5));

        // The values under the ends; each gets half the bar, so long labels are shortened rather than overlap.
        painter.setFont(font);
        painter.setPen(style.Text);
        const QRect values(0, bar.bottom() + 1, bar_width, line);
        const int half = bar_width / 2;
        painter.drawText(values, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(QString::fromStdString(entry.Scale.LabelLow), Qt::ElideRight, half));
        painter.drawText(values, Qt::AlignRight | Qt::AlignVCenter,
                         metrics.elidedText(QString::fromStdString(entry.Scale.LabelHigh), Qt::ElideRight, half));
        top += block + spacing;
    }
    return panel;
}

} // namespace chronova::gis
