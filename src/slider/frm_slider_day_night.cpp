// The day/night band under the slider: which slider positions fall in daylight and which at night at the place of
// the mapped data. Night stretches are painted grey and day stretches white with a pen ANDed onto the band's
// background, so night darkens it and day leaves it as it is.
#include "slider/frm_slider.h"

#include <exception>
#include <string>

#include "datetime/mod_date_time.h"
#include "host/error_handling.h"
#include "records/process_state.h"
#include "slider/checked_arithmetic.h"
#include "slider/mod_sunup.h"
#include "slider/time_axis.h"
#include "timeapply/mod_layers.h"

namespace chronova {
namespace {

using platform::Date;
using slider_math::ToInteger;
using slider_math::ToLong;

constexpr int32_t kDayColor = 0xFFFFFF;
constexpr int32_t kNightColor = 0x696969; // RGB(105, 105, 105)
// The pen paints a strip this many pixels thick along the band's top edge.
constexpr int32_t kBandPenWidth = 15;

enum class Light { Unknown, Day, Night };

// Day or night at a moment for one place. The sun's times depend only on the date, so the times of the last date
// asked for are kept: neighbouring positions mostly share their date.
class Daylight {
public:
    Daylight(double longitude, double latitude)
        : longitude_(static_cast<float>(longitude)), latitude_(static_cast<float>(latitude)) {}

    Light At(Date moment) {
        const platform::DateParts parts = moment.Parts();
        const int64_t day = (int64_t{parts.year} * 100 + parts.month) * 100 + parts.day;
        if (day != day_) {
            status_ = modSunup::SunTimes(moment, longitude_, latitude_, rise_, set_);
            day_ = day;
        }
        return modSunup::IsDaytime(moment, rise_, set_, status_) ? Light::Day : Light::Night;
    }

private:
    float longitude_;
    float latitude_;
    int64_t day_ = -1;
    float rise_ = -1;
    float set_ = -1;
    int32_t status_ = modSunup::status::kOnHorizon;
};

} // namespace

void frmSlider::DrawDayNight() {
    try {
        const int32_t iv = GetInterval();
        const int32_t start = modDateTime::DateToMinutes(StartTime());
        picDayNightBands.Cls();
        Light light = Light::Unknown;

        // One unit per tick, so that band positions line up with the slider's.
        const int16_t n = ToInteger(Slider1.GetNumTicks());
        picDayNightBands.Scale(0, 0, n, n);
        picDayNightBands.DrawWidth(kBandPenWidth);

        Daylight daylight(dLongitude, dLatitude);
        int32_t segment_start = 0;
        for (int32_t i = 1; i <= n; ++i) {
            // Sample i is the time one step after position i - 1.
            const Date moment = modDateTime::MinutesToDate(
                StepInterval().IsCalendar() ? TimeAxis(start, StepInterval(), g_iDisplayType, {}).TimeAt(i)
                                            : ToLong(int64_t{i} * iv + start));
            const Light now = daylight.At(moment);
            if (light == Light::Unknown) {
                light = now;
            } else if (now != light) {
                picDayNightBands.LineBox(segment_start, 0, i, 0, light == Light::Night ? kNightColor : kDayColor, true);
                light = now;
                segment_start = i;
            }
        }
        // The last stretch runs past the right edge in the light of the positions it covers.
        picDayNightBands.LineBox(segment_start, 0, n + 1, 0, light == Light::Night ? kNightColor : kDayColor, true);
    } catch (...) {
        // The band is only a hint: an error leaves it as far as it was drawn and goes to the debug output.
        const platform::AutomationError error = ErrorHandling::ErrorFromException(std::current_exception());
        modLayers::DebugOut("error in drawDayNight: " + error.Description() + " At " + ErrorHandling::ErrorLineText(0));
    }
}

} // namespace chronova
