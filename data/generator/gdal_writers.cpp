#include "generator/gdal_writers.h"

#include <array>
#include <memory>
#include <string>

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "datetime/mod_date_time.h"
#include "generator/partial_files.h"
#include "gis/ogr/gdal_environment.h"
#include "platform/automation_error.h"

namespace fs = std::filesystem;

namespace chronova::sample_data {

namespace {

// The date that formats which store one record when a file was written get, instead of today's.
constexpr const char* kFixedDate = "2008-03-01";

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

GDALDriver& Driver(const char* name, const gis::GdalErrorTrap& trap) {
    gis::RegisterGdalDrivers();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(name);
    if (driver == nullptr) {
        trap.Raise(platform::error::kPathFileAccess, std::string("GDAL has no ") + name + " driver");
    }
    return *driver;
}

Dataset Create(const char* driver, const fs::path& path, const gis::GdalErrorTrap& trap, int width = 0, int height = 0,
               int bands = 0, GDALDataType type = GDT_Unknown, CSLConstList options = nullptr) {
    Dataset dataset(Driver(driver, trap).Create(path.c_str(), width, height, bands, type, const_cast<char**>(options)));
    if (!dataset) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot create " + path.string());
    }
    return dataset;
}

// Longitude before latitude, as the shapes are given.
OGRSpatialReference Wgs84() {
    OGRSpatialReference srs;
    srs.importFromEPSG(4326);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

OGRFieldType GdalType(FieldKind kind) {
    switch (kind) {
    case FieldKind::Integer:
        return OFTInteger;
    case FieldKind::Real:
        return OFTReal;
    case FieldKind::DateTime:
        return OFTDateTime;
    case FieldKind::Text:
        break;
    }
    return OFTString;
}

std::unique_ptr<OGRGeometry> Shape(ShapeKind kind, const std::vector<GeoPoint>& points) {
    if (kind == ShapeKind::Point && !points.empty()) {
        return std::make_unique<OGRPoint>(points.front().Lon, points.front().Lat);
    }
    if (kind == ShapeKind::Polygon && !points.empty()) {
        auto ring = std::make_unique<OGRLinearRing>();
        for (const GeoPoint& point : points) {
            ring->addPoint(point.Lon, point.Lat);
        }
        auto polygon = std::make_unique<OGRPolygon>();
        polygon->addRingDirectly(ring.release());
        return polygon;
    }
    return nullptr;
}

void SetValue(OGRFeature& feature, int index, const FieldValue& value) {
    if (const auto* number = std::get_if<int64_t>(&value)) {
        feature.SetField(index, static_cast<GIntBig>(*number));
    } else if (const auto* real = std::get_if<double>(&value)) {
        feature.SetField(index, *real);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        feature.SetField(index, text->c_str());
    } else {
        int16_t year = 0;
        int16_t month = 0;
        int16_t day = 0;
        int16_t hour = 0;
        int16_t minute = 0;
        modDateTime::MinutesToParts(std::get<Stamp>(value).Minutes, year, month, day, hour, minute);
        feature.SetField(index, year, month, day, hour, minute, 0.0F, 0); // no time zone: plain local times
    }
}

void WriteLayer(GDALDataset& dataset, const SampleTable& table, CSLConstList options, const gis::GdalErrorTrap& trap) {
    OGRSpatialReference srs = Wgs84(); // GDAL 3.6 takes it as not const
    const bool shapes = table.Shape != ShapeKind::None;
    const OGRwkbGeometryType geometry = table.Shape == ShapeKind::Point     ? wkbPoint
                                        : table.Shape == ShapeKind::Polygon ? wkbPolygon
                                                                            : wkbNone;
    OGRLayer* layer =
        dataset.CreateLayer(table.Name.c_str(), shapes ? &srs : nullptr, geometry, const_cast<char**>(options));
    if (layer == nullptr) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot create the layer " + table.Name);
    }
    for (const FieldLayout& field : table.Fields) {
        OGRFieldDefn definition(field.Name.c_str(), GdalType(field.Kind));
        definition.SetWidth(field.Width);
        if (layer->CreateField(&definition) != OGRERR_NONE) {
            trap.Raise(platform::error::kPathFileAccess, "Cannot create the field " + table.Name + "." + field.Name);
        }
    }
    const bool transaction = layer->StartTransaction() == OGRERR_NONE;
    for (const TableRow& row : table.Rows) {
        OGRFeature feature(layer->GetLayerDefn());
        for (size_t i = 0; i < row.Values.size() && i < table.Fields.size(); ++i) {
            SetValue(feature, static_cast<int>(i), row.Values[i]);
        }
        if (auto shape = Shape(table.Shape, row.Shape)) {
            feature.SetGeometryDirectly(shape.release());
        }
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            trap.Raise(platform::error::kPathFileAccess, "Cannot write a row of " + table.Name);
        }
    }
    if (transaction && layer->CommitTransaction() != OGRERR_NONE) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot write the rows of " + table.Name);
    }
}

// Closing writes what GDAL still holds; a failure then shows only as an error message.
void Close(Dataset& dataset, const fs::path& target, const gis::GdalErrorTrap& trap) {
    dataset.reset();
    if (trap.Failed()) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot write " + target.string());
    }
}

} // namespace

void WriteGeoPackage(const fs::path& file, const std::vector<SampleTable>& tables) {
    gis::GdalErrorTrap trap;
    // The GeoPackage records when each table last changed; a fixed date keeps the file the same on every run.
    CPLConfigOptionSetter fixed_date("OGR_CURRENT_DATE", (std::string(kFixedDate) + "T00:00:00.000Z").c_str(), false);
    PartialOutput output(file);
    Dataset dataset = Create("GPKG", output.Path(), trap);
    for (const SampleTable& table : tables) {
        WriteLayer(*dataset, table, nullptr, trap);
    }
    Close(dataset, file, trap);
    output.Publish();
}

void WriteShapefileFolder(const fs::path& folder, const SampleTable& table) {
    gis::GdalErrorTrap trap;
    PartialOutput output(folder);
    std::error_code error;
    fs::create_directory(output.Path(), error);
    if (error) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot create " + output.Path().string() + ": " + error.message() + ".");
    }
    Dataset dataset = Create("ESRI Shapefile", output.Path() / (table.Name + ".shp"), trap);
    const std::string last_update = std::string("DBF_DATE_LAST_UPDATE=") + kFixedDate;
    const char* options[] = {"ENCODING=UTF-8", last_update.c_str(), nullptr};
    WriteLayer(*dataset, table, options, trap);
    Close(dataset, folder, trap);
    output.Publish();
}

void WriteGeoTiff(const fs::path& file, const RasterGrid& grid,
                  const std::function<std::vector<float>(int band)>& cells) {
    gis::GdalErrorTrap trap;
    PartialOutput output(file);
    const char* options[] = {"INTERLEAVE=BAND", "COMPRESS=DEFLATE", "PREDICTOR=3", nullptr};
    Dataset dataset = Create("GTiff", output.Path(), trap, grid.Width, grid.Height, grid.Bands, GDT_Float32, options);
    std::array<double, 6> transform{grid.West, grid.CellSize, 0.0, grid.North, 0.0, -grid.CellSize};
    const OGRSpatialReference srs = Wgs84();
    if (dataset->SetGeoTransform(transform.data()) != CE_None || dataset->SetSpatialRef(&srs) != CE_None) {
        trap.Raise(platform::error::kPathFileAccess, "Cannot place " + file.string());
    }
    const size_t count = static_cast<size_t>(grid.Width) * static_cast<size_t>(grid.Height);
    for (int band = 1; band <= grid.Bands; ++band) {
        std::vector<float> values = cells(band);
        if (values.size() != count) {
            platform::RaiseError(platform::error::kInternalError, "Band " + std::to_string(band) + " of " +
                                                                      file.string() + " has the wrong cell count.");
        }
        GDALRasterBand* target = dataset->GetRasterBand(band);
        if (target->SetNoDataValue(kNoData) != CE_None ||
            target->RasterIO(GF_Write, 0, 0, grid.Width, grid.Height, values.data(), grid.Width, grid.Height,
                             GDT_Float32, 0, 0, nullptr) != CE_None) {
            trap.Raise(platform::error::kPathFileAccess,
                       "Cannot write band " + std::to_string(band) + " of " + file.string());
        }
    }
    Close(dataset, file, trap);
    output.Publish();
}

} // namespace chronova::sample_data
