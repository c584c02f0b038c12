#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace chronova {

class LayerData;

namespace gis {
class ILayer;
} // namespace gis

// How the configuration dialog recognises what a map layer is and whether it can carry time.
namespace layerconfig {

/// The host's data source type texts that tell shapefiles and geodatabase feature classes apart.
inline constexpr std::string_view kShapefileSourceType = "Shapefile Feature Class";
inline constexpr std::string_view kGeodatabaseSourceType = "Personal Geodatabase Feature Class";

/// What a layer is in the dialog's tree, tested in this order.
enum class CandidateKind {
    Group,       ///< holds other layers (a web map service layer too); a node without a mark
    Custom,      ///< a custom time layer of another component
    Shapefile,   ///< a feature layer on a shapefile
    Geodatabase, ///< a feature layer on a feature class of a single-file geodatabase
    Raster,      ///< a raster layer, timed by its bands
    None,        ///< cannot carry time: no node
};

/// The tree's classification of a layer.
CandidateKind ClassifyCandidate(const gis::ILayer& layer);

/// Whether a leaf of the kind starts marked as unconfigured: every candidate leaf except a raster, whose panel
/// always holds a complete setting.
bool StartsUnconfigured(CandidateKind kind) noexcept;

/// Whether the layer is a web map service layer (it is a group in the tree, but a time layer of its own kind).
bool IsWmsLayer(const gis::ILayer& layer);

/// Sets a fresh record's kind flags for the layer, testing a web map service layer first, then a feature layer,
/// a custom time layer and a raster; a custom layer's record also takes the layer's ShowPrevious. For a feature
/// layer IncludesTimeSteps tells whether a field of its own looks like a time field.
void ClassifyRecord(LayerData& record, const std::shared_ptr<gis::ILayer>& layer);

/// The 32-bit identity number of a layer object, stable while the map holds it; its decimal text keys the
/// dialog's records and, after "L", the tree's nodes.
int32_t LayerIdentity(const gis::ILayer& layer) noexcept;
std::string LayerIdentityText(const gis::ILayer& layer);
/// "L" followed by the identity text.
std::string LayerNodeKey(const gis::ILayer& layer);

} // namespace layerconfig
} // namespace chronova
