#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gis/map/command.h"
#include "gis/map/dockable_window.h"
#include "platform/event.h"

namespace chronova {

namespace gis {
class Map;
} // namespace gis

namespace platform::ui {
class EventLoop;
} // namespace platform::ui

namespace detail {

// The command and the window definition both have a Caption and an OnCreate, with different meanings. These
// two bases give each role's members names of their own, so that one class can play both roles.

class TimeCommandRole : public gis::ICommand {
public:
    std::string Caption() const final { return CommandCaption(); }
    void OnCreate(const platform::ObjectRef& hook) final { OnCreateCommand(hook); }

protected:
    virtual std::string CommandCaption() const = 0;
    virtual void OnCreateCommand(const platform::ObjectRef& hook) = 0;
};

class TimeWindowRole : public gis::IDockableWindowDef {
public:
    std::string Caption() const final { return WindowCaption(); }
    void OnCreate(const platform::ObjectRef& hook) final { OnCreateWindow(hook); }

protected:
    virtual std::string WindowCaption() const = 0;
    virtual void OnCreateWindow(const platform::ObjectRef& hook) = 0;
};

} // namespace detail

/// The time command and the slider's dockable window in one class. As a command it is the toolbar button that
/// shows and hides the window; as the window's definition it supplies the slider form's content and hands out
/// the registry as the window's user data. Whichever role the host creates first creates the registry
/// (g_pChronovaData). Showing the window applies the current time to every time layer, hiding it lifts every
/// time filter, also when the window is closed by other means than the command (caught at the map's next
/// refresh). The command's callbacks write their errors to the error log; the window's show them.
class TimeToolbar : public detail::TimeCommandRole, public detail::TimeWindowRole {
public:
    /// A command or window definition whose registry runs the slider's timers on the loop; the loop must
    /// outlive the registry.
    explicit TimeToolbar(platform::ui::EventLoop& loop);
    ~TimeToolbar() override;
    TimeToolbar(const TimeToolbar&) = delete;
    TimeToolbar& operator=(const TimeToolbar&) = delete;

    /// "Chronova.TimeToolbar", for both roles.
    std::string Name() const override;

    // The command.
    /// True in the data view, with the extension enabled and at least one layer in the focus map.
    bool Enabled() const override;
    /// Whether the window is visible; false before the command knows it.
    bool Checked() const override;
    std::string Tooltip() const override;
    /// "Hide Time Toolbar" or "Show Time Toolbar" by the window's visibility; "View Time Toolbar" before the
    /// command knows the window.
    std::string Message() const override;
    std::string HelpFile() const override;
    int32_t HelpContextID() const override;
    std::shared_ptr<const gis::CommandBitmap> Bitmap() const override;
    std::string Category() const override;
    /// Shows the window when hidden, hides it when shown, then applies or lifts the time filters to match.
    void OnClick() override;

    // The window definition.
    /// The handle of the slider form's content; 0 without a registry.
    int32_t ChildHWND() const override;
    /// Releases the registry and the host application.
    void OnDestroy() override;
    /// The registry, for other components to reach.
    platform::Variant UserData() const override;

private:
    std::string CommandCaption() const override;
    void OnCreateCommand(const platform::ObjectRef& hook) override;
    std::string WindowCaption() const override;
    void OnCreateWindow(const platform::ObjectRef& hook) override;

    /// Whichever role is created first takes the host application and creates the one registry; false when the
    /// hook is not a host application.
    bool AttachHost(const platform::ObjectRef& hook);
    void CreateRegistry();
    void FollowFocusMap();
    void OnViewRefreshed();
    void OnDocumentChanged(const char* procedure);

    platform::ui::EventLoop& loop_;
    std::shared_ptr<const gis::CommandBitmap> m_bitmap;
    std::shared_ptr<gis::DockableWindow> m_pDockWin;
    bool bWindowVisible = false;
    platform::ScopedConnection doc_maps_changed_;
    platform::ScopedConnection doc_open_;
    platform::ScopedConnection map_view_refreshed_;
    std::weak_ptr<gis::Map> pMapEvent;
};

} // namespace chronova
