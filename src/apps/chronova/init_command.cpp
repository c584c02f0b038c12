// chronova init: a project for the user's own data, with each layer set up as the layer configuration dialog would
// propose it, and one line per layer saying what was chosen and why.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "apps/chronova/cli.h"
#include "apps/chronova/commands.h"
#include "apps/chronova/data_layers.h"
#include "gis/data/table.h"
#include "gis/layers/open_layers.h"
#include "gis/ogr/coordinate_projection.h"
#include "gis/ogr/ogr_workspace.h"
#include "gis/ogr/vector_files.h"
#include "layerconfig/layer_proposal.h"
#include "platform/automation_error.h"
#include "platform/text.h"
#include "project/project_file.h"
#include "project/project_writer.h"

namespace chronova::cli {

namespace {

namespace fs = std::filesystem;

// Points above lines above areas above rasters, so that no layer hides another; otherwise the order given.
int DrawingTier(const gis::ILayer& layer) {
    const auto* feature = dynamic_cast<const gis::FeatureLayer*>(&layer);
    if (feature == nullptr || !feature->FeatureClass()) {
        return 3;
    }
    switch (feature->FeatureClass()->ShapeType()) {
    case gis::GeometryType::Point:
    case gis::GeometryType::Multipoint:
        return 0;
    case gis::GeometryType::Polyline:
        return 1;
    default:
        return 2;
    }
}

// "EPSG:n" for a spatial reference whose WKT ends in that code and means the same, which reads better in a
// project file; the WKT otherwise.
std::string SpatialReferenceText(const std::string& wkt) {
    static const std::regex kAuthority(R"re((?:AUTHORITY\["EPSG","(\d+)"\]|ID\["EPSG",(\d+)\])\]\s*$)re");
    std::smatch match;
    if (std::regex_search(wkt, match, kAuthority)) {
        std::string code = "EPSG:" + (match[1].matched ? match[1].str() : match[2].str());
        if (gis::SameSpatialReference(wkt, code)) {
            return code;
        }
    }
    return wkt;
}

// Layer names must be unique in a project; a repeated one gets " (2)", " (3)"...
// The map's name, which frames show as their title: the first data's file or folder name as words
// ("ship_tracks.gpkg" gives "Ship tracks").
std::string MapTitle(const std::string& data) {
    fs::path path(data);
    if (!path.has_filename()) {
        path = path.parent_path();
    }
    std::string name = path.filename().string();
    name = name.substr(0, name.find('.'));
    std::replace(name.begin(), name.end(), '_', ' ');
    if (name.empty()) {
        return project::MapSettings{}.Name;
    }
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::string UniqueName(const std::string& name, std::set<std::string>& taken) {
    std::string unique = name;
    for (int n = 2; !taken.insert(unique).second; ++n) {
        unique = name + " (" + std::to_string(n) + ")";
    }
    return unique;
}

} // namespace

int RunInit(const InitOptions& options, Streams streams) {
    const fs::path out = fs::absolute(options.out).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(out.parent_path(), error)) {
        throw UsageError("the folder of " + options.out + " does not exist");
    }
    if (fs::exists(out, error) && !options.force) {
        throw UsageError(options.out + " already exists; add --force to replace it");
    }

    std::vector<FoundLayer> found;
    for (const std::string& given : options.data) {
        std::vector<FoundLayer> layers = LayersOf(given, out, streams.out);
        std::move(layers.begin(), layers.end(), std::back_inserter(found));
    }

    std::set<std::string> taken;
    int time_layers = 0;
    for (FoundLayer& layer : found) {
        layer.Entry.Name = UniqueName(layer.Name.empty() ? layer.Layer->Name() : layer.Name, taken);
        const layerconfig::LayerProposal proposal =
            layer.Proposal ? *layer.Proposal : layerconfig::ProposeLayer(layer.Layer);
        streams.out << layer.Entry.Name << ": " << proposal.Reason << layer.Note << '\n';
        if (proposal.TimeLayer) {
            layer.Entry.Time = TimeSettingsOf(proposal);
            ++time_layers;
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const FoundLayer& a, const FoundLayer& b) {
        return DrawingTier(*a.Layer) < DrawingTier(*b.Layer);
    });

    project::Project project;
    project.File = out;
    project.Map.Name = MapTitle(options.data.front());
    for (FoundLayer& layer : found) {
        if (project.Map.SpatialReference.empty()) {
            project.Map.SpatialReference = SpatialReferenceText(layer.Layer->SpatialReference());
        }
        project.Layers.push_back(std::move(layer.Entry));
    }
    project::SaveProject(project, out, options.force ? platform::ExistingFile::Replace : platform::ExistingFile::Keep);

    streams.out << "Wrote " << options.out << ": " << project.Layers.size()
                << (project.Layers.size() == 1 ? " layer, " : " layers, ");
    if (time_layers == 0) {
        streams.out << "but no time layer was found, so there is nothing to step through\n";
    } else {
        streams.out << time_layers << (time_layers == 1 ? " time layer\n" : " time layers\n");
    }
    return kExitSuccess;
}

} // namespace chronova::cli
