#include "slider/frm_display_options.h"

#include "gis/map/application.h"
#include "host/error_handling.h"
#include "host/mod_registry.h"
#include "platform/conversions.h"
#include "platform/settings_store.h"
#include "platform/ui/screen.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "slider/checked_arithmetic.h"
#include "timeapply/arc_objects.h"

#include <string>

namespace chronova {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::ui::CheckBox;

namespace {

constexpr std::string_view kSettingsKey = "Software\\Veltrane\\Chronova";
constexpr int32_t kMinutesPerDay = 1440;
constexpr int32_t kMinutesPerHour = 60;

// Shows the hourglass for the life of a scope, then the pointer shown before.
class BusyPointer {
public:
    BusyPointer() : previous_(platform::ui::TheScreen().MousePointer()) {
        platform::ui::TheScreen().MousePointer(static_cast<int32_t>(platform::ui::MousePointerShape::Hourglass));
    }
    ~BusyPointer() { platform::ui::TheScreen().MousePointer(previous_); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    int32_t previous_;
};

int32_t CheckValue(bool checked) {
    return checked ? CheckBox::kChecked : CheckBox::kUnchecked;
}

// Finds every registered layer's steps again under the display settings in force.
void RetrieveAllTimeInfo() {
    if (!g_Layers) {
        return;
    }
    for (const auto& record : g_Layers->NewEnum()) {
        ArcObjects::RetrieveTimeInfo(record.get());
    }
}

} // namespace

frmDisplayOptions::frmDisplayOptions() : Form("Display Options") {
    DesignWindow();
    ConnectControls();
}

frmDisplayOptions::~frmDisplayOptions() = default;

void frmDisplayOptions::DesignWindow() {
    Window.Move(0, 0, 5295, 4665);
    optDisplayType[0].Caption("Use Fixed Interval");
    optDisplayType[1].Caption("Show All Unique Data Points");
    optDisplayType[0].Move(240, 240, 2415, 255);
    optDisplayType[1].Move(240, 1095, 2775, 255);
    constexpr std::array<std::string_view, 3> kUnits{"Days", "Hrs", "Min"};
    for (size_t k = 0; k < kUnits.size(); ++k) {
        const auto left = static_cast<int32_t>(480 + k * 1080);
        txtInterval[k].Move(left, 615, 495, 285);
        lblInterval[k].Caption(kUnits[k]);
        lblInterval[k].Move(left + 540, 660, 450, 195);
    }
    cmdCalc.Caption("Calculate");
    cmdCalc.Move(3840, 600, 1095, 315);
    chkFillGaps.Caption("Display Closest Previous Time Step");
    chkFillGaps.Move(240, 1560, 3735, 255);
    lblFillGaps.Caption("Display data that has a timestep that does not have an exact match to the current Chronova "
                        "time, but is close to the current Chronova time. This option can be considered as displaying "
                        "data that is persistent between time steps. ");
    lblFillGaps.Move(480, 1860, 4575, 855);
    chkUpdateTOC.Caption("Display Actual Layer Time in TOC");
    chkUpdateTOC.Move(480, 2760, 3735, 255);
    fraPlayback.Caption("Playback Options");
    fraPlayback.Move(120, 3150, 5055, 615);
    chkLoop.Caption("Loop Animation");
    chkLoop.Move(240, 3420, 2415, 255);
    cmdButton[0].Caption("Done");
    cmdButton[1].Caption("Cancel");
    cmdButton[0].Move(2760, 3960, 1095, 375);
    cmdButton[1].Move(3960, 3960, 1095, 375);
}

void frmDisplayOptions::ConnectControls() {
    for (int16_t k = 0; k < 2; ++k) {
        const auto index = static_cast<size_t>(k);
        connections_.emplace_back(optDisplayType[index].Click.Connect([this, k] { optDisplayType_Click(k); }));
        connections_.emplace_back(cmdButton[index].Click.Connect([this, k] { cmdButton_Click(k); }));
    }
    connections_.emplace_back(chkFillGaps.Click.Connect([this] { chkFillGaps_Click(); }));
    connections_.emplace_back(cmdCalc.Click.Connect([this] { cmdCalc_Click(); }));
}

// ---- Opening and closing ----

void frmDisplayOptions::Form_Load() {
    Trap("Form_Load ", kModule, TrapKind::TopLevel, [&] {
        // Messages shown while the dialog is open belong to it.
        lPrevOwner = g_hWndOwner;
        g_hWndOwner = hWnd();
        iPrevDisplayType = g_iDisplayType;
        lPrevInterval = g_lDisplayInterval;
        bClosedByButton = false;
        Window.CenterOnScreen();
        Window.OwnerWindow(g_pApp ? g_pApp->hWnd() : 0);

        chkFillGaps.Value(CheckValue(g_bFillGaps));
        // Selecting runs the option's handler, also when the same option was selected at the last opening.
        const size_t type = g_iDisplayType == kDisplayUniquePoints ? 1 : 0;
        optDisplayType[type].Value(false);
        optDisplayType[type].Value(true);
        chkLoop.Value(CheckValue(g_bLoopAnimation));
        chkUpdateTOC.Value(CheckValue(g_bUpdateTOC));
        // The check box raised no Click when it kept its state, so its dependant is set here.
        chkFillGaps_Click();
        SetInterval();
    });
}

void frmDisplayOptions::Form_Unload() {
    Trap("Form_Unload ", kModule, TrapKind::TopLevel, [&] {
        // Closing the window is cancelling: "Calculate" may have changed the display type and the interval.
        if (!bClosedByButton) {
            RestoreOpeningValues();
        }
        g_hWndOwner = lPrevOwner;
    });
}

void frmDisplayOptions::RestoreOpeningValues() {
    g_iDisplayType = iPrevDisplayType;
    g_lDisplayInterval = lPrevInterval;
}

// ---- Controls ----

void frmDisplayOptions::optDisplayType_Click(int16_t Index) {
    optDisplayType[Index == 0 ? 1 : 0].Value(false);
    const bool fixed_interval = Index == 0;
    for (auto& box : txtInterval) {
        box.Enabled(fixed_interval);
    }
    cmdCalc.Enabled(fixed_interval);
}

void frmDisplayOptions::chkFillGaps_Click() {
    // The table-of-contents box keeps its check mark while disabled; only fill-gaps makes it matter.
    chkUpdateTOC.Enabled(chkFillGaps.Value() == CheckBox::kChecked);
}

void frmDisplayOptions::UpdateInterval() {
    Trap("UpdateInterval ", kModule, TrapKind::TopLevel, [&] {
        using platform::Val;
        using slider_math::RoundLong;
        // Each step rounds, halves to even, so fractions of one unit are settled before the next is added.
        int32_t minutes = RoundLong(Val(txtInterval[2].Text()));
        minutes = RoundLong(minutes + Val(txtInterval[1].Text()) * kMinutesPerHour);
        minutes = RoundLong(minutes + Val(txtInterval[0].Text()) * kMinutesPerDay);
        g_lDisplayInterval = minutes;
    });
}

void frmDisplayOptions::SetInterval() {
    Trap("SetInterval ", kModule, TrapKind::TopLevel, [&] {
        const int32_t total = g_lDisplayInterval;
        const int32_t days = total / kMinutesPerDay;
        const int32_t hours = (total - days * kMinutesPerDay) / kMinutesPerHour;
        const int32_t minutes = total - days * kMinutesPerDay - hours * kMinutesPerHour;
        txtInterval[0].Text(std::to_string(days));
        txtInterval[1].Text(std::to_string(hours));
        txtInterval[2].Text(std::to_string(minutes));
    });
}

void frmDisplayOptions::cmdCalc_Click() {
    Trap("cmdCalc_Click ", kModule, TrapKind::TopLevel, [&] {
        g_iDisplayType = kDisplayInterval;
        // -1 stands for "no layer yet", and stays when there is none.
        g_lDisplayInterval = -1;
        if (g_Layers) {
            for (const auto& record : g_Layers->NewEnum()) {
                ArcObjects::RetrieveTimeInfo(record.get());
                if (record->Interval < g_lDisplayInterval || g_lDisplayInterval == -1) {
                    g_lDisplayInterval = record->Interval;
                }
            }
        }
        SetInterval();
    });
}

void frmDisplayOptions::cmdButton_Click(int16_t Index) {
    Trap("cmdButton_Click ", kModule, TrapKind::TopLevel, [&] {
        if (Index == 0) {
            Accept();
        } else if (Index == 1) {
            RestoreOpeningValues();
            bClosedByButton = true;
            Unload();
        }
    });
}

void frmDisplayOptions::Accept() {
    const BusyPointer busy;
    g_bFillGaps = chkFillGaps.Value() == CheckBox::kChecked;
    g_iDisplayType = optDisplayType[1].Value() ? kDisplayUniquePoints : kDisplayInterval;
    g_bUpdateTOC = chkUpdateTOC.Value() == CheckBox::kChecked;
    // The steps and the shared step list follow the new display type.
    g_dteUniqueTimes.assign(1, platform::Date());
    RetrieveAllTimeInfo();
    g_bLoopAnimation = chkLoop.Value() == CheckBox::kChecked;
    WriteSettings();
    UpdateInterval();
    bClosedByButton = true;
    Unload();
}

void frmDisplayOptions::WriteSettings() {
    using modRegistry::RegistryWriteString;
    using platform::BoolText;
    using platform::HKEY_CURRENT_USER;
    // A value that cannot be written only stays at its old setting; the settings store has said why.
    RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey, "Display_Type", std::to_string(g_iDisplayType));
    RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey, "Fill_Gaps", BoolText(g_bFillGaps));
    RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey, "Loop_Animation", BoolText(g_bLoopAnimation));
    RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey, "UpdateTOC", BoolText(g_bUpdateTOC));
}

} // namespace chronova
