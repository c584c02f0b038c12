#include "gis/drawing/feature_drawer.h"

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "gis/drawing/joined_rows.h"
#include "gis/drawing/label_drawer.h"
#include "gis/drawing/marker_canvas.h"
#include "gis/drawing/marker_images.h"
#include "gis/drawing/qt_symbols.h"
#include "gis/drawing/trail_drawer.h"
#include "gis/host_errors.h"

namespace chronova::gis {

namespace {

constexpr uint32_t kNoRow = std::numeric_limits<uint32_t>::max();

// How a symbol draws each kind of shape, prepared once per symbol rather than per feature.
struct PreparedSymbol {
    std::shared_ptr<MarkerSheet> Marker;
    double MarkerAngle = 0.0;
    QPen Line{Qt::NoPen};
    QBrush Fill{Qt::NoBrush};
    QPen Outline{Qt::NoPen};
    // How far a drawn line reaches past its coordinates, in pixels.
    double LineReach = 0.0;
    double OutlineReach = 0.0;
};

PreparedSymbol Prepare(const ISymbol* symbol) {
    PreparedSymbol prepared;
    if (const auto* marker = dynamic_cast<const IMarkerSymbol*>(symbol)) {
        prepared.Marker = MarkerImages::ForThisThread().Sheet(*marker);
        prepared.MarkerAngle = marker->Angle;
    } else if (const auto* line = dynamic_cast<const SimpleLineSymbol*>(symbol)) {
        prepared.Line = LinePen(line);
        // A polygon drawn with a line symbol shows its outline.
        prepared.Outline = prepared.Line;
    } else if (const auto* fill = dynamic_cast<const SimpleFillSymbol*>(symbol)) {
        if (fill->Style != SimpleFillStyle::Null && !fill->FillColor.NullColor) {
            prepared.Fill = QBrush(ToQColor(fill->FillColor));
        }
        prepared.Outline = LinePen(fill->Outline.get());
        // A line drawn with a fill symbol shows as the fill's outline.
        prepared.Line = prepared.Outline;
    }
    prepared.LineReach = prepared.Line.style() == Qt::NoPen ? 0.0 : prepared.Line.widthF() / 2.0 + 1.0;
    prepared.OutlineReach = prepared.Outline.style() == Qt::NoPen ? 0.0 : prepared.Outline.widthF() / 2.0 + 1.0;
    return prepared;
}

// A field of the layer's display table read per visible feature: numbers only, or with `any_storage` texts too.
// For a joined layer the values live in the top join's rows, which map to feature rows through FeatureRows().
class FieldValues {
public:
    FieldValues(const FeatureLayer& layer, const std::string& field_name, const RowIds& visible,
                bool any_storage = false) {
        const auto table = layer.DisplayTable();
        if (!table || field_name.empty()) {
            return;
        }
        data_ = table->Data();
        const int32_t index = data_->FindField(field_name);
        if (index < 0) {
            missing_ = true;
            return;
        }
        index_ = static_cast<size_t>(index);
        column_ = &data_->ColumnAt(index_);
        const bool number =
            column_->StorageKind() == Column::Storage::Integer || column_->StorageKind() == Column::Storage::Real;
        if (!number && !(any_storage && column_->StorageKind() == Column::Storage::Text)) {
            column_ = nullptr;
            return;
        }
        data_rows_ = JoinedRows(layer, visible);
        joined_ = !layer.Joins().empty();
    }

    /// The table has no field of the name.
    bool Missing() const noexcept { return missing_; }
    bool Readable() const noexcept { return column_ != nullptr; }

    /// The value of the k-th visible feature (feature row `row`); NaN for null or no joined row.
    double At(size_t k, uint32_t row) const {
        const uint32_t data_row = DataRow(k, row);
        return data_row == kNoRow ? std::numeric_limits<double>::quiet_NaN() : column_->Number(data_row);
    }

    /// The column read, null when it is not readable; its table and its position in the table.
    const Column* Values() const noexcept { return column_; }
    const std::shared_ptr<const ColumnTable>& Table() const noexcept { return data_; }
    size_t ColumnIndex() const noexcept { return index_; }
    /// The column's row of the k-th visible feature (feature row `row`); kNoRow for null or no joined row.
    uint32_t DataRow(size_t k, uint32_t row) const {
        if (column_ == nullptr) {
            return kNoRow;
        }
        const uint32_t data_row = joined_ ? data_rows_[k] : row;
        if (data_row == kNoRow || data_row >= column_->Size() || column_->IsNull(data_row)) {
            return kNoRow;
        }
        return data_row;
    }

private:
    std::shared_ptr<const ColumnTable> data_;
    const Column* column_ = nullptr;
    size_t index_ = 0;
    RowIds data_rows_;
    bool joined_ = false;
    bool missing_ = false;
};

// A field the renderer names that the layer lacks is reported once per state of the layer, not on every frame.
void ReportMissingField(const FeatureLayer& layer, const std::string& field) {
    thread_local uint32_t reported_layer = 0;
    thread_local uint64_t reported_revision = 0;
    thread_local std::string reported_field;
    if (reported_layer == layer.LayerId() && reported_revision == layer.DrawRevision() && reported_field == field) {
        return;
    }
    reported_layer = layer.LayerId();
    reported_revision = layer.DrawRevision();
    reported_field = field;
    ReportHostError("The renderer of the layer '" + layer.Name() + "' uses the field '" + field +
                    "', which the layer does not have.");
}

// Draws features of one layer: the geometry walk and culling, with the symbol of each feature chosen by the
// renderer.
class LayerPainter {
public:
    // `keep_order` draws overlapping markers in the order they come everywhere (MarkerCanvas).
    LayerPainter(QPainter& painter, const ViewTransform& transform, const GeometryColumn& shapes, GeometryType type,
                 bool keep_order)
        : painter_(painter), canvas_(painter, keep_order), transform_(transform), shapes_(shapes), type_(type),
          visible_(transform.VisibleExtent()), width_(transform.Width()), height_(transform.Height()) {}

    // Draws feature `row` with `symbol`; `rotation` adds degrees counter-clockwise to a marker's own angle.
    void Draw(uint32_t row, const PreparedSymbol& symbol, double rotation = 0.0) {
        if (row >= shapes_.FeatureCount()) {
            return;
        }
        const uint32_t first_part = shapes_.FeatureParts[row];
        const uint32_t end_part = shapes_.FeatureParts[row + 1];
        if (first_part == end_part) {
            return;
        }
        switch (type_) {
        case GeometryType::Point:
        case GeometryType::Multipoint:
            DrawMarkers(first_part, end_part, symbol, rotation);
            break;
        case GeometryType::Polyline:
            DrawLines(first_part, end_part, symbol);
            break;
        case GeometryType::Polygon:
            DrawPolygon(first_part, end_part, symbol);
            break;
        case GeometryType::Null:
            // Shapes of unknown type: single coordinates as markers, longer parts as lines.
            for (uint32_t part = first_part; part < end_part; ++part) {
                if (shapes_.PartOffsets[part + 1] - shapes_.PartOffsets[part] == 1) {
                    DrawMarkers(part, part + 1, symbol, rotation);
                } else {
                    DrawLines(part, part + 1, symbol);
                }
            }
            break;
        }
    }

    /// Draws the markers still queued; call while their symbols are alive.
    void Finish() { canvas_.Flush(); }

    // Whether the marker at the feature's first coordinate could show; lets callers skip reading values of
    // point features outside the image. Other shapes answer true and are culled while drawn.
    bool MayShow(uint32_t row, double reach) const {
        if (type_ != GeometryType::Point || row >= shapes_.FeatureCount()) {
            return true;
        }
        const uint32_t part = shapes_.FeatureParts[row];
        if (part == shapes_.FeatureParts[row + 1]) {
            return false;
        }
        const uint32_t at = shapes_.PartOffsets[part];
        return InImage(transform_.ToPixelX(shapes_.X[at]), transform_.ToPixelY(shapes_.Y[at]), reach);
    }

private:
    bool InImage(double x, double y, double reach) const {
        return x >= -reach && y >= -reach && x <= width_ + reach && y <= height_ + reach;
    }

    void DrawMarkers(uint32_t first_part, uint32_t end_part, const PreparedSymbol& symbol, double rotation) {
        if (!symbol.Marker) {
            return;
        }
        const double reach = symbol.Marker->Reach();
        const double angle = symbol.MarkerAngle + rotation;
        for (uint32_t at = shapes_.PartOffsets[first_part]; at < shapes_.PartOffsets[end_part]; ++at) {
            const double x = transform_.ToPixelX(shapes_.X[at]);
            const double y = transform_.ToPixelY(shapes_.Y[at]);
            if (InImage(x, y, reach)) {
                canvas_.Add(x, y, symbol.Marker->Sprite(angle));
            }
        }
    }

    // Whether the coordinates of the parts, widened by `reach` pixels, meet the visible extent.
    bool PartsMeetView(uint32_t first_part, uint32_t end_part, double reach) const {
        Envelope bounds;
        for (uint32_t at = shapes_.PartOffsets[first_part]; at < shapes_.PartOffsets[end_part]; ++at) {
            bounds.Expand(shapes_.X[at], shapes_.Y[at]);
        }
        const double margin = reach / transform_.Scale();
        return !bounds.IsEmpty() && bounds.XMax + margin >= visible_.XMin && bounds.XMin - margin <= visible_.XMax &&
               bounds.YMax + margin >= visible_.YMin && bounds.YMin - margin <= visible_.YMax;
    }

    void CollectPart(uint32_t part) {
        points_.clear();
        for (uint32_t at = shapes_.PartOffsets[part]; at < shapes_.PartOffsets[part + 1]; ++at) {
            points_.emplace_back(transform_.ToPixelX(shapes_.X[at]), transform_.ToPixelY(shapes_.Y[at]));
        }
    }

    void DrawLines(uint32_t first_part, uint32_t end_part, const PreparedSymbol& symbol) {
        if (symbol.Line.style() == Qt::NoPen || !PartsMeetView(first_part, end_part, symbol.LineReach)) {
            return;
        }
        // Markers queued before this line go underneath it.
        canvas_.Flush();
        painter_.setPen(symbol.Line);
        painter_.setBrush(Qt::NoBrush);
        for (uint32_t part = first_part; part < end_part; ++part) {
            CollectPart(part);
            if (points_.size() >= 2) {
                painter_.drawPolyline(points_.data(), static_cast<int>(points_.size()));
            }
        }
    }

    void DrawPolygon(uint32_t first_part, uint32_t end_part, const PreparedSymbol& symbol) {
        if ((symbol.Fill.style() == Qt::NoBrush && symbol.Outline.style() == Qt::NoPen) ||
            !PartsMeetView(first_part, end_part, symbol.OutlineReach)) {
            return;
        }
        // Every ring is a subpath; even-odd filling leaves holes open whatever the rings' winding.
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (uint32_t part = first_part; part < end_part; ++part) {
            CollectPart(part);
            if (points_.size() >= 3) {
                path.addPolygon(QPolygonF(QList<QPointF>(points_.begin(), points_.end())));
                path.closeSubpath();
            }
        }
        if (path.isEmpty()) {
            return;
        }
        canvas_.Flush();
        painter_.setPen(symbol.Outline);
        painter_.setBrush(symbol.Fill);
        painter_.drawPath(path);
    }

    QPainter& painter_;
    MarkerCanvas canvas_;
    const ViewTransform& transform_;
    const GeometryColumn& shapes_;
    GeometryType type_;
    Envelope visible_;
    double width_;
    double height_;
    std::vector<QPointF> points_;
};

void DrawSimple(LayerPainter& drawer, const SimpleRenderer& renderer, const RowIds& visible) {
    const PreparedSymbol symbol = Prepare(renderer.Symbol.get());
    for (const uint32_t row : visible) {
        drawer.Draw(row, symbol);
    }
    drawer.Finish();
}

// The counter-clockwise screen turn of a marker for a rotation value: geographic values turn clockwise from
// north (an up-pointing marker at 0), arithmetic values counter-clockwise from east (pointing right at 0).
// A null value counts as 0.
double ScreenTurn(RotationType type, double value) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    return type == RotationType::Geographic ? -value : value - 90.0;
}

void DrawClassBreaks(LayerPainter& drawer, const FeatureLayer& layer, const ClassBreaksRenderer& renderer,
                     const RowIds& visible) {
    const int32_t classes = renderer.BreakCount();
    if (classes == 0) {
        return;
    }
    const FieldValues values(layer, renderer.Field, visible);
    if (values.Missing() || renderer.Field.empty()) {
        ReportMissingField(layer, renderer.Field);
        return;
    }
    if (!values.Readable()) {
        return;
    }
    const FieldValues rotations(layer, renderer.RotationField, visible);
    if (rotations.Missing()) {
        ReportMissingField(layer, renderer.RotationField);
    }

    std::vector<PreparedSymbol> symbols;
    symbols.reserve(static_cast<size_t>(classes));
    double reach = 0.0;
    for (int32_t i = 0; i < classes; ++i) {
        symbols.push_back(Prepare(renderer.Symbol(i).get()));
        if (symbols.back().Marker) {
            reach = std::max(reach, symbols.back().Marker->Reach());
        }
    }
    for (size_t k = 0; k < visible.size(); ++k) {
        const uint32_t row = visible[k];
        if (!drawer.MayShow(row, reach)) {
            continue;
        }
        const double value = values.At(k, row);
        const int32_t symbol_class = std::isnan(value) ? -1 : renderer.ClassOf(value);
        if (symbol_class < 0) {
            continue;
        }
        const double rotation = rotations.Readable() ? ScreenTurn(renderer.Rotation, rotations.At(k, row)) : 0.0;
        drawer.Draw(row, symbols[static_cast<size_t>(symbol_class)], rotation);
    }
    drawer.Finish();
}

// Draws each feature with the symbol of its value's class. The class of every row is worked out once per state of
// the renderer and kept by it, so a frame reads one number per feature.
void DrawUniqueValues(LayerPainter& drawer, const FeatureLayer& layer, const UniqueValueRenderer& renderer,
                      const RowIds& visible) {
    const FieldValues values(layer, renderer.Field, visible, true);
    if (values.Missing() || renderer.Field.empty()) {
        ReportMissingField(layer, renderer.Field);
        return;
    }
    if (values.Values() == nullptr) {
        return;
    }
    const std::shared_ptr<const std::vector<int32_t>> classes =
        renderer.ClassesOf(values.Table(), values.ColumnIndex());
    // The last prepared symbol is the default one.
    std::vector<PreparedSymbol> symbols;
    symbols.reserve(static_cast<size_t>(renderer.ValueCount()) + 1);
    double reach = 0.0;
    for (int32_t i = 0; i <= renderer.ValueCount(); ++i) {
        symbols.push_back(Prepare(i < renderer.ValueCount() ? renderer.Symbol(i).get() : renderer.DefaultSymbol.get()));
        if (symbols.back().Marker) {
            reach = std::max(reach, symbols.back().Marker->Reach());
        }
    }
    const PreparedSymbol* fallback = renderer.DefaultSymbol ? &symbols.back() : nullptr;
    for (size_t k = 0; k < visible.size(); ++k) {
        const uint32_t row = visible[k];
        if (!drawer.MayShow(row, reach)) {
            continue;
        }
        const uint32_t data_row = values.DataRow(k, row);
        const int32_t index = data_row == kNoRow ? -1 : (*classes)[data_row];
        const PreparedSymbol* symbol = index >= 0 ? &symbols[static_cast<size_t>(index)] : fallback;
        if (symbol != nullptr) {
            drawer.Draw(row, *symbol);
        }
    }
    drawer.Finish();
}

// Draws `rows` with the layer's renderer.
void DrawRows(LayerPainter& drawer, const FeatureLayer& layer, const IFeatureRenderer& renderer, const RowIds& rows) {
    if (const auto* simple = dynamic_cast<const SimpleRenderer*>(&renderer)) {
        DrawSimple(drawer, *simple, rows);
    } else if (const auto* class_breaks = dynamic_cast<const ClassBreaksRenderer*>(&renderer)) {
        DrawClassBreaks(drawer, layer, *class_breaks, rows);
    } else if (const auto* unique = dynamic_cast<const UniqueValueRenderer*>(&renderer)) {
        DrawUniqueValues(drawer, layer, *unique, rows);
    }
}

GeometryType ShapeTypeOf(const FeatureLayer& layer, const GeometryColumn& shapes) {
    if (shapes.Type == GeometryType::Null && layer.FeatureClass()) {
        return layer.FeatureClass()->ShapeType();
    }
    return shapes.Type;
}

} // namespace

FeatureDrawing DrawFeatureLayer(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                                const GeometryColumn& shapes) {
    FeatureDrawing drawing;
    const auto renderer = layer.Renderer();
    if (!renderer) {
        return drawing;
    }
    const GeometryType type = ShapeTypeOf(layer, shapes);
    // Features of a layer that may grow go on in the order later rows are let in (by time), each over those
    // before it, so that rows let in later can go on top of the image alone.
    const bool keep_order = layer.GrowsByAppending();
    drawing.Appendable = keep_order && type != GeometryType::Null && !layer.Labels();
    if (const auto& trails = layer.Trails(); trails && !trails->empty()) {
        DrawTrails(painter, transform, shapes, *trails, TrailColor(layer));
    }
    const auto visible =
        keep_order ? std::make_shared<const RowIds>(layer.VisibleFeaturesInGrowthOrder()) : layer.VisibleFeatures();
    if (!visible || visible->empty()) {
        return drawing;
    }

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    {
        LayerPainter drawer(painter, transform, shapes, type, keep_order);
        DrawRows(drawer, layer, *renderer, *visible);
    }
    painter.restore();
    DrawFeatureLabels(painter, transform, layer, shapes);
    return drawing;
}

bool DrawAppendedFeatures(QPainter& painter, const ViewTransform& transform, const FeatureLayer& layer,
                          const GeometryColumn& shapes, const RowIds& rows, const FeatureDrawing& drawing) {
    const auto renderer = layer.Renderer();
    const GeometryType type = ShapeTypeOf(layer, shapes);
    if (!drawing.Appendable || !renderer || type == GeometryType::Null || layer.Labels()) {
        return false;
    }
    if (rows.empty()) {
        return true;
    }
    // Each feature goes over the image as it went over the features before it in a whole drawing: markers
    // keep the order they come in, lines and fills are drawn one by one.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    {
        LayerPainter drawer(painter, transform, shapes, type, true);
        DrawRows(drawer, layer, *renderer, rows);
    }
    painter.restore();
    return true;
}

} // namespace chronova::gis
