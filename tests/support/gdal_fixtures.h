#pragma once

// Test helpers that write small vector and raster files with GDAL, so that tests of the map host and of the
// system read real shapefiles, GeoPackages and GeoTIFFs. A test program using them links GDAL::GDAL.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/ogr/gdal_environment.h"

namespace chronova::testing {

/// A calendar date and clock time as a fixture value; zone uses GDAL's codes (0 unknown, 100 UTC, 104 UTC+1).
struct FixtureDate {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    float second = 0.0F;
    int zone = 0;
};

/// One value of a row: null, a whole number, a real, a text (the bytes of a binary field) or a date.
using FixtureValue = std::variant<std::monostate, int64_t, double, std::string, FixtureDate>;

/// A field to create: GDAL's type and subtype (OFSTInt16, OFSTFloat32, OFSTBoolean), width and precision.
struct FixtureField {
    std::string name;
    OGRFieldType type = OFTString;
    OGRFieldSubType subtype = OFSTNone;
    int width = 0;
    int precision = 0;
};

/// One feature: its shape as WKT ("" for none) and a value per field.
struct FixtureRow {
    std::string wkt;
    std::vector<FixtureValue> values;
};

/// A layer to write: a feature class, or a table when geometry is wkbNone.
struct FixtureLayer {
    std::string name;
    OGRwkbGeometryType geometry = wkbPoint;
    std::vector<FixtureField> fields;
    std::vector<FixtureRow> rows;
    int epsg = 4326; ///< 0 writes no spatial reference
};

/// A point feature's row.
inline FixtureRow PointRow(double x, double y, std::vector<FixtureValue> values) {
    return {"POINT (" + std::to_string(x) + " " + std::to_string(y) + ")", std::move(values)};
}

namespace detail {

inline GDALDriver& Driver(const char* name) {
    gis::RegisterGdalDrivers();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(name);
    if (driver == nullptr) {
        throw std::runtime_error(std::string("GDAL has no driver ") + name);
    }
    return *driver;
}

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using DatasetPointer = std::unique_ptr<GDALDataset, DatasetCloser>;

inline void SetValue(OGRFeature& feature, int index, const FixtureValue& value) {
    if (std::holds_alternative<std::monostate>(value)) {
        feature.SetFieldNull(index);
    } else if (const auto* number = std::get_if<int64_t>(&value)) {
        feature.SetField(index, static_cast<GIntBig>(*number));
    } else if (const auto* real = std::get_if<double>(&value)) {
        feature.SetField(index, *real);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        if (feature.GetFieldDefnRef(index)->GetType() == OFTBinary) {
            feature.SetField(index, static_cast<int>(text->size()), text->data()); // the bytes as they are
        } else {
            feature.SetField(index, text->c_str());
        }
    } else {
        const auto& date = std::get<FixtureDate>(value);
        feature.SetField(index, date.year, date.month, date.day, date.hour, date.minute, date.second, date.zone);
    }
}

inline void WriteLayer(GDALDataset& dataset, const FixtureLayer& layout, char** options) {
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (layout.epsg != 0 && srs.importFromEPSG(layout.epsg) != OGRERR_NONE) {
        throw std::runtime_error("unknown EPSG code " + std::to_string(layout.epsg));
    }
    OGRLayer* layer = dataset.CreateLayer(
        layout.name.c_str(), layout.epsg != 0 && layout.geometry != wkbNone ? &srs : nullptr, layout.geometry, options);
    if (layer == nullptr) {
        throw std::runtime_error("cannot create the layer " + layout.name + ": " + CPLGetLastErrorMsg());
    }
    for (const FixtureField& field : layout.fields) {
        OGRFieldDefn definition(field.name.c_str(), field.type);
        definition.SetSubType(field.subtype);
        definition.SetWidth(field.width);
        definition.SetPrecision(field.precision);
        if (layer->CreateField(&definition) != OGRERR_NONE) {
            throw std::runtime_error("cannot create the field " + field.name);
        }
    }
    const bool transaction = layer->StartTransaction() == OGRERR_NONE;
    for (const FixtureRow& row : layout.rows) {
        OGRFeature feature(layer->GetLayerDefn());
        for (size_t i = 0; i < row.values.size() && i < layout.fields.size(); ++i) {
            SetValue(feature, static_cast<int>(i), row.values[i]);
        }
        if (!row.wkt.empty()) {
            OGRGeometry* geometry = nullptr;
            if (OGRGeometryFactory::createFromWkt(row.wkt.c_str(), nullptr, &geometry) != OGRERR_NONE) {
                throw std::runtime_error("bad WKT " + row.wkt);
            }
            feature.SetGeometryDirectly(geometry);
        }
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            throw std::runtime_error("cannot write a feature of " + layout.name + ": " + CPLGetLastErrorMsg());
        }
    }
    if (transaction && layer->CommitTransaction() != OGRERR_NONE) {
        throw std::runtime_error("cannot commit " + layout.name);
    }
}

} // namespace detail

/// Writes a shapefile (name.shp, .shx, .dbf, .prj, .cpg) into an existing folder, or only name.dbf for a table.
inline void WriteShapefile(const std::filesystem::path& folder, const FixtureLayer& layer) {
    const std::string file = (folder / (layer.name + (layer.geometry == wkbNone ? ".dbf" : ".shp"))).string();
    detail::DatasetPointer dataset(
        detail::Driver("ESRI Shapefile").Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        throw std::runtime_error("cannot create " + file);
    }
    const char* options[] = {"ENCODING=UTF-8", nullptr};
    detail::WriteLayer(*dataset, layer, const_cast<char**>(options));
}

/// Writes a GeoPackage holding the layers in the given order; an existing file is replaced.
inline void WriteGeoPackage(const std::filesystem::path& file, const std::vector<FixtureLayer>& layers) {
    std::filesystem::remove(file);
    detail::DatasetPointer dataset(detail::Driver("GPKG").Create(file.string().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        throw std::runtime_error("cannot create " + file.string());
    }
    for (const FixtureLayer& layer : layers) {
        detail::WriteLayer(*dataset, layer, nullptr);
    }
}

/// Writes one layer into a new file of any GDAL vector driver that creates files ("GeoJSON", "FlatGeobuf", ...);
/// an existing file is replaced.
inline void WriteVectorFile(const std::filesystem::path& file, const char* driver, const FixtureLayer& layer) {
    std::filesystem::remove(file);
    detail::DatasetPointer dataset(detail::Driver(driver).Create(file.string().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        throw std::runtime_error("cannot create " + file.string());
    }
    detail::WriteLayer(*dataset, layer, nullptr);
}

/// The layout of a GeoTIFF to write.
struct GeoTiffLayout {
    int bands = 1;
    int width = 4;
    int height = 3;
    GDALDataType type = GDT_Float32;
    std::optional<double> no_data;
    std::array<double, 6> transform{0.0, 1.0, 0.0, 0.0, 0.0, -1.0}; ///< GDAL's geotransform
    int epsg = 4326;                                                ///< 0 writes no spatial reference
};

/// Writes a GeoTIFF whose cell (x, y) of band b (1-based) holds value(b, x, y).
inline void WriteGeoTiff(const std::filesystem::path& file, const GeoTiffLayout& layout,
                         const std::function<double(int band, int x, int y)>& value) {
    detail::DatasetPointer dataset(detail::Driver("GTiff").Create(file.string().c_str(), layout.width, layout.height,
                                                                  layout.bands, layout.type, nullptr));
    if (!dataset) {
        throw std::runtime_error("cannot create " + file.string());
    }
    std::array<double, 6> transform = layout.transform;
    dataset->SetGeoTransform(transform.data());
    if (layout.epsg != 0) {
        OGRSpatialReference srs;
        srs.importFromEPSG(layout.epsg);
        dataset->SetSpatialRef(&srs);
    }
    std::vector<double> cells(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height));
    for (int band = 1; band <= layout.bands; ++band) {
        GDALRasterBand* raster_band = dataset->GetRasterBand(band);
        if (layout.no_data) {
            raster_band->SetNoDataValue(*layout.no_data);
        }
        for (int y = 0; y < layout.height; ++y) {
            for (int x = 0; x < layout.width; ++x) {
                cells[static_cast<size_t>(y) * layout.width + x] = value(band, x, y);
            }
        }
        if (raster_band->RasterIO(GF_Write, 0, 0, layout.width, layout.height, cells.data(), layout.width,
                                  layout.height, GDT_Float64, 0, 0, nullptr) != CE_None) {
            throw std::runtime_error("cannot write band " + std::to_string(band) + " of " + file.string());
        }
    }
}

} // namespace chronova::testing
