#include "records/process_state.h"

#include "gis/map/application.h"
#include "records/layer_data_collection.h"
#include "records/time_codes.h"

namespace chronova {
namespace {

// Storage whose object is built at compile time and never destroyed: constant initialization leaves no order in
// which other files' start-up code could see it unbuilt, and no destructor runs at exit (see the header).
template <class T>
union NeverDestroyed {
    T value;
    constexpr NeverDestroyed() : value() {}
    constexpr ~NeverDestroyed() {}
};

constinit NeverDestroyed<std::shared_ptr<gis::Application>> app;
constinit NeverDestroyed<std::shared_ptr<LayerDataCollection>> layers;
constinit NeverDestroyed<std::vector<platform::Date>> unique_times;
// Texts are built at start-up (not every compiler makes a string at compile time); nothing reads them before main.
NeverDestroyed<std::string> label_format;
NeverDestroyed<std::string> display_time_zone;

} // namespace

std::shared_ptr<gis::Application>& g_pApp = app.value;
std::shared_ptr<LayerDataCollection>& g_Layers = layers.value;
int16_t g_iDisplayType = kDisplayInterval;
bool g_bFillGaps = false;
bool g_bUpdateTOC = true;
bool g_bLoopAnimation = false;
bool g_bFastRefresh = false;
int32_t g_lDisplayInterval = 0;
std::vector<platform::Date>& g_dteUniqueTimes = unique_times.value;
std::string& g_sLabelFormat = label_format.value;
std::string& g_sDisplayTimeZone = display_time_zone.value;

void ResetProcessState() {
    g_pApp.reset();
    g_Layers.reset();
    g_iDisplayType = kDisplayInterval;
    g_bFillGaps = false;
    g_bUpdateTOC = true;
    g_bLoopAnimation = false;
    g_bFastRefresh = false;
    g_lDisplayInterval = 0;
    g_dteUniqueTimes.clear();
    g_sLabelFormat.clear();
    g_sDisplayTimeZone.clear();
}

} // namespace chronova
