#pragma once

#include <functional>

namespace chronova {

// The slider's "select layers" button opens the layer configuration dialog, which lives above the slider (it
// registers layers with the registry that owns the slider). The slider owns this service and whoever assembles
// the system installs the dialog in it.

/// Shows the layer configuration dialog modally and returns when it is closed.
using LayerDialogOpener = std::function<void()>;

/// Installs the opener (an empty one removes it); returns the one installed before.
LayerDialogOpener SetLayerDialogOpener(LayerDialogOpener opener);

/// Runs the installed opener. Raises 91 when none is installed.
void OpenLayerDialog();

} // namespace chronova
