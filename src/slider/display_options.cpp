#include "slider/display_options.h"

#include "records/process_state.h"

namespace chronova {

DisplayOptions ReadDisplayOptions() {
    return {g_iDisplayType, g_bFillGaps, g_bUpdateTOC, g_bLoopAnimation};
}

void ApplyDisplayOptions(const DisplayOptions& options) {
    g_iDisplayType = options.display_type;
    g_bFillGaps = options.fill_gaps;
    g_bUpdateTOC = options.toc_labels;
    g_bLoopAnimation = options.loop_animation;
}

} // namespace chronova
