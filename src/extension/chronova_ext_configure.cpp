// ConfigureChronovaExt: the host's user interface and the display settings for the open document.

#include "extension/chronova_ext.h"
#include "extension/class_ids.h"
#include "gis/map/application.h"
#include "gis/map/command_bars.h"
#include "host/error_handling.h"
#include "host/mod_registry.h"
#include "platform/conversions.h"
#include "platform/text.h"
#include "records/process_state.h"

namespace chronova {
namespace {

using platform::HKEY_CURRENT_USER;
using platform::HKEY_LOCAL_MACHINE;

constexpr std::string_view kProductKey = "Software\\Veltrane\\Chronova";
// Where installations of the company's other products keep the toolbar switch.
constexpr std::string_view kCompanyKey = "SOFTWARE\\Veltrane Software";
// The host's dock flag the window is docked with when the extension shows it.
constexpr int32_t kDockFlags = 16;

std::string ReadTrimmed(platform::Hive root, std::string_view key, std::string_view name) {
    return platform::Trim(modRegistry::RegistryReadString(root, key, name));
}

// A stored Boolean, or the default when nothing is stored. Text that is no Boolean raises 13.
bool ReadBoolean(std::string_view name, bool when_empty) {
    const std::string text = ReadTrimmed(HKEY_CURRENT_USER, kProductKey, name);
    return text.empty() ? when_empty : platform::CBool(platform::Variant(text));
}

// The machine's switch for the toolbar command: on unless a stored number says 0.
bool ToolbarCommandWanted() {
    std::string text = ReadTrimmed(HKEY_LOCAL_MACHINE, kProductKey, "CNON");
    if (text.empty()) {
        text = ReadTrimmed(HKEY_LOCAL_MACHINE, kCompanyKey, "CNON");
    }
    return text.empty() || platform::Val(text) != 0;
}

} // namespace

void ChronovaExt::ConfigureChronovaExt() {
    ErrorHandling::Trap("ConfigureChronovaExt", "ChronovaExt", ErrorHandling::TrapKind::TopLevel, [&] {
        if (!g_pApp) {
            return;
        }
        const bool enabled = lExtensionState == static_cast<int32_t>(gis::ExtensionState::Enabled);
        const bool command_wanted = ToolbarCommandWanted();

        const gis::UID command(kProgID_TimeToolbar);
        if (const auto toolbar = g_pApp->Document()->CommandBars().Find(gis::UID(gis::kStandardToolbarId))) {
            const auto item = toolbar->Find(command);
            if (!enabled || !command_wanted) {
                if (item) {
                    toolbar->Delete(item);
                }
            } else if (!item) {
                toolbar->Add(command);
            }
        }

        if (const auto window = g_pApp->DockableWindowManager().GetDockableWindow(command)) {
            if (window->IsVisible() && !enabled) {
                window->Show(false);
            } else if (!window->IsVisible() && enabled) {
                window->Show(true);
                window->Dock(kDockFlags);
            }
        }

        LoadDisplaySettings();
    });
}

// Read in this order; a stored text that is no Boolean ends the loading there, so the settings before it keep
// their new values and the later ones their old values.
void ChronovaExt::LoadDisplaySettings() {
    const std::string display_type = ReadTrimmed(HKEY_CURRENT_USER, kProductKey, "Display_Type");
    g_iDisplayType = display_type.empty() ? int16_t{0} : platform::CInt(platform::Variant(platform::Val(display_type)));
    // With the mode on, gaps are filled and the table of contents does not name the steps shown.
    const bool mode = modRegistry::RegistryReadString(HKEY_LOCAL_MACHINE, kProductKey, "Mode") == "1";
    g_bFillGaps = ReadBoolean("Fill_Gaps", mode);
    g_bUpdateTOC = ReadBoolean("UpdateTOC", !mode);
    g_bLoopAnimation = ReadBoolean("Loop_Animation", false);
}

} // namespace chronova
