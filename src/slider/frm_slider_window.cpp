// The slider form as a window: its design sizes, the layout that follows the window's size, and the handlers of
// its buttons, time labels and logo.
#include "slider/frm_slider.h"

#include "datetime/mod_date_time.h"
#include "host/error_handling.h"
#include "host/mod_registry.h"
#include "platform/desktop_opener.h"
#include "platform/settings_store.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "slider/frm_display_options.h"
#include "slider/layer_dialog_service.h"

#include <algorithm>
#include <cmath>

namespace chronova {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::Date;
using platform::ui::kTwipsPerPixel;

namespace {

constexpr std::string_view kProductKey = "Software\\Veltrane\\Chronova";
constexpr std::string_view kMakerKey = "SOFTWARE\\Veltrane Software";
// The gap between the rows of the window: 5 pixels.
constexpr int32_t kGap = 5 * kTwipsPerPixel;
// The slider sits this far below the labels on the first layout after loading.
constexpr int32_t kFirstLayoutOffset = 50;
// The frame of buttons sits this far below the band.
constexpr int32_t kFrameOffset = 10;

} // namespace

// Sizes the controls have at design time, in twips; the layout moves them and stretches the slider and band.
void frmSlider::DesignWindow() {
    for (auto& label : lblTime) {
        label.Move(0, 0, 2700, 195);
    }
    Slider1.Move(0, 195 + kGap, 6000, 450);
    picDayNight.Visible(false);
    picDayNightBands.Move(0, Slider1.Top() + Slider1.Height(), 6000, 225);
    fraCenterFrame.Move(0, picDayNightBands.Top() + picDayNightBands.Height() + kFrameOffset, 6600, 495);
    cmdSelectLayers.Caption("Select Layers...");
    cmdDisplayOptions.Caption("Display Options...");
    picLogo.Move(0, 0, 1440, 360);
    picPowered.Move(0, 0, 1440, 360);

    window_events_.emplace_back(Picture1.Resize.Connect([this] { Picture1_Resize(); }));
    window_events_.emplace_back(cmdSelectLayers.Click.Connect([this] { cmdSelectLayers_Click(); }));
    window_events_.emplace_back(cmdDisplayOptions.Click.Connect([this] { cmdDisplayOptions_Click(); }));
    window_events_.emplace_back(picPowered.Click.Connect([this] { picPowered_Click(); }));
    for (int16_t k = 0; k < static_cast<int16_t>(lblTime.size()); ++k) {
        window_events_.emplace_back(lblTime[static_cast<size_t>(k)].Click.Connect([this, k] { lblTime_Click(k); }));
    }
}

bool frmSlider::Branded() {
    // The maker's key is asked only when the product's own key does not turn the branding off.
    if (modRegistry::RegistryReadString(platform::HKEY_LOCAL_MACHINE, kProductKey, "Mode") == "1") {
        return false;
    }
    return modRegistry::RegistryReadString(platform::HKEY_LOCAL_MACHINE, kMakerKey, "Mode") != "1";
}

// The window's arrangement when it loads: labels on top, the slider a gap below them, the band and the buttons
// under the slider, and Picture1 tall enough for all of them.
void frmSlider::LoadWindow() {
    const bool branded = Branded();
    bFirstLayout = true;
    for (auto& label : lblTime) {
        label.Top(0);
    }
    Slider1.Top(lblTime[0].Height() + kGap);
    picDayNightBands.Top(Slider1.Top() + Slider1.Height());
    fraCenterFrame.Top(picDayNightBands.Top() + picDayNightBands.Height() + kFrameOffset);
    Picture1.Height(std::max(Picture1.Height(), fraCenterFrame.Top() + fraCenterFrame.Height()));
    picLogo.Visible(branded);
    picPowered.Visible(branded);
}

void frmSlider::Picture1_Resize() {
    Trap("Picture1_Resize ", kModule, TrapKind::TopLevel, [&] {
        const int32_t width = Picture1.Width();
        const int32_t height = Picture1.Height();
        if (width == 0 || height == 0) {
            return;
        }
        const int32_t label_height = lblTime[0].Height();
        const int32_t old_slider_width = Slider1.Width();

        // Top to bottom: the time labels, the slider, the band exactly under the slider (band positions line up
        // with slider positions), then the frame of buttons.
        const int32_t slider_top = label_height + (bFirstLayout ? kFirstLayoutOffset : kGap);
        bFirstLayout = false;
        Slider1.Move(0, slider_top, width, Slider1.Height());
        picDayNight.Visible(false);
        picDayNightBands.Move(Slider1.Left(), Slider1.Top() + Slider1.Height(), Slider1.Width(),
                              picDayNightBands.Height());
        const int32_t frame_top = picDayNightBands.Top() + picDayNightBands.Height() + kFrameOffset;
        fraCenterFrame.Move((width - fraCenterFrame.Width()) / 2, frame_top, fraCenterFrame.Width(),
                            fraCenterFrame.Height());

        // Left to right: the start label at the left, the current time centred, the finish label right-aligned.
        lblTime[0].Move(0, 0, lblTime[0].Width(), label_height);
        lblTime[2].Move((width - lblTime[2].Width()) / 2, 0, lblTime[2].Width(), label_height);
        lblTime[1].Move(width - lblTime[1].Width(), 0, lblTime[1].Width(), label_height);
        picLogo.Move(0, height - picLogo.Height(), picLogo.Width(), picLogo.Height());
        picPowered.Move(width - picPowered.Width(), height - picPowered.Height(), picPowered.Width(),
                        picPowered.Height());

        if (TimeSpanActive() && std::abs(Slider1.Width() - old_slider_width) > 0.00001) {
            // The strip's ends follow the ticks, which moved with the slider's width.
            SetTimeSpan(dteSpanStart, dteSpanFinish);
        }
    });
}

void frmSlider::cmdSelectLayers_Click() {
    Trap("cmdSelectLayers_Click ", kModule, TrapKind::TopLevel, [&] { OpenLayerDialog(); });
}

void frmSlider::cmdDisplayOptions_Click() {
    Trap("cmdDisplayOptions_Click ", kModule, TrapKind::TopLevel, [&] {
        g_lDisplayInterval = GetInterval();
        frmDisplayOptions dialog;
        dialog.Show(platform::ui::FormShow::Modal);
        if (dialog.Loaded()) {
            dialog.Unload();
        }
        // The interval is applied again even when the dialog left it as it was.
        SetInterval(g_lDisplayInterval);
        if (g_iDisplayType != kDisplayUniquePoints) {
            DrawDayNight();
        } else {
            picDayNightBands.Cls();
        }
    });
}

void frmSlider::lblTime_Click(int16_t Index) {
    Trap("lblTime_Click ", kModule, TrapKind::TopLevel, [&] {
        if (Index < 0 || Index >= static_cast<int16_t>(lblTime.size())) {
            platform::RaiseError(platform::error::kSubscriptOutOfRange);
        }
        const std::string& text = lblTime[static_cast<size_t>(Index)].Caption();
        int32_t minutes = bUseDateTime ? modDateTime::TextToMinutes(text) : modDateTime::DTGToMinutes(text);
        if (modDateTime::PickDateTime(minutes) <= 0) {
            return;
        }
        const Date chosen = modDateTime::MinutesToDate(minutes);
        if (Index == 0) {
            StartTime(chosen);
        } else if (Index == 1) {
            FinishTime(chosen);
        } else {
            CurrentTime(chosen);
        }
    });
}

void frmSlider::picPowered_Click() {
    Trap("picPowered_Click ", kModule, TrapKind::TopLevel, [&] {
        const std::string link =
            modRegistry::RegistryReadString(platform::HKEY_LOCAL_MACHINE, kProductKey, "VeltraneLink");
        if (!link.empty()) {
            platform::CurrentDesktopOpener().Open(link);
        }
    });
}

} // namespace chronova
