#include "gis/drawing/label_drawer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "gis/drawing/label_anchors.h"
#include "gis/drawing/label_images.h"
#include "gis/drawing/label_placement.h"
#include "gis/drawing/label_values.h"
#include "gis/drawing/marker_canvas.h"
#include "gis/drawing/marker_images.h"
#include "gis/host_errors.h"
#include "gis/symbology/legend_items.h"

namespace chronova::gis {

namespace {

// Where a label's top-left corner goes relative to its anchor, for a label of width w and height h: a fixed
// shift plus fractions of the label's size.
struct Candidate {
    double X = 0.0;
    double Y = 0.0;
    double WidthShare = 0.0;
    double HeightShare = 0.0;
};
using Candidates = std::array<Candidate, 4>;

// Points: the four corners around the marker, upper right first, each label's corner at the marker's reach along
// the diagonal. The four never overlap one another, so four points at one place all get their labels.
// `reach` is how far the marker reaches from its anchor, in pixels.
Candidates PointCandidates(double reach) {
    const double corner = (reach + 1.0) * std::sqrt(0.5);
    return {{{corner, -corner, 0.0, -1.0},
             {-corner, -corner, -1.0, -1.0},
             {corner, corner, 0.0, 0.0},
             {-corner, corner, -1.0, 0.0}}};
}

// Lines: above and below the line's middle, then right and left of it.
Candidates LineCandidates(double reach) {
    const double gap = reach + 1.0;
    return {{{0.0, -gap, -0.5, -1.0}, {0.0, gap, -0.5, 0.0}, {gap, 0.0, 0.0, -0.5}, {-gap, 0.0, -1.0, -0.5}}};
}

// Polygons: centred on the label point, then half a label higher or lower, then beside it.
Candidates PolygonCandidates() {
    return {{{0.0, 0.0, -0.5, -0.5}, {0.0, 0.0, -0.5, -1.0}, {0.0, 0.0, -0.5, 0.0}, {0.0, 0.0, 0.0, -0.5}}};
}

LabelBox BoxAt(const Candidate& candidate, double x, double y, int width, int height) {
    // The anchor lies in the image, so the sums are small and floor(v + 0.5) rounds them as well as lround, faster.
    const auto left = static_cast<int32_t>(std::floor(x + candidate.X + candidate.WidthShare * width + 0.5));
    const auto top = static_cast<int32_t>(std::floor(y + candidate.Y + candidate.HeightShare * height + 0.5));
    return {left, top, left + width, top + height};
}

// The shape type the features draw as: the shapes' own, else the feature class's.
GeometryType DrawnType(const FeatureLayer& layer, const GeometryColumn& shapes) {
    if (shapes.Type == GeometryType::Null && layer.FeatureClass()) {
        return layer.FeatureClass()->ShapeType();
    }
    return shapes.Type;
}

// How far the renderer's symbols reach from a feature's coordinates, in pixels: the largest marker's reach, or
// half the widest line.
double SymbolReach(const FeatureLayer& layer, bool points) {
    const auto renderer = layer.Renderer();
    if (!renderer) {
        return 0.0;
    }
    double reach = 0.0;
    for (const LegendItem& item : LegendItems(*renderer)) {
        if (points) {
            if (const auto* marker = dynamic_cast<const IMarkerSymbol*>(item.Symbol.get())) {
                if (const auto sheet = MarkerImages::ForThisThread().Sheet(*marker)) {
                    reach = std::max(reach, sheet->Reach());
                }
            }
        } else if (const auto* line = dynamic_cast<const SimpleLineSymbol*>(item.Symbol.get())) {
            reach = std::max(reach, ViewTransform::PointsToPixels(line->Width) / 2.0);
        }
    }
    return reach;
}

// A field the label settings name that the layer lacks is reported once per state of the layer, not per frame.
void ReportMissingLabelField(const FeatureLayer& layer, const std::string& field, const char* use) {
    thread_local uint32_t reported_layer = 0;
    thread_local uint64_t reported_revision = 0;
    thread_local std::string reported_field;
    if (reported_layer == layer.LayerId() && reported_revision == layer.DrawRevision() && reported_field == field) {
        return;
    }
    reported_layer = layer.LayerId();
    reported_revision = layer.DrawRevision();
    reported_field = field;
    ReportHostError("The " + std::string(use) + " field '" + field + "' of the labels of the layer '" + layer.Name() +
                    "' is not a field of the layer.");
}

// The order in which visible features claim room: as drawn, or by the priority values, largest first and
// features without a value last.
std::vector<uint32_t> PlacementOrder(const FeatureLayer& layer, const LabelSettings& settings, const RowIds& visible) {
    std::vector<uint32_t> order(visible.size());
    std::iota(order.begin(), order.end(), uint32_t{0});
    if (settings.PriorityField.empty()) {
        return order;
    }
    const LabelValues priority(layer, settings.PriorityField, visible);
    if (priority.Missing()) {
        ReportMissingLabelField(layer, settings.PriorityField, "priority");
        return order;
    }
    std::vector<double> values(visible.size());
    for (size_t k = 0; k < visible.size(); ++k) {
        const double value = priority.Number(k);
        values[k] = std::isnan(value) ? -std::numeric_limits<double>::infinity() : value;
    }
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return values[a] > values[b]; });
    return order;
}

} // namespace

void DrawFeatureLabels(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                       const GeometryColumn& shapes) {
    const auto& settings = layer.Labels();
    if (!settings || settings->Field.empty() || settings->MaxLabels <= 0) {
        return;
    }
    const auto visible = layer.VisibleFeatures();
    if (!visible || visible->empty()) {
        return;
    }
    const LabelValues texts(layer, settings->Field, *visible);
    if (texts.Missing()) {
        ReportMissingLabelField(layer, settings->Field, "label");
        return;
    }

    const GeometryType type = DrawnType(layer, shapes);
    Candidates candidates;
    if (type == GeometryType::Polygon) {
        candidates = PolygonCandidates();
    } else if (type == GeometryType::Polyline) {
        candidates = LineCandidates(SymbolReach(layer, false));
    } else {
        candidates = PointCandidates(SymbolReach(layer, true));
    }

    LabelStyle style;
    style.PixelSize = static_cast<int>(std::lround(ViewTransform::PointsToPixels(settings->Size)));
    style.TextColor = qRgb(settings->TextColor.Red, settings->TextColor.Green, settings->TextColor.Blue);
    style.HaloColor = qRgb(settings->HaloColor.Red, settings->HaloColor.Green, settings->HaloColor.Blue);
    style.HaloPixels = settings->Halo ? std::max(ViewTransform::PointsToPixels(settings->HaloWidth), 0.0) : 0.0;
    LabelImages::Frame images(LabelImages::ForThisThread(), style);
    const int height = images.Height();
    // A label's box holds the box of the narrowest label at the same place, less a pixel of rounding on each side;
    // when that smaller box does not fit anywhere the label cannot either, and its text need not be read.
    const int narrowest = images.MinimumWidth();

    const double width = transform.Width();
    const double image_height = transform.Height();
    LabelGrid grid(transform.Width(), transform.Height());
    MarkerCanvas canvas(painter);
    int32_t placed = 0;
    for (const uint32_t k : PlacementOrder(layer, *settings, *visible)) {
        if (placed >= settings->MaxLabels) {
            break;
        }
        const uint32_t row = (*visible)[k];
        const auto anchor = LabelAnchor(shapes, row, type);
        if (!anchor) {
            continue;
        }
        const double x = transform.ToPixelX(anchor->X);
        const double y = transform.ToPixelY(anchor->Y);
        if (!(x >= 0.0 && y >= 0.0 && x <= width && y <= image_height)) {
            continue;
        }
        const bool room = std::any_of(candidates.begin(), candidates.end(), [&](const Candidate& candidate) {
            LabelBox box = BoxAt(candidate, x, y, narrowest, height);
            ++box.Left;
            --box.Right;
            return grid.Fits(box);
        });
        if (!room) {
            continue;
        }
        const std::string text = texts.Text(k);
        if (text.empty()) {
            continue;
        }
        LabelImages::Label& label = images.Find(text);
        for (const Candidate& candidate : candidates) {
            const LabelBox box = BoxAt(candidate, x, y, label.Width, label.Height);
            if (grid.Fits(box)) {
                grid.Place(box);
                canvas.Add(box.Left, box.Top, images.Sprite(label));
                ++placed;
                break;
            }
        }
    }
    canvas.Flush();
}

} // namespace chronova::gis
