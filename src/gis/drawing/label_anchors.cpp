#include "gis/drawing/label_anchors.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace chronova::gis {

namespace {

// The coordinates of part p run from Begin(p) to End(p), exclusive.
uint32_t Begin(const GeometryColumn& shapes, uint32_t part) {
    return shapes.PartOffsets[part];
}
uint32_t End(const GeometryColumn& shapes, uint32_t part) {
    return shapes.PartOffsets[part + 1];
}

bool HasShape(const GeometryColumn& shapes, uint32_t row) {
    return row < shapes.FeatureCount() && shapes.FeatureParts[row] < shapes.FeatureParts[row + 1];
}

// Twice the signed area of a ring (the shoelace sum), closing it whether or not its last point repeats the first.
double TwiceArea(const GeometryColumn& shapes, uint32_t part) {
    const uint32_t begin = Begin(shapes, part);
    const uint32_t end = End(shapes, part);
    double sum = 0.0;
    for (uint32_t at = begin; at < end; ++at) {
        const uint32_t next = at + 1 < end ? at + 1 : begin;
        sum += shapes.X[at] * shapes.Y[next] - shapes.X[next] * shapes.Y[at];
    }
    return sum;
}

// Calls edge(x1, y1, x2, y2) for each edge of a ring, the closing edge included.
template <typename Edge>
void ForEachEdge(const GeometryColumn& shapes, uint32_t part, Edge&& edge) {
    const uint32_t begin = Begin(shapes, part);
    const uint32_t end = End(shapes, part);
    for (uint32_t at = begin; at < end; ++at) {
        const uint32_t next = at + 1 < end ? at + 1 : begin;
        edge(shapes.X[at], shapes.Y[at], shapes.X[next], shapes.Y[next]);
    }
}

// Where the edge crosses the horizontal line at y; each edge counts for the y values in [low end, high end), so a
// line through a vertex counts it once.
bool Crossing(double x1, double y1, double x2, double y2, double y, double& x) {
    if ((y1 <= y) == (y2 <= y)) {
        return false;
    }
    x = x1 + (y - y1) * (x2 - x1) / (y2 - y1);
    return true;
}

// Whether (x, y) lies inside the rings first..end-1 by the even-odd rule, so that holes are outside.
bool InsideRings(const GeometryColumn& shapes, uint32_t first, uint32_t end, double x, double y) {
    bool inside = false;
    for (uint32_t part = first; part < end; ++part) {
        ForEachEdge(shapes, part, [&](double x1, double y1, double x2, double y2) {
            double crossing = 0.0;
            if (Crossing(x1, y1, x2, y2, y, crossing) && crossing > x) {
                inside = !inside;
            }
        });
    }
    return inside;
}

} // namespace

std::optional<MapPoint> LabelAnchor(const GeometryColumn& shapes, uint32_t row, GeometryType type) {
    if (!HasShape(shapes, row)) {
        return std::nullopt;
    }
    const uint32_t first_part = shapes.FeatureParts[row];
    switch (type) {
    case GeometryType::Polyline:
        return LineLabelPoint(shapes, row);
    case GeometryType::Polygon:
        return PolygonLabelPoint(shapes, row);
    case GeometryType::Null:
        if (End(shapes, first_part) - Begin(shapes, first_part) > 1) {
            return LineLabelPoint(shapes, row);
        }
        break;
    case GeometryType::Point:
    case GeometryType::Multipoint:
        break;
    }
    const uint32_t at = Begin(shapes, first_part);
    if (at == End(shapes, first_part)) {
        return std::nullopt;
    }
    return MapPoint{shapes.X[at], shapes.Y[at]};
}

std::optional<MapPoint> LineLabelPoint(const GeometryColumn& shapes, uint32_t row) {
    if (!HasShape(shapes, row)) {
        return std::nullopt;
    }
    uint32_t longest = shapes.FeatureParts[row];
    double longest_length = -1.0;
    for (uint32_t part = shapes.FeatureParts[row]; part < shapes.FeatureParts[row + 1]; ++part) {
        double length = 0.0;
        for (uint32_t at = Begin(shapes, part) + 1; at < End(shapes, part); ++at) {
            length += std::hypot(shapes.X[at] - shapes.X[at - 1], shapes.Y[at] - shapes.Y[at - 1]);
        }
        if (length > longest_length && End(shapes, part) > Begin(shapes, part)) {
            longest = part;
            longest_length = length;
        }
    }
    if (longest_length < 0.0) {
        return std::nullopt;
    }
    const uint32_t begin = Begin(shapes, longest);
    double remaining = longest_length / 2.0;
    for (uint32_t at = begin + 1; at < End(shapes, longest); ++at) {
        const double dx = shapes.X[at] - shapes.X[at - 1];
        const double dy = shapes.Y[at] - shapes.Y[at - 1];
        const double segment = std::hypot(dx, dy);
        if (segment > 0.0 && remaining <= segment) {
            const double t = remaining / segment;
            return MapPoint{shapes.X[at - 1] + t * dx, shapes.Y[at - 1] + t * dy};
        }
        remaining -= segment;
    }
    return MapPoint{shapes.X[begin], shapes.Y[begin]};
}

std::optional<MapPoint> PolygonLabelPoint(const GeometryColumn& shapes, uint32_t row) {
    if (!HasShape(shapes, row)) {
        return std::nullopt;
    }
    const uint32_t first_part = shapes.FeatureParts[row];
    const uint32_t end_part = shapes.FeatureParts[row + 1];
    uint32_t largest = first_part;
    double largest_area = -1.0;
    for (uint32_t part = first_part; part < end_part; ++part) {
        const double area = std::abs(TwiceArea(shapes, part));
        if (area > largest_area && End(shapes, part) > Begin(shapes, part)) {
            largest = part;
            largest_area = area;
        }
    }
    if (largest_area < 0.0) {
        return std::nullopt;
    }

    // The centroid of the ring, taken relative to its first point so that large coordinates keep their precision.
    const uint32_t begin = Begin(shapes, largest);
    const double x0 = shapes.X[begin];
    const double y0 = shapes.Y[begin];
    double twice_area = 0.0;
    double cx = 0.0;
    double cy = 0.0;
    Envelope bounds;
    ForEachEdge(shapes, largest, [&](double x1, double y1, double x2, double y2) {
        x1 -= x0;
        y1 -= y0;
        x2 -= x0;
        y2 -= y0;
        const double cross = x1 * y2 - x2 * y1;
        twice_area += cross;
        cx += (x1 + x2) * cross;
        cy += (y1 + y2) * cross;
        bounds.Expand(x1 + x0, y1 + y0);
    });
    if (twice_area != 0.0) {
        const MapPoint centroid{x0 + cx / (3.0 * twice_area), y0 + cy / (3.0 * twice_area)};
        if (InsideRings(shapes, first_part, end_part, centroid.X, centroid.Y)) {
            return centroid;
        }
    }

    // The inside stretches of the middle scan line are the spans between pairs of sorted crossings of all rings.
    const double y = (bounds.YMin + bounds.YMax) / 2.0;
    std::vector<double> crossings;
    for (uint32_t part = first_part; part < end_part; ++part) {
        ForEachEdge(shapes, part, [&](double x1, double y1, double x2, double y2) {
            double x = 0.0;
            if (Crossing(x1, y1, x2, y2, y, x)) {
                crossings.push_back(x);
            }
        });
    }
    std::sort(crossings.begin(), crossings.end());
    std::optional<MapPoint> best;
    double best_width = -1.0;
    for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
        const double width = crossings[i + 1] - crossings[i];
        const MapPoint middle{(crossings[i] + crossings[i + 1]) / 2.0, y};
        // Stretches of other outer rings on the same line do not belong to the largest ring.
        if (width > best_width && InsideRings(shapes, largest, largest + 1, middle.X, middle.Y)) {
            best = middle;
            best_width = width;
        }
    }
    if (best) {
        return best;
    }
    // A ring without inside on its middle line (no area): its first point at least lies on it.
    return MapPoint{x0, y0};
}

} // namespace chronova::gis
