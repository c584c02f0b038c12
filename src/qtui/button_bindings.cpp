// Buttons, check boxes, option buttons, labels, frames and spin buttons.
#include "qtui/bindings.h"
#include "qtui/control_link.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/option_button.h"
#include "platform/ui/spin_button.h"

namespace chronova::qtui {
namespace {

using detail::Follow;
using detail::RunUserAction;
using detail::ToQString;

/// A label that reports a left click released over it, as a clickable label of a form expects.
class ClickableLabel final : public QLabel {
public:
    ClickableLabel(platform::ui::Label& control, QWidget* parent) : QLabel(parent), control_(control) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            RunUserAction("a click on a label", [this] { control_.UserClick(); });
        }
    }

private:
    platform::ui::Label& control_;
};

Qt::CheckState ToCheckState(int32_t value) {
    switch (value) {
    case platform::ui::CheckBox::kChecked:
        return Qt::Checked;
    case platform::ui::CheckBox::kGrayed:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

} // namespace

QPushButton* BindCommandButton(platform::ui::CommandButton& control, QWidget* parent, Placement placement) {
    auto* button = new QPushButton(parent);
    auto sync = [button, &control] { button->setText(ToQString(control.Caption())); };
    sync();
    Follow(*button, control.Changed, sync);
    QObject::connect(button, &QPushButton::clicked, button,
                     [&control] { RunUserAction("pressing a button", [&control] { control.Press(); }); });
    FollowControl(*button, control, placement);
    return button;
}

QLabel* BindLabel(platform::ui::Label& control, QWidget* parent, Placement placement) {
    auto* label = new ClickableLabel(control, parent);
    label->setTextFormat(Qt::PlainText);
    auto sync = [label, &control] {
        label->setText(ToQString(control.Caption()));
        label->setToolTip(ToQString(control.ToolTipText()));
        // A label somebody listens to for clicks looks clickable.
        label->setCursor(control.Click.HandlerCount() > 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    };
    sync();
    Follow(*label, control.Changed, sync);
    FollowControl(*label, control, placement);
    return label;
}

QCheckBox* BindCheckBox(platform::ui::CheckBox& control, QWidget* parent, Placement placement) {
    auto* box = new QCheckBox(parent);
    auto sync = [box, &control] {
        const QSignalBlocker blocker(box);
        box->setText(ToQString(control.Caption()));
        // Grayed is a state code sets; the user only toggles between checked and unchecked.
        box->setTristate(control.Value() == platform::ui::CheckBox::kGrayed);
        box->setCheckState(ToCheckState(control.Value()));
    };
    sync();
    Follow(*box, control.Changed, sync);
    // The control decides the new state; the widget then follows it, whatever Qt toggled to.
    QObject::connect(box, &QCheckBox::clicked, box, [&control, sync] {
        RunUserAction("a click on a check box", [&control] { control.UserClick(); });
        sync();
    });
    FollowControl(*box, control, placement);
    return box;
}

QRadioButton* BindOptionButton(platform::ui::OptionButton& control, QWidget* parent, Placement placement) {
    auto* option = new QRadioButton(parent);
    // The form groups its options (it clears the others when one is selected), not Qt.
    option->setAutoExclusive(false);
    auto sync = [option, &control] {
        const QSignalBlocker blocker(option);
        option->setText(ToQString(control.Caption()));
        option->setChecked(control.Value());
    };
    sync();
    Follow(*option, control.Changed, sync);
    QObject::connect(option, &QRadioButton::clicked, option, [&control, sync] {
        RunUserAction("a click on an option", [&control] { control.UserClick(); });
        sync();
    });
    FollowControl(*option, control, placement);
    return option;
}

QGroupBox* BindFrame(platform::ui::Frame& control, QWidget* parent, Placement placement) {
    auto* frame = new QGroupBox(parent);
    auto sync = [frame, &control] { frame->setTitle(ToQString(control.Caption())); };
    sync();
    Follow(*frame, control.Changed, sync);
    FollowControl(*frame, control, placement);
    return frame;
}

QWidget* BindSpinButton(platform::ui::SpinButton& control, QWidget* parent, Placement placement) {
    auto* spin = new QWidget(parent);
    auto* layout = new QVBoxLayout(spin);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto add_arrow = [&](Qt::ArrowType arrow, const char* name, void (platform::ui::SpinButton::*press)()) {
        auto* button = new QToolButton(spin);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        QObject::connect(button, &QToolButton::clicked, button, [&control, press] {
            RunUserAction("a click on a spin button", [&control, press] { (control.*press)(); });
        });
        layout->addWidget(button);
    };
    add_arrow(Qt::UpArrow, "up", &platform::ui::SpinButton::UserSpinUp);
    add_arrow(Qt::DownArrow, "down", &platform::ui::SpinButton::UserSpinDown);
    FollowControl(*spin, control, placement);
    return spin;
}

} // namespace chronova::qtui
