// The state every bound widget follows: enabled, visible and, for absolutely placed widgets, place and size.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QDebug>
#include <QEvent>

#include "platform/ui/control.h"

namespace chronova::qtui {
namespace detail {

void RunUserAction(const char* what, const std::function<void()>& action) noexcept {
    try {
        action();
    } catch (const std::exception& error) {
        qWarning().noquote() << "Unhandled error after" << what << ":" << error.what();
    } catch (...) {
        qWarning().noquote() << "Unhandled error after" << what;
    }
}

} // namespace detail

namespace {

using platform::ui::Control;
using platform::ui::kTwipsPerPixel;

/// Applies the control's state to the widget, again whenever the control changes or the widget gets a parent
/// (a widget made without one is shown by the layout it is put in, unless the control hides it).
class StateFollower final : public QObject {
public:
    StateFollower(QWidget& widget, Control& control, Placement placement)
        : QObject(&widget), widget_(widget), control_(control), placement_(placement) {
        widget.installEventFilter(this);
        connection_ = control.Changed.Connect([this] { Apply(); });
        Apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &widget_ && event->type() == QEvent::ParentChange) {
            Apply();
        }
        return false;
    }

private:
    void Apply() {
        widget_.setEnabled(control_.Enabled());
        if (!control_.Visible()) {
            // A widget never shown is hidden too, but only an explicit hide keeps a layout from showing it.
            if (!widget_.isHidden() || !widget_.testAttribute(Qt::WA_WState_ExplicitShowHide)) {
                widget_.hide();
            }
        } else if (widget_.isHidden() && widget_.parentWidget() != nullptr) {
            // Shown with its parent; a parentless widget would become a window of its own.
            widget_.show();
        }
        if (placement_ == Placement::Twips) {
            widget_.setGeometry(control_.Left() / kTwipsPerPixel, control_.Top() / kTwipsPerPixel,
                                control_.Width() / kTwipsPerPixel, control_.Height() / kTwipsPerPixel);
        }
    }

    QWidget& widget_;
    Control& control_;
    Placement placement_;
    platform::ScopedConnection connection_;
};

} // namespace

void FollowControl(QWidget& widget, Control& control, Placement placement) {
    new StateFollower(widget, control, placement);
}

} // namespace chronova::qtui
