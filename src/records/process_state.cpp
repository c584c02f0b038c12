#include "records/process_state.h"

#include "gis/map/application.h"
#include "records/layer_data_collection.h"

namespace chronova {

// Deliberately never destroyed: see the header.
std::shared_ptr<gis::Application>& g_pApp = *new std::shared_ptr<gis::Application>;
std::shared_ptr<LayerDataCollection>& g_Layers = *new std::shared_ptr<LayerDataCollection>;
int16_t g_iDisplayType = 0;
bool g_bFillGaps = false;
bool g_bUpdateTOC = true;
bool g_bLoopAnimation = false;
bool g_bFastRefresh = false;
int32_t g_lDisplayInterval = 0;
std::vector<platform::Date>& g_dteUniqueTimes = *new std::vector<platform::Date>;

void ResetProcessState() {
    g_pApp.reset();
    g_Layers.reset();
    g_iDisplayType = 0;
    g_bFillGaps = false;
    g_bUpdateTOC = true;
    g_bLoopAnimation = false;
    g_bFastRefresh = false;
    g_lDisplayInterval = 0;
    g_dteUniqueTimes.clear();
}

} // namespace chronova
