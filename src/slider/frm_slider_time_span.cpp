// The slider form's time span: the highlighted part of the axis that an automation client marks. The form keeps
// the span's dates and the slider positions of its ends; modSliderSelect draws the strip while the slider paints.
#include "slider/frm_slider.h"

#include <algorithm>
#include <string>
#include <utility>

#include "datetime/mod_date_time.h"
#include "host/error_handling.h"
#include "platform/date_text.h"
#include "platform/ui/message_service.h"
#include "slider/mod_slider_select.h"

namespace chronova {
namespace {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::Date;

} // namespace

bool frmSlider::HookPicture1() {
    // Slider1 sits in Picture1, which hears its custom-draw notifications.
    Slider1.Container(&Picture1);
    if (!modSliderSelect::HookSliderArea(Picture1)) {
        platform::ui::MsgBox("Unable To SubClass Picture1", platform::ui::MsgBoxStyle::Critical, "Chronova Error!");
        return false;
    }
    // The tip would cover the texts at the strip's ends.
    Slider1.PositionTip(false);
    return true;
}

void frmSlider::UnhookPicture1() {
    modSliderSelect::UnhookSliderArea(Picture1);
}

void frmSlider::ClearTimeSpan() {
    bSpanActive = false;
    iSpanStartPos = -1;
    iSpanFinishPos = -1;
    dteSpanStart = Date();
    dteSpanFinish = Date();
    sSpanStartText.clear();
    sSpanFinishText.clear();
    // Another form's slider area may have taken the module over; its strip is not this form's to clear.
    if (modSliderSelect::Hooked(Picture1)) {
        modSliderSelect::Active(false);
        modSliderSelect::ClearSelection();
    }
}

bool frmSlider::TimeSpanActive() {
    Trap("TimeSpanActive ", kModule, TrapKind::TopLevel,
         [&] { bSpanActive = modSliderSelect::Hooked(Picture1) && modSliderSelect::Active(); });
    return bSpanActive;
}

void frmSlider::TimeSpanActive(bool value) {
    Trap("TimeSpanActive ", kModule, TrapKind::TopLevel, [&] {
        bSpanActive = value;
        if (modSliderSelect::Hooked(Picture1)) {
            modSliderSelect::Active(value);
            modSliderSelect::RequestRepaint();
        }
    });
}

void frmSlider::SetTimeSpan(Date dteStart, Date dteFinish) {
    Trap("TimeSpan ", kModule, TrapKind::TopLevel, [&] {
        if (!bSpanActive) {
            return;
        }
        const Date axis_start = StartTime();
        const Date axis_finish = FinishTime();
        Date s = dteStart;
        Date f = dteFinish;
        if (WholeSeconds(s) > WholeSeconds(f)) {
            std::swap(s, f);
        }
        if (WholeSeconds(s) < WholeSeconds(axis_start)) {
            s = axis_start;
        }
        if (WholeSeconds(s) > WholeSeconds(axis_finish)) {
            s = axis_finish;
            f = axis_finish;
        }
        if (WholeSeconds(f) < WholeSeconds(axis_start)) {
            s = axis_start;
            f = axis_start;
        }
        if (WholeSeconds(f) > WholeSeconds(axis_finish)) {
            f = axis_finish;
        }
        dteSpanStart = s;
        dteSpanFinish = f;
        const int16_t p1 = GetTickPosition(s);
        const int16_t p2 = GetTickPosition(f);
        if (p1 >= 0 && p2 >= 0) {
            // The same span again keeps its strip and takes the label texts as they are now wanted; the strip
            // is worked out anew, so a slider that changed its width since gets it on its new ticks.
            iSpanStartPos = std::min(p1, p2);
            iSpanFinishPos = std::max(p1, p2);
            sSpanStartText = bSpanLabels ? SpanText(s) : std::string();
            sSpanFinishText = bSpanLabels ? SpanText(f) : std::string();
            if (modSliderSelect::Hooked(Picture1)) {
                modSliderSelect::SetSelection(p1, p2, sSpanStartText, sSpanFinishText);
            }
        } else if (iSpanStartPos != -1 || iSpanFinishPos != -1) {
            iSpanStartPos = -1;
            iSpanFinishPos = -1;
            dteSpanStart = Date();
            dteSpanFinish = Date();
            sSpanStartText.clear();
            sSpanFinishText.clear();
            if (modSliderSelect::Hooked(Picture1)) {
                modSliderSelect::ClearSelection();
            }
        }
    });
}

void frmSlider::GetTimeSpan(Date& dteStart, Date& dteFinish) const {
    dteStart = dteSpanStart;
    dteFinish = dteSpanFinish;
}

void frmSlider::TimeSpanLabelEnabled(bool value) {
    if (value != bSpanLabels) {
        bSpanLabels = value;
        modSliderSelect::RequestRepaint();
    }
}

int32_t frmSlider::TimeSpanColor() const {
    return modSliderSelect::SpanColor();
}

void frmSlider::TimeSpanColor(int32_t value) {
    if (value != modSliderSelect::SpanColor()) {
        modSliderSelect::SpanColor(value);
        modSliderSelect::RequestRepaint();
    }
}

int32_t frmSlider::TimeSpanLabelColor() const {
    return modSliderSelect::LabelColor();
}

void frmSlider::TimeSpanLabelColor(int32_t value) {
    if (value != modSliderSelect::LabelColor()) {
        modSliderSelect::LabelColor(value);
        modSliderSelect::RequestRepaint();
    }
}

std::string frmSlider::SpanText(Date dteTime) const {
    return bUseDateTime ? platform::DateToText(dteTime) : modDateTime::DateToDTG(dteTime);
}

} // namespace chronova
