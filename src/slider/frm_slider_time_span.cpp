// The slider form's time span: the highlighted part of the axis that an automation client marks. The form keeps
// the span and the slider positions of its ends; the desktop window draws the strip from them.
#include "slider/frm_slider.h"

#include <algorithm>
#include <string>
#include <utility>

#include "datetime/mod_date_time.h"
#include "host/error_handling.h"
#include "platform/date_text.h"

namespace chronova {
namespace {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::Date;

} // namespace

bool frmSlider::TimeSpanActive() {
    return bSpanActive;
}

void frmSlider::TimeSpanActive(bool value) {
    bSpanActive = value;
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
            // The same span again keeps its strip; only new positions or label texts replace it.
            std::string start_text = bSpanLabels ? SpanText(s) : std::string();
            std::string finish_text = bSpanLabels ? SpanText(f) : std::string();
            iSpanStartPos = std::min(p1, p2);
            iSpanFinishPos = std::max(p1, p2);
            sSpanStartText = std::move(start_text);
            sSpanFinishText = std::move(finish_text);
        } else if (iSpanStartPos != -1 || iSpanFinishPos != -1) {
            iSpanStartPos = -1;
            iSpanFinishPos = -1;
            dteSpanStart = Date();
            dteSpanFinish = Date();
            sSpanStartText.clear();
            sSpanFinishText.clear();
        }
    });
}

void frmSlider::GetTimeSpan(Date& dteStart, Date& dteFinish) const {
    dteStart = dteSpanStart;
    dteFinish = dteSpanFinish;
}

std::string frmSlider::SpanText(Date dteTime) const {
    return bUseDateTime ? platform::DateToText(dteTime) : modDateTime::DateToDTG(dteTime);
}

} // namespace chronova
