#pragma once

#include <string>

namespace chronova::gis {
class FeatureLayer;
} // namespace chronova::gis

namespace chronova {

/// The warning for a shapefile layer timed by a date field, "" when none is due. A .dbf date keeps no time of
/// day, so every feature of a day shows at the same step and their order within the day is lost. That is only
/// worth saying when it happens: when at least two features with a date share a day. Data of one feature a day
/// (daily readings, yearly polygons) is whole days by nature and gets no warning, nor does a text or number
/// time field. The text names the layer (when its name is not the file's), the file and the field:
/// "tracks.shp: field 'DATE' holds dates only (a .dbf keeps no time of day); steps are whole days (up to 12
/// features on one day)".
std::string ShapefileDateWarning(const gis::FeatureLayer& layer, const std::string& time_field);

} // namespace chronova
