#include "apps/desktop/command_toolbar.h"

#include <QImage>
#include <QPixmap>

#include "gis/map/application.h"
#include "gis/map/command.h"
#include "gis/map/command_bars.h"
#include "gis/map/document.h"

namespace chronova::desktop {

namespace {

// Command states are cheap to ask for; four times a second keeps the buttons current without a notification.
constexpr int kPollMilliseconds = 250;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

QIcon CommandIcon(const std::shared_ptr<const gis::CommandBitmap>& bitmap) {
    if (!bitmap || bitmap->Width <= 0 || bitmap->Height <= 0 ||
        bitmap->Pixels.size() != static_cast<size_t>(bitmap->Width) * static_cast<size_t>(bitmap->Height)) {
        return {};
    }
    QImage image(bitmap->Width, bitmap->Height, QImage::Format_ARGB32);
    for (int32_t y = 0; y < bitmap->Height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < bitmap->Width; ++x) {
            row[x] =
                bitmap->Pixels[static_cast<size_t>(y) * static_cast<size_t>(bitmap->Width) + static_cast<size_t>(x)];
        }
    }
    return QIcon(QPixmap::fromImage(image));
}

CommandToolBar::CommandToolBar(gis::Application& application, QWidget* parent)
    : QToolBar(parent), application_(application) {
    setWindowTitle(QStringLiteral("Commands"));
    setObjectName("commands");
    // The host's buttons are 24 x 22 pictures; shown at their own size they stay sharp.
    setIconSize(QSize(24, 22));
    poll_.setInterval(kPollMilliseconds);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { Refresh(); });
    poll_.start();
    Refresh();
}

std::vector<gis::UID> CommandToolBar::PlacedCommands() const {
    std::vector<gis::UID> placed;
    for (const auto& bar : application_.Document()->CommandBars().Bars()) {
        bool any = false;
        for (int32_t i = 0; i < bar->Count(); ++i) {
            const gis::UID& id = bar->Item(i)->ID();
            if (!application_.FindCommand(id)) {
                continue; // placed by a component, but not loaded in this session
            }
            if (!any && !placed.empty()) {
                placed.emplace_back(); // a separator between two bars
            }
            placed.push_back(id);
            any = true;
        }
    }
    return placed;
}

void CommandToolBar::Rebuild(const std::vector<gis::UID>& placed) {
    clear();
    buttons_.clear();
    placed_ = placed;
    for (const gis::UID& id : placed_) {
        if (id.IsEmpty()) {
            addSeparator();
            continue;
        }
        const auto command = application_.FindCommand(id);
        QAction* action = addAction(CommandIcon(command->Bitmap()), Text(command->Caption()));
        action->setObjectName(Text(command->Name()));
        action->setCheckable(true);
        QObject::connect(action, &QAction::triggered, this, [this, id] { Click(id); });
        buttons_.push_back(Button{id, action});
    }
}

void CommandToolBar::Refresh() {
    if (std::vector<gis::UID> placed = PlacedCommands(); placed != placed_) {
        Rebuild(placed);
    }
    for (const Button& button : buttons_) {
        const auto command = application_.FindCommand(button.command);
        if (!command) {
            continue;
        }
        button.action->setEnabled(command->Enabled());
        button.action->setChecked(command->Checked());
        button.action->setToolTip(Text(command->Tooltip()));
        button.action->setStatusTip(Text(command->Message()));
    }
}

QAction* CommandToolBar::ActionOf(const gis::UID& command) const {
    for (const Button& button : buttons_) {
        if (button.command == command) {
            return button.action;
        }
    }
    return nullptr;
}

void CommandToolBar::Click(const gis::UID& command) {
    application_.ClickCommand(command);
    Refresh();
    if (clicked_) {
        clicked_();
    }
}

} // namespace chronova::desktop
