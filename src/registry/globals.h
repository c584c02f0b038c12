#pragma once

#include <memory>

#include "host/error_handling.h"
#include "records/process_state.h"

namespace chronova {

class ChronovaData;

namespace gis {
class Application;
} // namespace gis

namespace platform::ui {
class EventLoop;
} // namespace platform::ui

/// The one registry and automation object; its owner creates and releases it.
extern std::shared_ptr<ChronovaData> g_pChronovaData;

/// Puts every process-wide value back to its start-up state: the registry first (releasing it empties g_Layers and
/// unloads its form), then the records' state and the owner window of error messages. Tests call it between cases.
void ResetGlobals();

/// Attaches the host application (g_pApp) and creates the registry for it (g_pChronovaData), as the host does when
/// it loads the extension. The loop runs the slider's timers and must outlive the registry.
ChronovaData& StartRegistry(std::shared_ptr<gis::Application> host, platform::ui::EventLoop& loop);

} // namespace chronova
