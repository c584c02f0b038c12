#pragma once

namespace chronova::layerconfig {

/// Installs the layer configuration dialog as the one the slider's "select layers" button opens: each press
/// shows a new frmTimedLayers modally through the modal dialog service.
void InstallLayerDialog();

} // namespace chronova::layerconfig
