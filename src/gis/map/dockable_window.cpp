#include "gis/map/dockable_window.h"

#include <algorithm>
#include <utility>

#include "platform/automation_error.h"

namespace chronova::gis {

DockableWindow::DockableWindow(UID id, std::string caption) : id_(std::move(id)), caption_(std::move(caption)) {}

DockableWindow::DockableWindow(UID id, std::shared_ptr<IDockableWindowDef> definition)
    : id_(std::move(id)), definition_(std::move(definition)) {}

std::string DockableWindow::Caption() const {
    return definition_ ? definition_->Caption() : caption_;
}

void DockableWindow::Show(bool show) {
    if (show == visible_) {
        return;
    }
    visible_ = show;
    VisibilityChanged.Fire(show);
}

platform::ObjectRef DockableWindow::UserData() const {
    if (!definition_) {
        return user_data_;
    }
    const platform::Variant data = definition_->UserData();
    const auto* object = data.Get<platform::ObjectRef>();
    return object != nullptr ? *object : nullptr;
}

// Held by value, so the definition outlives its OnCreate whatever the caller's pointer does.
std::shared_ptr<DockableWindow> DockableWindowManager::AddDockableWindow(
    std::shared_ptr<IDockableWindowDef> definition) { // NOLINT(performance-unnecessary-value-param)
    if (!definition) {
        platform::RaiseError(platform::error::kObjectNotSet, "No dockable window definition was given.");
    }
    const UID id(definition->Name());
    CheckNewId(id);
    auto window = std::make_shared<DockableWindow>(id, definition);
    windows_.push_back(window);
    definition->OnCreate(hook_.lock());
    return window;
}

std::shared_ptr<DockableWindow> DockableWindowManager::CreateDockableWindow(const UID& id, std::string caption) {
    CheckNewId(id);
    auto window = std::make_shared<DockableWindow>(id, std::move(caption));
    windows_.push_back(window);
    return window;
}

std::shared_ptr<DockableWindow> DockableWindowManager::GetDockableWindow(const UID& id) const {
    const auto found =
        std::find_if(windows_.begin(), windows_.end(), [&](const auto& window) { return window->ID() == id; });
    return found != windows_.end() ? *found : nullptr;
}

void DockableWindowManager::DestroyAll() {
    // Taken first: a definition's OnDestroy may reach back into the manager.
    const std::vector<std::shared_ptr<DockableWindow>> windows = std::exchange(windows_, {});
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (const auto& definition = (*window)->Definition()) {
            definition->OnDestroy();
        }
    }
}

void DockableWindowManager::CheckNewId(const UID& id) const {
    if (id.IsEmpty()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A UID without a value names nothing.");
    }
    if (GetDockableWindow(id)) {
        platform::RaiseError(platform::error::kKeyAlreadyAssociated,
                             "A dockable window with the identifier " + id.Value() + " exists already.");
    }
}

} // namespace chronova::gis
