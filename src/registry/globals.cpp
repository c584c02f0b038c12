#include "registry/globals.h"

#include "gis/map/application.h"
#include "registry/chronova_data.h"
#include "registry/layer_data_collection.h"

namespace chronova {

std::shared_ptr<gis::Application> g_pApp;
std::shared_ptr<LayerDataCollection> g_Layers;
int32_t g_hWndOwner = 0;
int16_t g_iDisplayType = 0;
bool g_bFillGaps = false;
bool g_bUpdateTOC = true;
bool g_bLoopAnimation = false;
bool g_bFastRefresh = false;
int32_t g_lDisplayInterval = 0;
std::vector<platform::Date> g_dteUniqueTimes;
// Defined last so that, at exit, the registry is destroyed while the state it uses still exists.
std::shared_ptr<ChronovaData> g_pChronovaData;

void ResetGlobals() {
    // The registry first: releasing it empties g_Layers and unloads its form.
    g_pChronovaData.reset();
    g_pApp.reset();
    g_Layers.reset();
    g_hWndOwner = 0;
    g_iDisplayType = 0;
    g_bFillGaps = false;
    g_bUpdateTOC = true;
    g_bLoopAnimation = false;
    g_bFastRefresh = false;
    g_lDisplayInterval = 0;
    g_dteUniqueTimes.clear();
}

} // namespace chronova
