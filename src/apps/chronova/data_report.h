#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "apps/chronova/data_layers.h"

namespace chronova::cli {

/// One field of a data layer: its name, its type in words and whether it could hold the layer's times.
struct DataFieldReport {
    std::string name;
    std::string type;
    bool time_candidate = false;
};

/// A layer of a data file as chronova init sees it: what it is, its fields, and the time setting proposed.
struct DataLayerReport {
    std::string name;     ///< the name a project would give it
    std::string dataset;  ///< the data set in its workspace; the file itself for a raster
    std::string geometry; ///< point, polyline, polygon, multipoint, raster...
    int64_t features = 0; ///< rows of a feature layer, bands of a raster
    std::vector<DataFieldReport> fields;
    bool time_layer = false;
    std::string time_field; ///< the proposed one; empty for none
    std::string reason;     ///< the proposal in words, as chronova init prints it
};

/// Whether info and steps should read a path as a project file: a file that names "chronova_project" near its
/// start, or a .json file that is not GeoJSON (a broken project is still reported as one). Folders and other
/// files are data.
bool IsProjectFile(const std::string& path);

/// The reports of the layers found in data, in the order found.
std::vector<DataLayerReport> BuildDataReport(const std::vector<FoundLayer>& layers);
std::string ToText(const std::string& path, const std::vector<DataLayerReport>& layers);
nlohmann::json ToJson(const std::string& path, const std::vector<DataLayerReport>& layers);

} // namespace chronova::cli
