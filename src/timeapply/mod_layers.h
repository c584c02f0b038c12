#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ole_date.h"
#include "platform/variant.h"

namespace chronova {
class LayerData;
namespace gis {
class FeatureLayer;
class ILayer;
class ITable;
class IWorkspace;
} // namespace gis
} // namespace chronova

// Applying the current time to one time layer: its definition expression, its time join, its raster band
// or its custom layer's step, its marker renderer and its name in the table of contents.
namespace chronova::modLayers {

/// Applies a current time to a layer. False when the layer has no step at that time (the caller hides it)
/// or on an error, which is reported to the caller. A layer whose window is the slider's interval shows the
/// window up to slider_next, the slider's next time.
bool UpdateLayer(LayerData& pLayerData, platform::Date dteCurrentTime,
                 std::optional<platform::Date> slider_next = std::nullopt);
/// Restricts a feature layer to one step through its definition expression, or tells a custom layer its step.
void SelectLayerFeaturesByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep);
/// WMS layers are not filtered; the step is accepted and ignored.
void SelectWMSLayerByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep);
/// Makes a layer draw nothing by filtering it to a value that no step has.
void HideLayer(LayerData& pLayerData);
/// Lifts the time filter or join and puts back the simple renderer.
void UnselectLayer(LayerData& pLayerData);
/// Clears the definition expression, or puts a custom layer back on its first step.
void UnselectLayerFeatures(LayerData& pLayerData);

/// Shows the raster band of a step, or makes the raster invisible when no band has that step.
void SelectRasterBandByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep);

/// Filter-and-join for one step of a layer whose time lies in a table of its workspace.
void JoinLayerFeaturesByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep);
/// Removes the layer's time join.
void UnjoinLayerFeatures(LayerData& pLayerData);
/// Replaces the join of a table named sTableName on the layer with an inner join of pTable on
/// sPrimaryKey (the layer's key) = sForeignKey (the table's key). pWorkspace is not used.
bool JoinTableToLayer(const std::shared_ptr<gis::IWorkspace>& pWorkspace,
                      const std::shared_ptr<gis::FeatureLayer>& pLayer, const std::string& sPrimaryKey,
                      const std::string& sTableName, const std::shared_ptr<gis::ITable>& pTable,
                      const std::string& sForeignKey, const std::string& sJoinName);
/// Removes the join whose joined table is named sName (letter case counts), keeping the joins below it.
/// True whenever the layer has a display table, also when there was nothing to remove.
bool RemoveJoin(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sName);

/// The identity path of a layer: upper-case workspace path "\" dataset name (plus "." extension), or a
/// custom layer's own path; "" for anything else.
std::string FeatureLayerFileName(const std::shared_ptr<gis::ILayer>& pLayer, std::string_view sExtension);
/// The path without the file name's extension; unchanged when the file name has none.
std::string StripExtension(std::string_view sPath);
/// Replaces (or adds) the extension of sPath in place.
void ChangeExtension(std::string& sPath, std::string_view sExtension);

/// Writes one line to the debug output: the items' texts, two blanks apart, at most 1024 characters.
void DebugOutItems(const std::vector<platform::Variant>& items);
template <typename... Items>
void DebugOut(const Items&... items) {
    DebugOutItems({platform::Variant(items)...});
}

} // namespace chronova::modLayers
