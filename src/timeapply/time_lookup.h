#pragma once

#include "platform/ole_date.h"
#include "platform/variant.h"

namespace chronova {

class LayerData;

/// The step a layer shows at dteCurrentTime: with fill-gaps off the time itself (always found), with
/// fill-gaps on the layer's latest step at or before it. False when pLayerData is null or no step applies.
bool GetCurrentTimeByLayer(LayerData* pLayerData, platform::Date dteCurrentTime, platform::Variant& dteTime);

} // namespace chronova
