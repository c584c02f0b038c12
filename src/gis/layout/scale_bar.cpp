#include "gis/layout/scale_bar.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

#include <ogr_spatialref.h>

#include "gis/symbology/legend_items.h"

namespace chronova::gis {

namespace {

// WGS 84, for a reference that names no ellipsoid.
constexpr double kWgs84SemiMajor = 6378137.0;
constexpr double kWgs84InverseFlattening = 298.257223563;

double MetresPerDegreeOfLongitude(double latitude, double semi_major, double inverse_flattening) {
    const double flattening = inverse_flattening > 0.0 ? 1.0 / inverse_flattening : 0.0;
    const double eccentricity_squared = flattening * (2.0 - flattening);
    const double phi = std::clamp(latitude, -90.0, 90.0) * std::numbers::pi / 180.0;
    const double sine = std::sin(phi);
    // The radius of the parallel: the prime vertical radius of curvature times the cosine of the latitude.
    const double parallel_radius = semi_major * std::cos(phi) / std::sqrt(1.0 - eccentricity_squared * sine * sine);
    return parallel_radius * std::numbers::pi / 180.0;
}

bool LooksLikeDegrees(const Envelope& extent) {
    return extent.XMin >= -540.0 && extent.XMax <= 540.0 && extent.YMin >= -90.0 && extent.YMax <= 90.0;
}

std::string LengthLabel(double metres) {
    return metres >= 1000.0 ? LegendNumber(metres / 1000.0, 6) + " km" : LegendNumber(metres, 6) + " m";
}

} // namespace

double MetresPerMapUnit(const std::string& spatial_reference, const Envelope& extent) {
    const double middle_latitude = (extent.YMin + extent.YMax) / 2.0;
    OGRSpatialReference reference;
    if (spatial_reference.empty() || reference.SetFromUserInput(spatial_reference.c_str()) != OGRERR_NONE) {
        return LooksLikeDegrees(extent)
                   ? MetresPerDegreeOfLongitude(middle_latitude, kWgs84SemiMajor, kWgs84InverseFlattening)
                   : 1.0;
    }
    if (reference.IsGeographic()) {
        OGRErr error = OGRERR_NONE;
        const double semi_major = reference.GetSemiMajor(&error);
        const double inverse_flattening = reference.GetInvFlattening(&error);
        if (error != OGRERR_NONE || !(semi_major > 0.0)) {
            return MetresPerDegreeOfLongitude(middle_latitude, kWgs84SemiMajor, kWgs84InverseFlattening);
        }
        // Angular units other than degrees (grads, radians) scale the degree.
        const double degrees_per_unit = reference.GetAngularUnits() * 180.0 / std::numbers::pi;
        const double latitude = middle_latitude * degrees_per_unit;
        return MetresPerDegreeOfLongitude(latitude, semi_major, inverse_flattening) * degrees_per_unit;
    }
    const double metres = reference.GetLinearUnits();
    return metres > 0.0 ? metres : 1.0;
}

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
