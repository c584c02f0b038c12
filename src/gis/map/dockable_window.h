#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gis/uid.h"
#include "platform/event.h"
#include "platform/variant.h"

namespace chronova::gis {

/// What a component supplies for a dockable window: its identity, its caption and content, and the object it
/// hands to other components as the window's user data.
class IDockableWindowDef : public virtual platform::IUnknown {
public:
    /// A ProgID or braced GUID text that identifies the window.
    virtual std::string Name() const = 0;
    virtual std::string Caption() const = 0;
    /// The handle of the window the dockable window shows.
    virtual int32_t ChildHWND() const = 0;
    /// Called once when the window is created, with the application object.
    virtual void OnCreate(const platform::ObjectRef& hook) = 0;
    /// Called once when the window is destroyed.
    virtual void OnDestroy() = 0;
    virtual platform::Variant UserData() const = 0;
};

/// A window the application can show, hide and dock beside the map.
class DockableWindow : public virtual platform::IUnknown {
public:
    /// A window of the host's own, with a caption and a user data slot.
    DockableWindow(UID id, std::string caption);
    /// The window of a component's definition, which supplies its caption and user data.
    DockableWindow(UID id, std::shared_ptr<IDockableWindowDef> definition);

    /// The window's new visibility.
    platform::Event<bool> VisibilityChanged;

    const UID& ID() const noexcept { return id_; }
    std::string Caption() const;
    const std::shared_ptr<IDockableWindowDef>& Definition() const noexcept { return definition_; }

    bool IsVisible() const noexcept { return visible_; }
    /// Shows or hides the window; VisibilityChanged fires when the visibility changes.
    void Show(bool show);
    /// Docks the window as the flags say (a side or floating); the visibility is not changed.
    void Dock(int32_t flags) noexcept { dock_flags_ = flags; }
    int32_t DockFlags() const noexcept { return dock_flags_; }

    /// The definition's user data object, or for a window of the host's own the object put in its slot.
    platform::ObjectRef UserData() const;
    void UserData(platform::ObjectRef data) { user_data_ = std::move(data); }

private:
    UID id_;
    std::string caption_;
    std::shared_ptr<IDockableWindowDef> definition_;
    bool visible_ = false;
    int32_t dock_flags_ = 0;
    platform::ObjectRef user_data_;
};

/// The application's dockable windows, found by identifier.
class DockableWindowManager : public virtual platform::IUnknown {
public:
    /// The hook is the application object handed to each definition's OnCreate.
    explicit DockableWindowManager(std::weak_ptr<platform::IUnknown> hook) : hook_(std::move(hook)) {}

    /// Creates the window of a definition, identified by the UID of the definition's Name, and calls its
    /// OnCreate. Raises 91 for no definition, 5 for a name that is no identifier and 457 for a taken one.
    std::shared_ptr<DockableWindow> AddDockableWindow(std::shared_ptr<IDockableWindowDef> definition);
    /// Creates a window of the host's own; raises as AddDockableWindow.
    std::shared_ptr<DockableWindow> CreateDockableWindow(const UID& id, std::string caption);
    /// The window with this identifier, or null.
    std::shared_ptr<DockableWindow> GetDockableWindow(const UID& id) const;
    /// Destroys every window, calling the definitions' OnDestroy, latest first.
    void DestroyAll();

private:
    void CheckNewId(const UID& id) const;

    std::weak_ptr<platform::IUnknown> hook_;
    std::vector<std::shared_ptr<DockableWindow>> windows_;
};

} // namespace chronova::gis
