#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "layerconfig/layer_proposal.h"
#include "project/project_file.h"

namespace chronova::gis {
class ILayer;
} // namespace chronova::gis

namespace chronova::cli {

/// A map layer found in the data, with the project entry that opens it again.
struct FoundLayer {
    std::shared_ptr<gis::ILayer> Layer;
    project::LayerEntry Entry;
    /// The name the layer is listed under before it is made unique; the layer's own name when empty.
    std::string Name;
    /// How the data was read, when it needed saying: appended to the layer's line.
    std::string Note;
    /// The time setting proposed, when it was already needed to choose the layer.
    std::optional<layerconfig::LayerProposal> Proposal;
};

/// The layers a path on the command line stands for: the vector data of a folder (its shapefiles and the files
/// GDAL's vector drivers read, besides project_file), the shapefile a .shp file names, the feature layers of any
/// other file GDAL reads as vector data, or the raster any other file is. Lines about what was left out go to out.
/// Raises a UsageError for a path that does not exist or holds no map layer, an AutomationError naming the path
/// when GDAL cannot read it.
std::vector<FoundLayer> LayersOf(const std::string& given, const std::filesystem::path& project_file,
                                 std::ostream& out);

/// The time block of a proposal; a raster's is empty, as the side file beside it gives the band times.
project::TimeSettings TimeSettingsOf(const layerconfig::LayerProposal& proposal);

} // namespace chronova::cli
