#include "apps/desktop/desktop_host.h"

#include <QGuiApplication>
#include <QScreen>

#include "apps/desktop/views/form_dialogs.h"
#include "extension/class_ids.h"
#include "extension/server.h"
#include "gis/component_categories.h"
#include "gis/map/application.h"
#include "gis/map/component_loader.h"
#include "gis/map/extension.h"
#include "platform/automation_error.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/message_service.h"
#include "platform/ui/modal_dialog_service.h"
#include "platform/ui/screen.h"
#include "qtui/event_loop_driver.h"
#include "qtui/modal_dialogs.h"
#include "records/process_state.h"
#include "registry/globals.h"

namespace chronova::desktop {

namespace {

// Forms measure in twips: 15 to a pixel at the 96 dots per inch they were laid out for.
constexpr int32_t kTwipsPerPixel = 15;

std::shared_ptr<gis::IExtensionConfig> ChronovaConfig(const gis::Application& application) {
    return std::dynamic_pointer_cast<gis::IExtensionConfig>(application.FindExtensionByName(kProgID_ChronovaExt));
}

} // namespace

DesktopHost::DesktopHost(QWidget* owner, DialogServices services) {
    if (g_pApp || g_pChronovaData) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "A host is already running in this process.");
    }
    driver_ = std::make_unique<qtui::EventLoopDriver>(loop_);
    InstallServices(owner, services);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        platform::ui::SetDialogScreen({area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel});
    }
    // The forms show the hourglass while they apply a time to the layers.
    pointer_changed_ = platform::ui::TheScreen().PointerChanged.Connect([this](int32_t shape) {
        const bool wait = shape == static_cast<int32_t>(platform::ui::MousePointerShape::Hourglass);
        if (wait && !wait_cursor_) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        } else if (!wait && wait_cursor_) {
            QGuiApplication::restoreOverrideCursor();
        }
        wait_cursor_ = wait;
    });
    try {
        LoadComponents();
    } catch (...) {
        if (application_) {
            application_->Shutdown();
        }
        application_.reset();
        ResetGlobals();
        throw;
    }
}

DesktopHost::~DesktopHost() {
    windows_.clear();
    if (application_) {
        application_->Shutdown();
    }
    application_.reset();
    ResetGlobals();
    pointer_changed_.Disconnect();
    if (wait_cursor_) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void DesktopHost::InstallServices(QWidget* owner, DialogServices services) {
    if (services != DialogServices::Qt) {
        return;
    }
    dialogs_ = std::make_unique<qtui::QtModalDialogService>(owner);
    AddFormDialogs(*dialogs_);
    messages_ = std::make_unique<qtui::QtMessageService>(owner);
    dialog_scope_ = std::make_unique<platform::ui::ScopedModalDialogService>(*dialogs_);
    message_scope_ = std::make_unique<platform::ui::ScopedMessageService>(*messages_);
}

void DesktopHost::LoadComponents() {
    RegisterExtensionClasses(classes_, loop_);
    application_ = gis::Application::Create();
    const gis::ComponentCategoryManager categories;
    gis::LoadComponents(*application_, classes_, categories);

    // The application keeps its components by name and identifier; the window lists what loaded.
    for (const gis::UID& clsid : categories.ClassesOfCategory(gis::UID(gis::catid::kExtensions))) {
        const std::string name = classes_.ProgId(clsid);
        if (!name.empty() && application_->FindExtensionByName(name)) {
            extension_names_.push_back(name);
        }
    }
    for (const gis::UID& clsid : categories.ClassesOfCategory(gis::UID(gis::catid::kDockableWindows))) {
        if (auto window = application_->DockableWindowManager().GetDockableWindow(clsid)) {
            windows_.push_back(std::move(window));
        }
    }

    application_->NewDocument();
    if (!ChronovaLoaded()) {
        application_->StatusBar().Message(
            0, "Chronova is not registered with this host, so there is no time slider: register it under "
               "Tools > Components, then start again.");
    } else if (!ChronovaEnabled()) {
        application_->StatusBar().Message(
            0, "The Chronova extension is switched off: switch it on under Tools > Extensions.");
    }
}

bool DesktopHost::ChronovaLoaded() const {
    return ChronovaConfig(*application_) != nullptr;
}

bool DesktopHost::ChronovaEnabled() const {
    const auto config = ChronovaConfig(*application_);
    return config && config->State() == static_cast<int32_t>(gis::ExtensionState::Enabled);
}

bool DesktopHost::EnableChronovaForSession() {
    const auto config = ChronovaConfig(*application_);
    if (!config) {
        return false;
    }
    if (config->State() != static_cast<int32_t>(gis::ExtensionState::Enabled)) {
        config->State(static_cast<int32_t>(gis::ExtensionState::Enabled));
    }
    return true;
}

} // namespace chronova::desktop
