#pragma once

#include <memory>

class QDialog;
class QWidget;

namespace chronova {

class frmTimedLayers;

namespace desktop {

/// The layer configuration dialog, laid out by Qt: the layer tree on the left with the fast-refresh choice
/// under it, the selected layer's settings on the right (the field panel or the raster panel, whichever the
/// form shows), "Done" and "Cancel" at the bottom.
std::unique_ptr<QDialog> MakeTimedLayersDialog(frmTimedLayers& form, QWidget* owner);

} // namespace desktop
} // namespace chronova
