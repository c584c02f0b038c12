#pragma once

#include <QImage>
#include <cstdint>

namespace chronova {
class frmSlider;
} // namespace chronova

namespace chronova::cli {

/// The slider window's time axis as a strip under an exported frame: the start and finish labels, the slider with
/// its thumb on the current position and the span's strip that the slider's hook paints, and the day/night band
/// under the slider, all drawn from the slider form by the code the window uses. Off the window, the form's
/// slider and band take the frame's width.
class TimelineStrip {
public:
    /// Lays the slider and the band out for frames of the given width and draws the band for the axis as it now
    /// stands (the band exists only in the fixed-interval mode). The form must outlive the strip.
    TimelineStrip(frmSlider& form, int32_t width);

    /// The row of the strip where the slider begins: a margin and a row of labels lie above it.
    static constexpr int32_t kMargin = 4;
    static constexpr int32_t kLabelRowHeight = 15;
    static constexpr int32_t kSliderTop = kMargin + kLabelRowHeight;

    /// Height of the strip in pixels.
    int32_t Height() const noexcept { return height_; }
    /// The strip with the slider at its present position.
    QImage Draw() const;

private:
    frmSlider& form_;
    int32_t width_;
    int32_t slider_height_;
    int32_t band_height_;
    int32_t height_;
};

} // namespace chronova::cli
