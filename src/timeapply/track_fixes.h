#pragma once

#include "platform/ole_date.h"

namespace chronova {

class LayerData;

namespace modLayers {

/// Shows each entity of a track layer at its latest fix at or before the current time (no older than the
/// track's maximum age) and, when the track has a trail, the line through its fixes of the trail's length,
/// fading with age. Builds the layer's index of fixes on the first call. Raises 5 when the id field is
/// missing or the time field cannot be read as times (numbers and date-time groups).
void SelectTrackFixes(LayerData& record, platform::Date current);

/// Drops what a track layer showed: every feature shows again and the trails go.
void ClearTrackFixes(LayerData& record);

} // namespace modLayers
} // namespace chronova
