#include "apps/chronova/data_report.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "gis/data/field.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "layerconfig/field_detection.h"
#include "platform/text.h"

namespace chronova::cli {

namespace {

std::string FieldTypeName(gis::FieldType type) {
    switch (type) {
    case gis::FieldType::SmallInteger:
        return "small integer";
    case gis::FieldType::Integer:
        return "integer";
    case gis::FieldType::Single:
        return "single";
    case gis::FieldType::Double:
        return "double";
    case gis::FieldType::String:
        return "text";
    case gis::FieldType::Date:
        return "date";
    case gis::FieldType::OID:
        return "object id";
    case gis::FieldType::Geometry:
        return "geometry";
    case gis::FieldType::Blob:
        return "blob";
    case gis::FieldType::Raster:
        return "raster";
    case gis::FieldType::GUID:
    case gis::FieldType::GlobalID:
        return "guid";
    case gis::FieldType::XML:
        return "xml";
    }
    return "other";
}

std::string GeometryName(gis::GeometryType type) {
    switch (type) {
    case gis::GeometryType::Point:
        return "point";
    case gis::GeometryType::Multipoint:
        return "multipoint";
    case gis::GeometryType::Polyline:
        return "polyline";
    case gis::GeometryType::Polygon:
        return "polygon";
    default:
        return "other";
    }
}

// A field could hold the layer's times when it is a date field, or when its name is one of the time field names
// the layer dialog proposes from, or occurs in them (the dialog's own test for a time-like field).
bool TimeCandidate(const gis::Field& field) {
    if (field.Type == gis::FieldType::Date) {
        return true;
    }
    if (field.Type != gis::FieldType::String && field.Type != gis::FieldType::Integer &&
        field.Type != gis::FieldType::Double) {
        return false;
    }
    return layerconfig::kTimeFieldNames.find(platform::LCase(field.Name)) != std::string_view::npos;
}

// The start of a file, enough to tell a project from data without reading a large file whole.
std::string Beginning(const std::string& file) {
    constexpr size_t kLength = size_t{64} * 1024;
    std::ifstream in(file, std::ios::binary);
    std::string text(kLength, '\0');
    in.read(text.data(), static_cast<std::streamsize>(kLength));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

} // namespace

bool IsProjectFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    const std::string beginning = Beginning(path);
    if (beginning.find("\"chronova_project\"") != std::string::npos) {
        return true;
    }
    if (platform::LCase(std::filesystem::path(path).extension().string()) != ".json") {
        return false;
    }
    // A .json file is a project, broken or not, unless it is GeoJSON.
    const bool geojson = beginning.find("\"type\"") != std::string::npos &&
                         (beginning.find("\"FeatureCollection\"") != std::string::npos ||
                          beginning.find("\"Feature\"") != std::string::npos);
    return !geojson;
}

std::vector<DataLayerReport> BuildDataReport(const std::vector<FoundLayer>& layers) {
    std::vector<DataLayerReport> reports;
    for (const FoundLayer& layer : layers) {
        DataLayerReport report;
        report.name = layer.Name.empty() ? layer.Layer->Name() : layer.Name;
        if (const auto feature = std::dynamic_pointer_cast<gis::FeatureLayer>(layer.Layer);
            feature && feature->FeatureClass()) {
            const auto& data = feature->FeatureClass();
            report.dataset = layer.Entry.Source.Dataset;
            report.geometry = GeometryName(data->ShapeType());
            report.features = data->FeatureCount();
            for (const gis::Field& field : data->Fields()) {
                if (field.Type != gis::FieldType::Geometry) {
                    report.fields.push_back({field.Name, FieldTypeName(field.Type), TimeCandidate(field)});
                }
            }
        } else if (const auto raster = std::dynamic_pointer_cast<gis::RasterLayer>(layer.Layer)) {
            report.dataset = layer.Entry.Source.Path.filename().string();
            report.geometry = "raster";
            report.features = raster->BandCount();
        }
        const layerconfig::LayerProposal proposal =
            layer.Proposal ? *layer.Proposal : layerconfig::ProposeLayer(layer.Layer);
        report.time_layer = proposal.TimeLayer;
        report.time_field = proposal.TimeField;
        report.reason = proposal.Reason;
        reports.push_back(std::move(report));
    }
    return reports;
}

std::string ToText(const std::string& path, const std::vector<DataLayerReport>& layers) {
    std::ostringstream text;
    text << path << " is data, not a project: " << layers.size() << (layers.size() == 1 ? " layer" : " layers")
         << ", set up as 'chronova init' would\n";
    for (const DataLayerReport& layer : layers) {
        const std::string unit = layer.geometry == "raster" ? " band" : " feature";
        text << '\n'
             << layer.name << " (" << layer.geometry << ", " << layer.features << unit
             << (layer.features == 1 ? "" : "s") << ")\n";
        for (const DataFieldReport& field : layer.fields) {
            text << "  " << field.name << "  " << field.type << (field.time_candidate ? "  (time?)" : "") << '\n';
        }
        text << "  " << layer.reason << '\n';
    }
    return text.str();
}

nlohmann::json ToJson(const std::string& path, const std::vector<DataLayerReport>& layers) {
    nlohmann::json json;
    json["data"] = path;
    json["layers"] = nlohmann::json::array();
    for (const DataLayerReport& layer : layers) {
        nlohmann::json item;
        item["name"] = layer.name;
        item["dataset"] = layer.dataset;
        item["geometry"] = layer.geometry;
        item[layer.geometry == "raster" ? "bands" : "features"] = layer.features;
        item["fields"] = nlohmann::json::array();
        nlohmann::json candidates = nlohmann::json::array();
        for (const DataFieldReport& field : layer.fields) {
            item["fields"].push_back({{"name", field.name}, {"type", field.type}});
            if (field.time_candidate) {
                candidates.push_back(field.name);
            }
        }
        item["time_field_candidates"] = candidates;
        item["time_layer"] = layer.time_layer;
        item["time_field"] = layer.time_field;
        item["proposal"] = layer.reason;
        json["layers"].push_back(item);
    }
    return json;
}

} // namespace chronova::cli
