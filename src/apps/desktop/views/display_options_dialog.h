#pragma once

#include <memory>

class QDialog;
class QWidget;

namespace chronova {

class frmDisplayOptions;

namespace desktop {

/// The display options dialog: the form's controls at their twip places in a fixed-size dialog.
std::unique_ptr<QDialog> MakeDisplayOptionsDialog(frmDisplayOptions& form, QWidget* owner);

} // namespace desktop
} // namespace chronova
