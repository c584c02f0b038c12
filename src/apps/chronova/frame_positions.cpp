#include "apps/chronova/frame_positions.h"

#include "records/time_codes.h"
#include "slider/frm_slider.h"

namespace chronova::cli {

std::vector<int32_t> PositionsFromStartToFinish(const frmSlider& slider, const AxisState& axis) {
    const bool unique = axis.display_type == kDisplayUniquePoints;
    const int32_t start = slider.StartMinutes();
    const int32_t finish = slider.FinishMinutes();
    std::vector<int32_t> positions;
    for (int32_t position = 0; position <= axis.max_position; ++position) {
        const int32_t time = slider.TimeOfPosition(position);
        if (time > finish && !(position == 0 && !unique)) {
            break;
        }
        if (time >= start || !unique) {
            positions.push_back(position);
        }
    }
    return positions;
}

} // namespace chronova::cli
