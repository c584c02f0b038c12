// The map layers of data files and folders, as chronova init proposes them and info and steps describe them.

#include "apps/chronova/data_layers.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <system_error>

#include "apps/chronova/commands.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/open_layers.h"
#include "gis/ogr/ogr_workspace.h"
#include "gis/ogr/vector_files.h"
#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::cli {

namespace {

namespace fs = std::filesystem;

std::string Extension(const fs::path& path) {
    return platform::LCase(path.extension().string());
}

std::string Joined(const std::vector<std::string>& items, std::string_view separator) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : std::string(separator)) + item;
    }
    return text;
}

FoundLayer FeatureLayer(const fs::path& workspace, const std::string& dataset,
                        const std::vector<std::string>& open_options = {}) {
    FoundLayer found{gis::OpenFeatureLayer(workspace.string(), dataset, {}, open_options), {}, {}, {}, {}};
    found.Entry.Kind = project::LayerKind::Feature;
    found.Entry.Source.Workspace = workspace;
    found.Entry.Source.Dataset = dataset;
    found.Entry.Source.OpenOptions = open_options;
    return found;
}

// Every shapefile of a folder, by name.
std::vector<FoundLayer> ShapefileLayers(const fs::path& folder) {
    std::vector<FoundLayer> found;
    for (const std::string& name : gis::OpenWorkspace(folder.string())->DatasetNames(gis::DatasetType::FeatureClass)) {
        found.push_back(FeatureLayer(folder, name));
    }
    return found;
}

// A file that holds several layers (a GPX file's waypoints, routes, tracks...) often holds empty ones and ones
// without times; only its layers with features are proposed, and of those only the time layers when there are
// any. Layers are named after the file and the layer, as "track_points" alone says little. The line returned
// says what was left out.
std::string ChooseLayersOfFile(std::vector<FoundLayer>& layers, const fs::path& file) {
    std::vector<std::string> empty;
    std::vector<std::string> untimed;
    std::erase_if(layers, [&](const FoundLayer& layer) {
        const auto& feature_class = std::dynamic_pointer_cast<gis::FeatureLayer>(layer.Layer)->FeatureClass();
        if (feature_class->FeatureCount() == 0) {
            empty.push_back(layer.Entry.Source.Dataset);
            return true;
        }
        return false;
    });
    for (FoundLayer& layer : layers) {
        layer.Proposal = layerconfig::ProposeLayer(layer.Layer);
        layer.Name = file.stem().string() + " " + layer.Layer->Name();
    }
    if (std::any_of(layers.begin(), layers.end(), [](const FoundLayer& layer) { return layer.Proposal->TimeLayer; })) {
        std::erase_if(layers, [&](const FoundLayer& layer) {
            if (!layer.Proposal->TimeLayer) {
                untimed.push_back(layer.Entry.Source.Dataset);
            }
            return !layer.Proposal->TimeLayer;
        });
    }
    std::string left_out;
    if (!untimed.empty()) {
        left_out = Joined(untimed, ", ") + " (no time field)";
    }
    if (!empty.empty()) {
        left_out += (left_out.empty() ? "" : "; ") + Joined(empty, ", ") + " (no features)";
    }
    return left_out.empty() ? "" : file.filename().string() + ": left out " + left_out + "\n";
}

// The feature layers of a vector file other than a shapefile: every layer of a GeoPackage, the chosen layers of
// another file of several, and a CSV's rows as points when it has coordinate or WKT columns. Raises when GDAL
// cannot open the file as vector data; empty when it holds no layer with geometry.
std::vector<FoundLayer> VectorFileLayers(const fs::path& file, std::ostream& out) {
    std::vector<std::string> open_options;
    std::string note;
    if (const std::optional<gis::CsvPointSource> csv = gis::DetectCsvPoints(file.string())) {
        open_options = csv->OpenOptions;
        const std::string from = csv->Columns.size() == 2 ? "points from " + Joined(csv->Columns, ", ")
                                                          : "shapes from the WKT column " + csv->Columns.front();
        note = "; read as " + from + " with the column types detected (open options " + Joined(open_options, " ") + ")";
    }
    std::vector<FoundLayer> found;
    for (const std::string& name :
         gis::OpenWorkspace(file.string(), open_options)->DatasetNames(gis::DatasetType::FeatureClass)) {
        found.push_back(FeatureLayer(file, name, open_options));
        found.back().Note = note;
    }
    if (found.size() > 1 && Extension(file) != ".gpkg") {
        out << ChooseLayersOfFile(found, file);
    }
    return found;
}

// Why a vector file gave no map layer.
std::string WhyNoLayers(const fs::path& file) {
    return Extension(file) == ".csv" ? "no columns of coordinates (lon/lat, longitude/latitude, x/y, "
                                       "easting/northing) nor of WKT geometries"
                                     : "no layer with geometry";
}

// The vector data of a folder: its shapefiles, then every other file a GDAL vector driver declares the extension
// of and GDAL opens, by name. Files GDAL cannot open (a raster's step list, say) are passed over without a word;
// the shapefiles' own .dbf files are read with them, and so is the project being written.
std::vector<FoundLayer> FolderLayers(const fs::path& folder, const fs::path& project_file, std::ostream& out) {
    std::vector<FoundLayer> found = ShapefileLayers(folder);
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        std::error_code ignored;
        const std::string extension = Extension(item.path());
        if (item.is_regular_file(ignored) && extension != ".shp" && extension != ".dbf" &&
            item.path() != project_file && gis::VectorFileExtensions().contains(extension)) {
            files.push_back(item.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::vector<FoundLayer> layers;
        try {
            layers = VectorFileLayers(file, out);
        } catch (const platform::AutomationError&) {
            continue;
        }
        if (layers.empty()) {
            out << file.filename().string() << ": left out: " << WhyNoLayers(file) << '\n';
        }
        std::move(layers.begin(), layers.end(), std::back_inserter(found));
    }
    return found;
}

} // namespace

std::vector<FoundLayer> LayersOf(const std::string& given, const fs::path& project_file, std::ostream& out) {
    const fs::path path = fs::absolute(given).lexically_normal();
    std::error_code error;
    if (!fs::exists(path, error)) {
        throw UsageError(given + " does not exist");
    }
    try {
        if (fs::is_directory(path, error)) {
            std::vector<FoundLayer> found = FolderLayers(path, project_file, out);
            if (found.empty()) {
                throw UsageError(given + " holds no vector data GDAL reads");
            }
            return found;
        }
        if (Extension(path) == ".shp") {
            return {FeatureLayer(path.parent_path(), path.stem().string())};
        }
        bool is_vector_data = false;
        try {
            std::vector<FoundLayer> found = VectorFileLayers(path, out);
            if (!found.empty()) {
                return found;
            }
            is_vector_data = true;
        } catch (const platform::AutomationError&) {
            // Not vector data: a raster, or nothing GDAL reads, which the raster's error says.
        }
        try {
            FoundLayer found{gis::OpenRasterLayer(path.string()), {}, {}, {}, {}};
            found.Entry.Kind = project::LayerKind::Raster;
            found.Entry.Source.Path = path;
            return {found};
        } catch (const platform::AutomationError&) {
            if (is_vector_data) {
                throw UsageError(given + " holds no map layer: " + WhyNoLayers(path));
            }
            throw;
        }
    } catch (const platform::AutomationError& e) {
        platform::AutomationError named(e.Number(), e.Source(), given + ": " + e.Description());
        named.UserMessage(e.UserMessage());
        throw named;
    }
}

project::TimeSettings TimeSettingsOf(const layerconfig::LayerProposal& proposal) {
    project::TimeSettings time;
    time.Field = proposal.TimeField;
    if (proposal.Join) {
        const layerconfig::JoinProposal& join = *proposal.Join;
        time.Join = project::JoinSettings{join.Key, join.Table, join.TableKey, join.Name, join.PrimaryKey, {}};
    }
    if (!proposal.SpeedField.empty()) {
        time.Vectors = project::VectorSettings{};
        time.Vectors->Speed = proposal.SpeedField;
        time.Vectors->Direction = proposal.DirectionField;
    }
    return time;
}

} // namespace chronova::cli
