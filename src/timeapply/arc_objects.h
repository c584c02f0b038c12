#pragma once

#include <memory>
#include <string>

#include "platform/ole_date.h"
#include "platform/variant.h"

namespace chronova {
class LayerData;
namespace gis {
class FeatureLayer;
class ITable;
class IWorkspace;
} // namespace gis
} // namespace chronova

// Host-facing procedures shared by the registry and the time filter: time step discovery, value ranges,
// query tables and the vector renderers.
namespace chronova::ArcObjects {

/// Finds a layer's time steps and sets its TimeFieldType, StartTime, FinishTime and Interval. False when
/// the layer offers no steps; errors are reported to the caller.
bool RetrieveTimeInfo(LayerData* pLayerData);
/// The layer's latest step at or before dteTime; False before its first step or after its last (unless a
/// custom layer shows previous steps).
bool RetrieveTimeStep(LayerData* pLayerData, platform::Date dteTime, platform::Variant& vTimeStep);
/// Sets MinRange and MaxRange to the range of a numeric field (0 and 1 when that cannot be done).
void LoadRangeMinMax(LayerData* pLayerData, const std::string& sField);

/// A table of the rows of sTables that sWhere selects, with the fields sSubFields, named sName and kept
/// locally. Null when it cannot be made (the error is reported to the caller).
std::shared_ptr<gis::ITable> Create_SQLTable(const std::shared_ptr<gis::IWorkspace>& pWorkspace,
                                             const std::string& sSubFields, const std::string& sTables,
                                             const std::string& sWhere, const std::string& sPrimaryKey,
                                             const std::string& sName);

/// Draws a point layer's features as character markers sized by speed in equal-interval classes and rotated
/// by direction (degrees clockwise from north). Only a layer drawn with a simple renderer is changed.
void ApplyGraduatedCharacterSymbolRenderer(const std::shared_ptr<gis::FeatureLayer>& pFeatureLayer,
                                           const std::string& sFontName, int16_t iCharacterIndex,
                                           const std::string& sSpeedField, const std::string& sDirectionField,
                                           int32_t nClasses, double dMinValue, double dMaxValue, double dMinSize,
                                           double dMaxSize);
/// Puts a simple renderer back on a layer, in the colour of the first class of the renderer it had.
void ApplySimpleRenderer(const std::shared_ptr<gis::FeatureLayer>& pFeatureLayer);

} // namespace chronova::ArcObjects
