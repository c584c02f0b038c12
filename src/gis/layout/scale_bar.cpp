#include "gis/layout/scale_bar.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "gis/symbology/legend_items.h"

namespace chronova::gis {

namespace {

std::string LengthLabel(double metres) {
    return metres >= 1000.0 ? LegendNumber(metres / 1000.0, 6) + " km" : LegendNumber(metres, 6) + " m";
}

} // namespace

ScaleBarLength RoundScaleBar(double metres_per_pixel, double target_pixels, double longest_pixels) {
    ScaleBarLength length;
    if (!(metres_per_pixel > 0.0) || !std::isfinite(metres_per_pixel) || !(target_pixels > 0.0)) {
        return length;
    }
    const double target_metres = target_pixels * metres_per_pixel;
    const double decade = std::pow(10.0, std::floor(std::log10(target_metres)));
    double best = 0.0;
    double best_distance = std::numeric_limits<double>::infinity();
    for (const double power : {decade / 10.0, decade, decade * 10.0}) {
        for (const double step : {1.0, 2.0, 5.0}) {
            const double metres = step * power;
            const double pixels = metres / metres_per_pixel;
            const double distance = std::abs(std::log(pixels / target_pixels));
            if (pixels <= longest_pixels && distance < best_distance) {
                best = metres;
                best_distance = distance;
            }
        }
    }
    if (best <= 0.0) {
        return length;
    }
    length.Metres = best;
    length.Pixels = best / metres_per_pixel;
    length.Label = LengthLabel(best);
    return length;
}

int ScaleBarLeft(const PieceStyle& style) {
    return style.Padding;
}

QImage DrawScaleBar(const ScaleBarLength& length, const PieceStyle& style) {
    const int bar = static_cast<int>(std::lround(length.Pixels));
    if (bar <= 0) {
        return {};
    }
    const QFont font = style.Font(style.TextPixels);
    const QFontMetricsF metrics(font);
    const QString label = QString::fromStdString(length.Label);
    const int text_width = static_cast<int>(std::ceil(metrics.horizontalAdvance(label)));
    const int text_height = static_cast<int>(std::ceil(metrics.height()));
    const int bar_height = std::max(3, style.TextPixels / 3);
    const int gap = std::max(1, style.Padding / 2);
    QImage panel = PanelImage(QSize(std::max(bar, text_width), text_height + gap + bar_height), style);

    QPainter painter(&panel);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(style.Text);
    const int left = ScaleBarLeft(style);
    painter.drawText(QRect(left, style.Padding, std::max(bar, text_width), text_height),
                     Qt::AlignHCenter | Qt::AlignVCenter, label);
    // The bar is two halves, dark and light, inside a dark frame: whole pixels, no antialiasing, so its length is
    // exactly `bar` columns.
    const int top = style.Padding + text_height + gap;
    painter.fillRect(QRect(left, top, bar, bar_height), style.Text);
    if (bar_height > 2 && bar > 4) {
        painter.fillRect(QRect(left + bar / 2, top + 1, bar - bar / 2 - 1, bar_height - 2), QColor(255, 255, 255));
    }
    return panel;
}

} // namespace chronova::gis
