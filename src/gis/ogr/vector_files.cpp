#include "gis/ogr/vector_files.h"

#include <array>
#include <memory>
#include <sstream>
#include <string_view>
#include <utility>

#include <gdal.h>
#include <ogr_api.h>

#include "gis/ogr/gdal_environment.h"
#include "gis/ogr/gdal_handles.h"
#include "platform/text.h"

namespace chronova::gis {

namespace {

// X and Y column names, in the order they are preferred when a file has several pairs.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kCoordinateColumns{{
    {"lon", "lat"},
    {"longitude", "latitude"},
    {"lng", "lat"},
    {"x", "y"},
    {"easting", "northing"},
}};

// The field's name as the file spells it, "" when the layer has none of that name (letter case ignored).
std::string FieldNamed(OGRFeatureDefnH definition, std::string_view name) {
    for (int i = 0; i < OGR_FD_GetFieldCount(definition); ++i) {
        const char* field = OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(definition, i));
        if (platform::IEquals(field, name)) {
            return field;
        }
    }
    return {};
}

// Whether a text is a geometry in WKT: "POINT (1 2)" is, "12.5" and "north" are not.
bool IsWkt(const char* text) {
    OGRGeometryH geometry = nullptr;
    char* cursor = const_cast<char*>(text);
    const bool parsed = OGR_G_CreateFromWkt(&cursor, nullptr, &geometry) == OGRERR_NONE && geometry != nullptr;
    OGR_G_DestroyGeometry(geometry);
    return parsed;
}

// The first text column whose value in the first row is WKT, "" when there is none.
std::string WktColumn(OGRLayerH layer) {
    OGR_L_ResetReading(layer);
    const FeatureHandle first(OGR_L_GetNextFeature(layer));
    if (!first) {
        return {};
    }
    OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
    for (int i = 0; i < OGR_FD_GetFieldCount(definition); ++i) {
        OGRFieldDefnH field = OGR_FD_GetFieldDefn(definition, i);
        if (OGR_Fld_GetType(field) == OFTString && OGR_F_IsFieldSetAndNotNull(first.get(), i) &&
            IsWkt(OGR_F_GetFieldAsString(first.get(), i))) {
            return OGR_Fld_GetNameRef(field);
        }
    }
    return {};
}

} // namespace

const std::set<std::string>& VectorFileExtensions() {
    static const std::set<std::string> extensions = [] {
        RegisterGdalDrivers();
        std::set<std::string> found;
        for (int i = 0; i < GDALGetDriverCount(); ++i) {
            GDALDriverH driver = GDALGetDriver(i);
            const char* extensions_text = GDALGetMetadataItem(driver, GDAL_DMD_EXTENSIONS, nullptr);
            if (GDALGetMetadataItem(driver, GDAL_DCAP_VECTOR, nullptr) == nullptr || extensions_text == nullptr) {
                continue;
            }
            std::istringstream words(extensions_text);
            for (std::string extension; words >> extension;) {
                found.insert("." + platform::LCase(extension));
            }
        }
        return found;
    }();
    return extensions;
}

std::optional<CsvPointSource> DetectCsvPoints(const std::string& path) {
    RegisterGdalDrivers();
    GdalErrorTrap trap;
    const char* const drivers[] = {"CSV", nullptr};
    const DatasetHandle dataset(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, nullptr, nullptr));
    if (!dataset || GDALDatasetGetLayerCount(dataset.get()) != 1) {
        return std::nullopt;
    }
    OGRLayerH layer = GDALDatasetGetLayer(dataset.get(), 0);
    OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
    CsvPointSource source;
    for (const auto& [x_name, y_name] : kCoordinateColumns) {
        std::string x = FieldNamed(definition, x_name);
        std::string y = FieldNamed(definition, y_name);
        if (!x.empty() && !y.empty()) {
            source.OpenOptions = {"X_POSSIBLE_NAMES=" + x, "Y_POSSIBLE_NAMES=" + y};
            source.Columns = {std::move(x), std::move(y)};
            break;
        }
    }
    if (source.Columns.empty()) {
        std::string wkt = WktColumn(layer);
        if (wkt.empty()) {
            return std::nullopt;
        }
        source.OpenOptions = {"GEOM_POSSIBLE_NAMES=" + wkt};
        source.Columns = {std::move(wkt)};
    }
    // Without it every column is text, and a time column could not be compared as times.
    source.OpenOptions.emplace_back("AUTODETECT_TYPE=YES");
    return source;
}

} // namespace chronova::gis
