#pragma once

namespace chronova {

/// Redraws the host's active view in full; nothing when no host application is attached.
void RefreshActiveView();

} // namespace chronova
