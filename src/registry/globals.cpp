#include "registry/globals.h"

#include <utility>

#include "registry/chronova_data.h"

namespace chronova {

// The state the registry uses at exit is never destroyed (records/process_state.h), so this may go in any order.
std::shared_ptr<ChronovaData> g_pChronovaData;

void ResetGlobals() {
    g_pChronovaData.reset();
    ResetProcessState();
    g_hWndOwner = 0;
}

ChronovaData& StartRegistry(std::shared_ptr<gis::Application> host, platform::ui::EventLoop& loop) {
    g_pApp = std::move(host);
    g_pChronovaData = std::make_shared<ChronovaData>(loop);
    return *g_pChronovaData;
}

} // namespace chronova
