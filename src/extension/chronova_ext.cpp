#include "extension/chronova_ext.h"

#include <memory>

#include "extension/class_ids.h"
#include "extension/version_info.h"
#include "gis/map/application.h"
#include "host/error_handling.h"
#include "platform/conversions.h"
#include "platform/settings_store.h"
#include "platform/ui/message_service.h"
#include "records/process_state.h"

namespace chronova {
namespace {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

constexpr std::string_view kModule = "ChronovaExt";
constexpr std::string_view kProductName = "Chronova Extension";

// The hint is a per-user application setting, as the host's own programs keep theirs.
constexpr std::string_view kSettingsApp = "ArcMap";
constexpr std::string_view kSettingsSection = "Chronova Extension";
constexpr std::string_view kPremieredKey = "Premiered";

void Inform(std::string_view text) {
    platform::ui::MsgBox(text, platform::ui::MsgBoxStyle::Information | platform::ui::MsgBoxStyle::SystemModal,
                         kProductName, g_hWndOwner);
}

} // namespace

ChronovaExt::ChronovaExt() {
    Reset();
}

ChronovaExt::~ChronovaExt() {
    Reset();
}

std::string ChronovaExt::Name() const {
    return std::string(kProgID_ChronovaExt);
}

void ChronovaExt::Startup(const platform::ObjectRef& initializationData) {
    Trap("IExtension_Startup", kModule, TrapKind::TopLevel, [&] {
        const auto application = std::dynamic_pointer_cast<gis::Application>(initializationData);
        if (!application) {
            Inform("Chronova Extension Is Only Available Under ArcMap");
            g_pApp.reset();
            return;
        }
        if (!g_pApp) {
            g_pApp = application;
        }
        auto& events = application->Document()->Events();
        new_document_ = events.NewDocument.Connect([this] { OnDocumentShown("DocumentEvents_NewDocument"); });
        open_document_ = events.OpenDocument.Connect([this] { OnDocumentShown("DocumentEvents_OpenDocument"); });
        close_document_ = events.CloseDocument.Connect([this] { OnCloseDocument(); });
        bPremiered = platform::CBool(platform::GetSetting(kSettingsApp, kSettingsSection, kPremieredKey, "False"));
    });
}

void ChronovaExt::Shutdown() {
    Trap("IExtension_Shutdown", kModule, TrapKind::TopLevel, [&] { Reset(); });
}

std::string ChronovaExt::ProductName() const {
    return std::string(kProductName);
}

std::string ChronovaExt::Description() const {
    std::string text;
    Trap("IExtensionConfig_Description", kModule, TrapKind::TopLevel,
         [&] { text = DescriptionText(ComponentVersion()); });
    return text;
}

int32_t ChronovaExt::State() const {
    return lExtensionState;
}

void ChronovaExt::State(int32_t value) {
    Trap("IExtensionConfig_State", kModule, TrapKind::TopLevel, [&] {
        lExtensionState = value;
        switch (static_cast<gis::ExtensionState>(value)) {
        case gis::ExtensionState::Enabled:
            if (bConfigured) {
                ConfigureChronovaExt();
            }
            break;
        case gis::ExtensionState::Disabled:
            if (bConfigured) {
                ConfigureChronovaExt();
            }
            ShowHintOnce();
            break;
        case gis::ExtensionState::Unavailable:
            Inform("Chronova Extension Has Not Been Installed Properly");
            break;
        }
    });
}

void ChronovaExt::ShowHintOnce() {
    // Read again rather than trusting the start-up value alone: another session of the same user may have shown
    // the hint since this one started.
    if (!bPremiered) {
        bPremiered = platform::CBool(platform::GetSetting(kSettingsApp, kSettingsSection, kPremieredKey, "False"));
    }
    if (bPremiered) {
        return;
    }
    bPremiered = true;
    platform::SaveSetting(kSettingsApp, kSettingsSection, kPremieredKey, "True");
    Inform("Chronova Extension Must Be Enabled Under Tools->Extensions");
}

void ChronovaExt::OnDocumentShown(const char* procedure) {
    Trap(procedure, kModule, TrapKind::TopLevel, [&] {
        if (!bConfigured) {
            ConfigureChronovaExt();
        }
        bConfigured = true;
    });
}

void ChronovaExt::OnCloseDocument() {
    Trap("DocumentEvents_CloseDocument", kModule, TrapKind::TopLevel, [&] { bConfigured = false; });
}

void ChronovaExt::Reset() {
    g_pApp.reset();
    new_document_.Disconnect();
    open_document_.Disconnect();
    close_document_.Disconnect();
    bPremiered = false;
    bConfigured = false;
}

} // namespace chronova
