#pragma once

class QWidget;

namespace chronova::platform::ui {
class PictureBox;
} // namespace chronova::platform::ui

namespace chronova::desktop {

// The slider window's two logos. The form only places them and decides whether they show; their pictures are
// the desktop's, drawn here. Each widget follows its picture box's place and visibility and passes its clicks on
// (the "powered by" logo opens the maker's link).

/// The product's mark, for picLogo.
QWidget* MakeProductLogo(platform::ui::PictureBox& box, QWidget* parent);
/// The maker's "powered by" mark, for picPowered.
QWidget* MakePoweredByLogo(platform::ui::PictureBox& box, QWidget* parent);

} // namespace chronova::desktop
