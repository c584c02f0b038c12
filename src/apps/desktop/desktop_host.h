#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gis/class_factory.h"
#include "platform/event.h"
#include "platform/ui/event_loop.h"

class QWidget;

namespace chronova {
namespace gis {
class Application;
class DockableWindow;
} // namespace gis
namespace platform::ui {
class ScopedMessageService;
class ScopedModalDialogService;
} // namespace platform::ui
namespace qtui {
class EventLoopDriver;
class QtMessageService;
class QtModalDialogService;
} // namespace qtui
} // namespace chronova

namespace chronova::desktop {

/// Where the system's message boxes and modal dialogs go.
enum class DialogServices {
    /// Real Qt dialogs and message boxes owned by the main window.
    Qt,
    /// Whatever the caller installed (tests record them; the screenshot run writes messages to stderr).
    Installed,
};

/// The running host of the desktop window: the forms' timers on Qt's event loop, the dialog services, the screen
/// dialogs are placed on, and the application with the components the categories name (the extension, the time
/// command and the slider window when Chronova is registered). It starts with a new document. One host per process:
/// it owns the process-wide state and resets it when it ends.
class DesktopHost {
public:
    /// Raises 5 when a host is already running in the process.
    DesktopHost(QWidget* owner, DialogServices services);
    ~DesktopHost();
    DesktopHost(const DesktopHost&) = delete;
    DesktopHost& operator=(const DesktopHost&) = delete;

    gis::Application& App() const noexcept { return *application_; }
    platform::ui::EventLoop& Loop() noexcept { return loop_; }
    qtui::EventLoopDriver& Driver() noexcept { return *driver_; }

    /// The names of the extensions loaded at start-up, in load order.
    const std::vector<std::string>& ExtensionNames() const noexcept { return extension_names_; }
    /// The dockable windows loaded at start-up, in load order.
    const std::vector<std::shared_ptr<gis::DockableWindow>>& DockableWindows() const noexcept { return windows_; }
    /// Whether the Chronova extension was loaded (it is registered in the host's categories).
    bool ChronovaLoaded() const;
    /// Whether the Chronova extension is loaded and switched on.
    bool ChronovaEnabled() const;
    /// Switches the Chronova extension on for this session only, as a one-off run needs; the user's own choice
    /// stays remembered as it was. False when the extension is not loaded.
    bool EnableChronovaForSession();

private:
    void InstallServices(QWidget* owner, DialogServices services);
    void LoadComponents();

    // Declared first so that it outlives the registry's timers, which the application's components own.
    platform::ui::EventLoop loop_;
    std::unique_ptr<qtui::EventLoopDriver> driver_;
    std::unique_ptr<qtui::QtModalDialogService> dialogs_;
    std::unique_ptr<qtui::QtMessageService> messages_;
    std::unique_ptr<platform::ui::ScopedModalDialogService> dialog_scope_;
    std::unique_ptr<platform::ui::ScopedMessageService> message_scope_;
    platform::ScopedConnection pointer_changed_;
    bool wait_cursor_ = false;
    gis::ClassRegistry classes_;
    std::shared_ptr<gis::Application> application_;
    std::vector<std::string> extension_names_;
    std::vector<std::shared_ptr<gis::DockableWindow>> windows_;
};

} // namespace chronova::desktop
