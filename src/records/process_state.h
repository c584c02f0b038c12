#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ole_date.h"

namespace chronova {

namespace gis {
class Application;
} // namespace gis

class LayerDataCollection;

// The system's process-wide state below the registry, in one place under the names the rest of the system uses.
// The objects behind the references are never destroyed, so code that runs during static destruction (a registry
// released at exit) still finds them.

/// The host application the system runs in; null until the host attaches it.
extern std::shared_ptr<gis::Application>& g_pApp;
/// Registered time layer records; replaced by every construction of the registry.
extern std::shared_ptr<LayerDataCollection>& g_Layers;
/// 0: the slider steps by a fixed interval; 1: one slider position per distinct time step.
extern int16_t g_iDisplayType;
/// A layer without a step at the current time shows its closest previous step.
extern bool g_bFillGaps;
/// With fill-gaps on, the table of contents shows the step actually displayed.
extern bool g_bUpdateTOC;
/// Playback continues from the other end instead of stopping.
extern bool g_bLoopAnimation;
/// The layer dialog's "Use Fast Refresh" setting.
extern bool g_bFastRefresh;
/// Interval in minutes exchanged between the slider and the display options dialog.
extern int32_t g_lDisplayInterval;
/// The strftime-like format of time labels (slider, frames, layer names); empty keeps the classic date texts.
extern std::string& g_sLabelFormat;
/// The zone times are shown in (an IANA name or an offset such as "+02:00"); empty shows values as stored,
/// unless a layer names a zone of its own, which makes UTC the display zone.
extern std::string& g_sDisplayTimeZone;
/// Every distinct time step of the time layers, for the unique-points display mode.
extern std::vector<platform::Date>& g_dteUniqueTimes;

/// Puts the values above back to their start-up state. The registry's ResetGlobals() calls it after releasing
/// the registry.
void ResetProcessState();

} // namespace chronova
