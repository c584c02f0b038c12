// The tool bar: one checkable tool button per button key, with a drawn playback glyph where one fits.
#include "qtui/bindings.h"
#include "qtui/control_link.h"
#include "qtui/playback_icons.h"

#include <QAction>
#include <QSignalBlocker>
#include <QToolBar>
#include <string>

#include "platform/ui/toolbar.h"

namespace chronova::qtui {
namespace {

using detail::RunUserAction;
using detail::ToQString;
using platform::ui::Toolbar;

bool SameKeys(const QToolBar& bar, const Toolbar& control) {
    const QList<QAction*> actions = bar.actions();
    if (actions.size() != control.Count()) {
        return false;
    }
    for (int32_t i = 0; i < control.Count(); ++i) {
        if (actions[i]->objectName() != ToQString(control.ButtonAt(i).Key())) {
            return false;
        }
    }
    return true;
}

void Sync(QToolBar& bar, Toolbar& control) {
    if (!SameKeys(bar, control)) {
        for (QAction* action : bar.actions()) {
            // Later: the action may be the one whose press is being handled.
            bar.removeAction(action);
            action->deleteLater();
        }
        for (int32_t i = 0; i < control.Count(); ++i) {
            const std::string key = control.ButtonAt(i).Key();
            auto* action = new QAction(&bar);
            action->setObjectName(ToQString(key));
            action->setCheckable(true);
            const QIcon icon = PlaybackIcon(key);
            if (icon.isNull()) {
                action->setText(ToQString(key));
            } else {
                action->setIcon(icon);
            }
            QObject::connect(action, &QAction::triggered, &bar, [&bar, &control, key] {
                RunUserAction("pressing a tool", [&] { control.Press(key); });
                // The tool shows pressed only while the system says so, whatever Qt toggled to.
                Sync(bar, control);
            });
            bar.addAction(action);
        }
    }
    const QList<QAction*> actions = bar.actions();
    for (int32_t i = 0; i < control.Count(); ++i) {
        const Toolbar::Button& button = control.ButtonAt(i);
        QAction& action = *actions[i];
        const QSignalBlocker blocker(&action);
        // An action with an icon gets the tip as its text too, for menus and accessibility.
        if (!action.icon().isNull()) {
            action.setText(ToQString(button.ToolTipText().empty() ? button.Key() : button.ToolTipText()));
        }
        action.setToolTip(ToQString(button.ToolTipText()));
        action.setEnabled(button.Enabled());
        action.setVisible(button.Visible());
        action.setChecked(button.Value());
    }
}

} // namespace

QToolBar* BindToolbar(Toolbar& control, QWidget* parent, Placement placement) {
    auto* bar = new QToolBar(parent);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Sync(*bar, control);
    detail::Follow(*bar, control.Changed, [bar, &control] { Sync(*bar, control); });
    FollowControl(*bar, control, placement);
    return bar;
}

} // namespace chronova::qtui
