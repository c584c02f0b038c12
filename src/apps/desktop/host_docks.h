#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "gis/uid.h"
#include "platform/event.h"

class QDockWidget;
class QMainWindow;
class QWidget;

namespace chronova::gis {
class DockableWindow;
} // namespace chronova::gis

namespace chronova::desktop {

/// The host's dockable windows as Qt docks in the bottom area of the main window. The time toolbar's window shows
/// the slider form; a window whose content the desktop does not know shows its caption. Visibility follows both
/// ways: the host showing or hiding a window shows or hides its dock, and the user closing or reopening a dock
/// shows or hides the host's window, after which the user_toggled handler runs (the window asks the map to
/// refresh, which is when the time command notices and lifts or applies the time filters).
class HostDocks {
public:
    HostDocks(QMainWindow& window, const std::vector<std::shared_ptr<gis::DockableWindow>>& windows,
              std::function<void()> user_toggled);
    /// Deletes the docks and their views, which must go before the forms they show.
    ~HostDocks();
    HostDocks(const HostDocks&) = delete;
    HostDocks& operator=(const HostDocks&) = delete;

    /// The dock of a host window (by identifier or ProgID), or null.
    QDockWidget* DockOf(const gis::UID& window) const;
    const std::vector<QDockWidget*>& Docks() const noexcept { return docks_; }

private:
    QWidget* ContentOf(const gis::DockableWindow& window, QWidget* parent) const;

    std::vector<QDockWidget*> docks_;
    std::vector<gis::UID> ids_;
    std::vector<platform::ScopedConnection> connections_;
    std::function<void()> user_toggled_;
};

} // namespace chronova::desktop
