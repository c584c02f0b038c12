#pragma once

#include <cstdint>

#include "records/time_codes.h"

namespace chronova {

/// The process-wide display settings that the display options dialog and project files choose. They take effect
/// at the slider's next rebuild and the layers' next update.
struct DisplayOptions {
    /// kDisplayInterval or kDisplayUniquePoints (g_iDisplayType).
    int16_t display_type = kDisplayInterval;
    /// A layer without a step at the current time shows its closest previous step (g_bFillGaps).
    bool fill_gaps = false;
    /// With fill-gaps on, the table of contents shows the step actually displayed (g_bUpdateTOC).
    bool toc_labels = true;
    /// Playback continues from the other end instead of stopping (g_bLoopAnimation).
    bool loop_animation = false;

    friend bool operator==(const DisplayOptions&, const DisplayOptions&) = default;
};

/// The settings in force.
DisplayOptions ReadDisplayOptions();
/// Puts the settings in force; nothing is rebuilt here.
void ApplyDisplayOptions(const DisplayOptions& options);

} // namespace chronova
