#include "apps/desktop/views/form_geometry.h"

#include "platform/ui/dialog_window.h"

#include <QDialog>
#include <QGroupBox>

namespace chronova::desktop {

using platform::ui::kTwipsPerPixel;

namespace {

constexpr int kDesignFontPixels = 11;

QPoint WindowCentre(const platform::ui::DialogWindow& window) {
    return {(window.Left() + window.Width() / 2) / kTwipsPerPixel,
            (window.Top() + window.Height() / 2) / kTwipsPerPixel};
}

} // namespace

QFont FormDesignFont(QFont base) {
    // Narrow faces first: the classic dialog font is narrower than most desktops' default faces, and the forms'
    // captions and notes were fitted to it.
    base.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans Condensed"), base.family()});
    base.setPixelSize(kDesignFontPixels);
    return base;
}

void ClassicFrameLook(QGroupBox& frame) {
    frame.setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                       " margin-top: 6px; }"
                                       "QGroupBox::title { subcontrol-origin: margin; left: 7px; padding: 0 2px; }"));
}

void PlaceFixedDialog(QDialog& dialog, const platform::ui::DialogWindow& window) {
    dialog.setFixedSize(window.Width() / kTwipsPerPixel, window.Height() / kTwipsPerPixel);
    dialog.move(window.Left() / kTwipsPerPixel, window.Top() / kTwipsPerPixel);
}

void PlaceLaidOutDialog(QDialog& dialog, const platform::ui::DialogWindow& window, QSize preferred) {
    const QSize size = preferred.expandedTo(dialog.minimumSizeHint());
    dialog.resize(size);
    const QPoint centre = WindowCentre(window);
    dialog.move(std::max(0, centre.x() - size.width() / 2), std::max(0, centre.y() - size.height() / 2));
}

} // namespace chronova::desktop
