// The slider form's queries and commands for programs: a snapshot of the axis, and moving or stepping the slider
// with the same effects as the controls.
#include "datetime/mod_date_time.h"
#include "records/process_state.h"
#include "slider/frm_slider.h"
#include "slider/time_axis.h"

namespace chronova {

AxisState frmSlider::Snapshot() {
    AxisState state;
    state.valid = Valid();
    state.display_type = g_iDisplayType;
    state.position = Slider1.Value();
    state.max_position = Slider1.Max();
    state.position_count = state.max_position + 1;
    state.interval = GetInterval();
    state.interval_text = Label1[2].Caption();
    state.start_label = lblTime[0].Caption();
    state.finish_label = lblTime[1].Caption();
    state.current_label = lblTime[2].Caption();
    if (state.valid) {
        state.current_time = modDateTime::MinutesToDate(GetCurrentSliderTime());
    }
    return state;
}

void frmSlider::GoToPosition(int32_t position) {
    if (Slider1.Value() == position) {
        // The control raises no change for its own value, but a new range may have moved its time.
        Slider1_Change();
    } else {
        Slider1.Value(position);
    }
}

int32_t frmSlider::TimeOfPosition(int32_t position) const {
    return Axis().TimeAt(position);
}

void frmSlider::Step(int32_t direction) {
    if (direction > 0) {
        tb1_Click("ID_STEP", 0, 0, true);
    } else if (direction < 0) {
        tb1_Click("ID_STEPBACK", 0, 0, true);
    }
}

} // namespace chronova
