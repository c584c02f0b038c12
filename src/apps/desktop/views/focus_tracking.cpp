#include "apps/desktop/views/focus_tracking.h"

#include "platform/ui/edit_fields.h"

#include <QEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <functional>

namespace chronova::desktop {

namespace {

// Owned by the watched widget; commit hands the widget's content to the control before it loses the focus.
class FocusForwarder final : public QObject {
public:
    FocusForwarder(QWidget& widget, platform::ui::Focusable& control, std::function<void()> commit)
        : QObject(&widget), control_(control), commit_(std::move(commit)) {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            control_.UserFocus();
        } else if (event->type() == QEvent::FocusOut) {
            commit_();
            control_.UserLeave();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    platform::ui::Focusable& control_;
    std::function<void()> commit_;
};

} // namespace

void TrackFocus(QSpinBox& box, platform::ui::NumericEdit& control) {
    new FocusForwarder(box, control, [&box, &control] {
        box.interpretText();
        control.UserEnter(box.value());
    });
}

void TrackFocus(QLineEdit& edit, platform::ui::TextEdit& control) {
    new FocusForwarder(edit, control, [&edit, &control] { control.UserType(edit.text().toStdString()); });
}

} // namespace chronova::desktop
