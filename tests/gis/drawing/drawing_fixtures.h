#pragma once

// In-memory rasters and feature classes for drawing tests and benchmarks: what they draw is known exactly and
// nothing is read from files.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gis/data/raster_dataset.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/symbology/renderers.h"
#include "support/memory_data.h"

namespace chronova::testing {

/// A raster held in memory, band by band, row by row; NaN cells are no data. Counts its band reads.
class MemoryRaster : public gis::RasterDataset {
public:
    MemoryRaster(int32_t width, int32_t height, gis::Envelope extent, std::vector<std::vector<float>> bands,
                 std::string spatial_reference = {})
        : width_(width), height_(height), extent_(extent), bands_(std::move(bands)),
          spatial_reference_(std::move(spatial_reference)) {}

    const std::string& FilePath() const override { return path_; }
    int32_t BandCount() const override { return static_cast<int32_t>(bands_.size()); }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    gis::Envelope Extent() const override { return extent_; }
    std::string SpatialReference() const override { return spatial_reference_; }
    /// Only the minimum and the maximum, which the drawing stretches between.
    gis::BandStatistics Statistics(int32_t band) override {
        gis::BandStatistics statistics{std::numeric_limits<double>::infinity(),
                                       -std::numeric_limits<double>::infinity(), 0.0, 0.0};
        for (const float cell : Cells(band)) {
            if (!std::isnan(cell)) {
                statistics.Minimum = std::min<double>(statistics.Minimum, cell);
                statistics.Maximum = std::max<double>(statistics.Maximum, cell);
            }
        }
        return statistics;
    }
    std::vector<float> ReadBand(int32_t band) override {
        ++reads;
        return Cells(band);
    }

    int reads = 0;

private:
    const std::vector<float>& Cells(int32_t band) const {
        if (band < 1 || band > BandCount()) {
            platform::RaiseError(platform::error::kSubscriptOutOfRange, "no band " + std::to_string(band));
        }
        return bands_[static_cast<size_t>(band - 1)];
    }

    int32_t width_;
    int32_t height_;
    gis::Envelope extent_;
    std::vector<std::vector<float>> bands_;
    std::string spatial_reference_;
    std::string path_ = "/memory/raster.tif";
};

/// One part of a shape: its coordinates in order (a ring closes itself).
using Part = std::vector<std::pair<double, double>>;

/// A feature class of any shape type whose features a test adds, each with a whole number in the field T.
class ShapesFeatureClass : public MemoryTestTable, public gis::IFeatureClass {
public:
    ShapesFeatureClass(std::string name, gis::GeometryType type, std::string spatial_reference = {})
        : MemoryTestTable(std::move(name), nullptr), type_(type) {
        shapes_->Type = type;
        shapes_->SpatialReference = std::move(spatial_reference);
        Columns().AddField(gis::Field{"T", "T", gis::FieldType::Integer});
    }

    gis::DatasetType Type() const override { return gis::DatasetType::FeatureClass; }
    gis::GeometryType ShapeType() const override { return type_; }
    std::string ShapeFieldName() const override { return "Shape"; }
    std::shared_ptr<const gis::GeometryColumn> Shapes() const override { return shapes_; }

    void Add(const std::vector<Part>& parts, int32_t t = 0) {
        for (const Part& part : parts) {
            for (const auto& [x, y] : part) {
                shapes_->AddCoordinate(x, y);
            }
            shapes_->EndPart();
        }
        shapes_->EndFeature();
        Columns().ColumnAt(0).AppendInteger(t);
    }
    void AddPoint(double x, double y, int32_t t = 0) { Add({{{x, y}}}, t); }

private:
    gis::GeometryType type_;
    std::shared_ptr<gis::GeometryColumn> shapes_ = std::make_shared<gis::GeometryColumn>();
};

/// A rectangle as a polygon ring.
inline Part Box(double x_min, double y_min, double x_max, double y_max) {
    return {{x_min, y_min}, {x_min, y_max}, {x_max, y_max}, {x_max, y_min}, {x_min, y_min}};
}

/// A symbol of one flat colour fit for the shape type: a filled square marker, a line or a fill without outline.
inline std::shared_ptr<gis::ISymbol> FlatSymbol(gis::GeometryType type, gis::Color color, double size = 6.0) {
    if (type == gis::GeometryType::Polyline) {
        auto line = std::make_shared<gis::SimpleLineSymbol>();
        line->LineColor = color;
        line->Width = size;
        return line;
    }
    if (type == gis::GeometryType::Polygon) {
        auto fill = std::make_shared<gis::SimpleFillSymbol>();
        fill->FillColor = color;
        fill->Outline = nullptr;
        return fill;
    }
    auto marker = std::make_shared<gis::SimpleMarkerSymbol>();
    marker->Style = gis::SimpleMarkerStyle::Square;
    marker->MarkerColor = color;
    marker->Size = size;
    return marker;
}

/// A feature layer over a feature class that draws every feature with one flat symbol.
inline std::shared_ptr<gis::FeatureLayer> FlatLayer(std::shared_ptr<ShapesFeatureClass> feature_class, gis::Color color,
                                                    double size = 6.0) {
    const gis::GeometryType type = feature_class->ShapeType();
    auto layer = std::make_shared<gis::FeatureLayer>(std::move(feature_class));
    auto renderer = std::make_shared<gis::SimpleRenderer>();
    renderer->Symbol = FlatSymbol(type, color, size);
    layer->Renderer(renderer);
    return layer;
}

} // namespace chronova::testing
