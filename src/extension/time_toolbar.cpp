#include "extension/time_toolbar.h"

#include "datetime/calendar_picker.h"
#include "extension/class_ids.h"
#include "extension/toolbar_bitmap.h"
#include "gis/map/application.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "host/error_handling.h"
#include "layerconfig/layer_dialog.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"

namespace chronova {
namespace {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

constexpr std::string_view kModule = "TimeToolbar";
constexpr std::string_view kCaption = "Time Toolbar";

// The host's application object, or null for any other hook.
std::shared_ptr<gis::Application> ApplicationOf(const platform::ObjectRef& hook) {
    return std::dynamic_pointer_cast<gis::Application>(hook);
}

} // namespace

TimeToolbar::TimeToolbar(platform::ui::EventLoop& loop) : loop_(loop), m_bitmap(TimeToolbarBitmap()) {
    if (g_pApp && g_hWndOwner == 0) {
        g_hWndOwner = g_pApp->hWnd();
    }
}

TimeToolbar::~TimeToolbar() = default;

std::string TimeToolbar::Name() const {
    return std::string(kProgID_TimeToolbar);
}

bool TimeToolbar::Enabled() const {
    bool enabled = false;
    Trap("ICommand_Enabled", kModule, TrapKind::TopLevelLog, [&] {
        if (!g_pApp) {
            return;
        }
        const auto& document = g_pApp->Document();
        if (!std::dynamic_pointer_cast<gis::Map>(document->ActiveView())) {
            return; // the layout view
        }
        const auto extension =
            std::dynamic_pointer_cast<gis::IExtensionConfig>(g_pApp->FindExtensionByName(kProgID_ChronovaExt));
        if (!extension || extension->State() != static_cast<int32_t>(gis::ExtensionState::Enabled)) {
            return;
        }
        const auto& map = document->FocusMap();
        enabled = map && map->LayerCount() >= 1;
    });
    return enabled;
}

bool TimeToolbar::Checked() const {
    return m_pDockWin && m_pDockWin->IsVisible();
}

std::string TimeToolbar::CommandCaption() const {
    return std::string(kCaption);
}

std::string TimeToolbar::Tooltip() const {
    return std::string(kCaption);
}

std::string TimeToolbar::Message() const {
    if (!m_pDockWin) {
        return "View " + std::string(kCaption);
    }
    return (m_pDockWin->IsVisible() ? "Hide" : "Show") + (" " + std::string(kCaption));
}

std::string TimeToolbar::HelpFile() const {
    return {};
}

int32_t TimeToolbar::HelpContextID() const {
    return 0;
}

std::shared_ptr<const gis::CommandBitmap> TimeToolbar::Bitmap() const {
    return m_bitmap;
}

std::string TimeToolbar::Category() const {
    return "Veltrane";
}

void TimeToolbar::OnCreateCommand(const platform::ObjectRef& hook) {
    Trap("ICommand_OnCreate", kModule, TrapKind::TopLevelLog, [&] {
        if (!AttachHost(hook)) {
            return;
        }
        if (const auto& document = g_pApp->Document()) {
            if (!doc_maps_changed_.Connected()) {
                doc_maps_changed_ =
                    document->Events().MapsChanged.Connect([this] { OnDocumentChanged("DocEvent_MapsChanged"); });
                doc_open_ =
                    document->Events().OpenDocument.Connect([this] { OnDocumentChanged("DocEvent_OpenDocument"); });
            }
            if (!map_view_refreshed_.Connected()) {
                FollowFocusMap();
            }
        }
        if (g_hWndOwner == 0) {
            g_hWndOwner = g_pApp->hWnd();
        }
        if (!m_pDockWin) {
            m_pDockWin = g_pApp->DockableWindowManager().GetDockableWindow(gis::UID(kProgID_TimeToolbar));
        }
    });
}

void TimeToolbar::OnClick() {
    Trap("ICommand_OnClick", kModule, TrapKind::TopLevelLog, [&] {
        if (!m_pDockWin) {
            return;
        }
        m_pDockWin->Show(!m_pDockWin->IsVisible());
        bWindowVisible = m_pDockWin->IsVisible();
        if (g_pChronovaData) {
            g_pChronovaData->ApplyFilters(bWindowVisible);
        }
    });
}

std::string TimeToolbar::WindowCaption() const {
    std::string caption;
    Trap("IDockableWindowDef_Caption", kModule, TrapKind::TopLevel, [&] {
        if (g_pChronovaData) {
            caption = g_pChronovaData->Caption();
        }
    });
    return caption;
}

int32_t TimeToolbar::ChildHWND() const {
    int32_t handle = 0;
    Trap("IDockableWindowDef_ChildHWND", kModule, TrapKind::TopLevel, [&] {
        if (g_pChronovaData) {
            handle = g_pChronovaData->hWnd();
        }
    });
    return handle;
}

void TimeToolbar::OnCreateWindow(const platform::ObjectRef& hook) {
    Trap("IDockableWindowDef_OnCreate", kModule, TrapKind::TopLevel, [&] {
        if (!AttachHost(hook)) {
            return;
        }
        if (g_hWndOwner == 0) {
            g_hWndOwner = g_pApp->hWnd();
        }
        bWindowVisible = false;
    });
}

void TimeToolbar::OnDestroy() {
    Trap("IDockableWindowDef_OnDestroy", kModule, TrapKind::TopLevel, [&] {
        m_pDockWin.reset();
        g_pChronovaData.reset();
        g_pApp.reset();
    });
}

platform::Variant TimeToolbar::UserData() const {
    return platform::Variant(platform::ObjectRef(g_pChronovaData));
}

bool TimeToolbar::AttachHost(const platform::ObjectRef& hook) {
    const auto application = ApplicationOf(hook);
    if (!application) {
        return false;
    }
    if (!g_pApp) {
        g_pApp = application;
    }
    if (!g_pChronovaData) {
        CreateRegistry();
    }
    return true;
}

void TimeToolbar::CreateRegistry() {
    g_pChronovaData = std::make_shared<ChronovaData>(loop_);
    // The slider's layer button opens the layer dialog, which sits above the slider, and its time labels and the
    // dialogs' start times open the date-time picker, owned by the host's main window; the registry's creator puts
    // both in place.
    layerconfig::InstallLayerDialog();
    modDateTime::InstallCalendarPicker([] { return g_pApp ? g_pApp->hWnd() : 0; });
}

void TimeToolbar::FollowFocusMap() {
    const auto map = g_pApp->Document()->FocusMap();
    pMapEvent = map;
    if (!map) {
        map_view_refreshed_.Disconnect();
        return;
    }
    map_view_refreshed_ =
        map->Events().ViewRefreshed.Connect([this](gis::IActiveView&, int32_t, const std::shared_ptr<gis::ILayer>&,
                                                   const std::optional<gis::Envelope>&) { OnViewRefreshed(); });
}

// Catches the window shown or closed by other means than the command: its own close box, the host's menu.
void TimeToolbar::OnViewRefreshed() {
    Trap("MapEvent_ViewRefreshed", kModule, TrapKind::TopLevelLog, [&] {
        if (!m_pDockWin || !g_pChronovaData || m_pDockWin->IsVisible() == bWindowVisible) {
            return;
        }
        bWindowVisible = m_pDockWin->IsVisible();
        g_pChronovaData->ApplyFilters(bWindowVisible);
    });
}

void TimeToolbar::OnDocumentChanged(const char* procedure) {
    Trap(procedure, kModule, TrapKind::TopLevelLog, [&] {
        if (g_pApp && g_pApp->Document()->FocusMap() != pMapEvent.lock()) {
            FollowFocusMap();
        }
    });
}

} // namespace chronova
