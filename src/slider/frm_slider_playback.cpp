// The slider form's playback: applying the slider time to the layers, dragging, the playback tools and timers.
#include "slider/frm_slider.h"
#include "slider/next_slider_time.h"

#include "datetime/mod_date_time.h"
#include "gis/map/application.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"
#include "platform/ui/screen.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "timeapply/mod_layers.h"

namespace chronova {
namespace {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::ui::MousePointerShape;

void ShowPointer(MousePointerShape shape) {
    platform::ui::TheScreen().MousePointer(static_cast<int32_t>(shape));
}

} // namespace

void frmSlider::Slider1_Change() {
    if (bScrolling || !AxisValid()) {
        return;
    }
    const bool saved_lock = bLocked;
    bLocked = true;
    bool applying = true;
    std::shared_ptr<gis::Document> document;
    std::shared_ptr<gis::Map> map;
    Trap("Slider1_Change ", kModule, TrapKind::TopLevel, [&] {
        const int32_t time = GetCurrentSliderTime();
        const platform::Date date = modDateTime::MinutesToDate(time);
        formatted_labels_[2] = {!LabelsNeedTheirTimes() ? std::string() : LabelText(date, true), date};
        lblTime[2].Caption(LabelText(date, true));
        // The layers already show this time: only the label follows.
        if (time == lLastApplied) {
            applying = false;
            return;
        }
        lLastApplied = time;
        ShowPointer(MousePointerShape::Hourglass);

        if (!g_pApp || !g_pApp->Document() || !g_pApp->Document()->FocusMap()) {
            platform::RaiseError(platform::error::kObjectNotSet);
        }
        document = g_pApp->Document();
        map = document->FocusMap();
        const gis::Envelope extent = map->Extent();
        map->DelayDrawing(true);
        const std::vector<std::shared_ptr<LayerData>> records =
            g_Layers ? g_Layers->NewEnum() : std::vector<std::shared_ptr<LayerData>>{};
        for (const auto& record : records) {
            if (!record->isInitialized) {
                continue;
            }
            if (!modLayers::UpdateLayer(*record, date, NextSliderTime(*this, date))) {
                modLayers::HideLayer(*record);
            }
            // Only this layer's part of the view is redrawn; cached layers keep the images of the others.
            if (bFastRefresh) {
                map->PartialRefreshCached(gis::view_phase::kGeography, record->TheLayer, extent);
            } else {
                map->PartialRefresh(gis::view_phase::kGeography, record->TheLayer, extent);
            }
        }
    });
    if (applying) {
        // Also after a failed layer: the batch ends, the contents refresh and the pointer comes back.
        Trap("Slider1_Change ", kModule, TrapKind::TopLevel, [&] {
            if (map) {
                map->DelayDrawing(false);
            }
            if (document) {
                document->UpdateContents();
            }
        });
    }
    bLocked = saved_lock;
    if (applying) {
        ShowPointer(MousePointerShape::Default);
    }
}

void frmSlider::Slider1_Scroll() {
    Trap("Slider1_Scroll ", kModule, TrapKind::TopLevel, [&] {
        if (!AxisValid()) {
            return;
        }
        // While scrolling, writing the current time moves neither the slider nor the layers.
        bScrolling = true;
        CurrentTime(modDateTime::MinutesToDate(GetCurrentSliderTime()));
    });
    bScrolling = false;
}

void frmSlider::tb1_Click(std::string_view sID, int32_t /*lX*/, int32_t /*lY*/, bool bFlag) {
    Trap("tb1_Click ", kModule, TrapKind::TopLevel, [&] {
        if (!bFlag) {
            return;
        }
        if (tb1.Contains(sID)) {
            tb1.Buttons(sID).Value(false);
        }
        // Any tool stops a running playback first.
        bool was_playing = false;
        if (Timer1.Enabled() || Timer2.Enabled()) {
            Timer1.Enabled(false);
            Timer2.Enabled(false);
            DisconnectDisplayEvents();
            bDisplayDrawing = false;
            was_playing = true;
        }
        if (sID == "ID_REWIND") {
            Slider1.Value(Slider1.Min());
        } else if (sID == "ID_STEP") {
            Slider1.Value(Slider1.Value() == Slider1.Max() ? Slider1.Min() : Slider1.Value() + 1);
        } else if (sID == "ID_PLAY") {
            // Pressed while playing, the tool only stops.
            if (!was_playing) {
                ConnectDisplayEvents();
                Timer1.Enabled(true);
            }
        } else if (sID == "ID_FORWARD") {
            Slider1.Value(Slider1.Max());
        } else if (sID == "ID_PLAYBACK") {
            if (!was_playing) {
                ConnectDisplayEvents();
                Timer2.Enabled(true);
            }
        } else if (sID == "ID_STEPBACK") {
            Slider1.Value(Slider1.Value() == Slider1.Min() ? Slider1.Max() : Slider1.Value() - 1);
        }
    });
}

void frmSlider::Timer1_Timer() {
    Trap("Timer1_Timer ", kModule, TrapKind::TopLevel, [&] {
        // The next step waits until the host has drawn the previous one.
        if (bDisplayDrawing) {
            return;
        }
        if (g_bLoopAnimation && Slider1.Value() == Slider1.Max()) {
            Slider1.Value(Slider1.Min());
        }
        const int32_t value = Slider1.Value();
        if (value >= Slider1.Max()) {
            tb1_Click("ID_PLAY", 3, 3, true);
        } else {
            Slider1.Value(value + 1);
        }
    });
}

void frmSlider::Timer2_Timer() {
    Trap("Timer2_Timer ", kModule, TrapKind::TopLevel, [&] {
        if (bDisplayDrawing) {
            return;
        }
        if (g_bLoopAnimation && Slider1.Value() == Slider1.Min()) {
            Slider1.Value(Slider1.Max());
        }
        const int32_t value = Slider1.Value();
        if (value <= Slider1.Min()) {
            tb1_Click("ID_PLAYBACK", 3, 3, true);
        } else {
            Slider1.Value(value - 1);
        }
    });
}

void frmSlider::ConnectDisplayEvents() {
    DisconnectDisplayEvents();
    if (!g_pApp || !g_pApp->Document()) {
        return;
    }
    const std::shared_ptr<gis::IActiveView> view = g_pApp->Document()->ActiveView();
    if (!view || !view->ScreenDisplay()) {
        return;
    }
    gis::ScreenDisplay& display = *view->ScreenDisplay();
    display_started_ = display.DrawingStarted.Connect([this] { bDisplayDrawing = true; });
    display_finished_ = display.DrawingFinished.Connect([this] { bDisplayDrawing = false; });
}

void frmSlider::DisconnectDisplayEvents() {
    display_started_.Disconnect();
    display_finished_.Disconnect();
}

} // namespace chronova
