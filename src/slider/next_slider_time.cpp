#include "slider/next_slider_time.h"

#include <algorithm>

#include "datetime/mod_date_time.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "slider/frm_slider.h"

namespace chronova {

std::optional<platform::Date> NextSliderTime(const frmSlider& slider, platform::Date current) {
    if (g_iDisplayType == kDisplayUniquePoints) {
        const auto& times = g_dteUniqueTimes;
        const auto next = std::upper_bound(times.begin(), times.end(), current);
        if (next == times.end()) {
            return std::nullopt;
        }
        return *next;
    }
    return modDateTime::MinutesToDate(slider.TimeAfterInterval(modDateTime::DateToMinutes(current)));
}

} // namespace chronova
