#include "timeapply/time_lookup.h"

#include "records/process_state.h"
#include "timeapply/arc_objects.h"

namespace chronova {

bool GetCurrentTimeByLayer(LayerData* pLayerData, platform::Date dteCurrentTime, platform::Variant& dteTime) {
    if (pLayerData == nullptr) {
        return false;
    }
    if (!g_bFillGaps) {
        dteTime = dteCurrentTime;
        return true;
    }
    return ArcObjects::RetrieveTimeStep(pLayerData, dteCurrentTime, dteTime);
}

} // namespace chronova
