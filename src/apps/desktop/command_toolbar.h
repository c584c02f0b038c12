#pragma once

#include <QIcon>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gis/uid.h"

namespace chronova::gis {
class Application;
struct CommandBitmap;
} // namespace chronova::gis

namespace chronova::desktop {

/// The picture of a command's button as an icon; a null icon for a command without one.
QIcon CommandIcon(const std::shared_ptr<const gis::CommandBitmap>& bitmap);

/// The host's toolbars as one Qt tool bar: a button for every command placed on the document's command bars that
/// the application has loaded, with the command's picture, tool tip and status message. Commands say themselves
/// whether they can be clicked and are pressed, and components add and remove commands at any time, so the bar
/// asks again after every click and a few times a second. A click goes to Application::ClickCommand.
class CommandToolBar : public QToolBar {
public:
    CommandToolBar(gis::Application& application, QWidget* parent = nullptr);

    /// Rebuilds the buttons when the command bars changed and updates every button's state.
    void Refresh();
    /// The button of a command (by class identifier or ProgID), or null when it is not on the bar.
    QAction* ActionOf(const gis::UID& command) const;
    /// Called after each click, once the states are updated (the window redraws what the command changed).
    void OnClicked(std::function<void()> handler) { clicked_ = std::move(handler); }

private:
    struct Button {
        gis::UID command;
        QAction* action = nullptr;
    };

    std::vector<gis::UID> PlacedCommands() const;
    void Rebuild(const std::vector<gis::UID>& placed);
    void Click(const gis::UID& command);

    gis::Application& application_;
    std::vector<gis::UID> placed_;
    std::vector<Button> buttons_;
    QTimer poll_;
    std::function<void()> clicked_;
};

} // namespace chronova::desktop
