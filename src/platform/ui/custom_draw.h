#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/canvas.h"

namespace chronova::platform::ui {

class Slider;

/// Where a control stands in drawing itself when it asks its container, with the classic stage numbers.
enum class DrawStage : uint32_t {
    PrePaint = 0x00001,      ///< before anything is drawn
    PostPaint = 0x00002,     ///< after everything was drawn
    ItemPrePaint = 0x10001,  ///< before one part is drawn
    ItemPostPaint = 0x10002, ///< after one part was drawn
};

/// The parts a slider draws one after another: its tick marks, then its channel, then its thumb.
enum class SliderPart : int32_t {
    None = 0, ///< the whole control (PrePaint and PostPaint)
    Tics = 1,
    Thumb = 2,
    Channel = 3,
};

/// What the container answers, as bit flags with the classic values; 0 lets the control draw as usual.
namespace custom_draw {
inline constexpr int32_t kDoDefault = 0x00;
/// The control does not draw this part (or, at PrePaint, anything) itself.
inline constexpr int32_t kSkipDefault = 0x04;
/// Asks for ItemPostPaint after this part (or PostPaint after the whole control).
inline constexpr int32_t kNotifyPostPaint = 0x10;
/// Asks, at PrePaint, for ItemPrePaint before each part.
inline constexpr int32_t kNotifyItemDraw = 0x20;
} // namespace custom_draw

/// A custom-draw notification: a control tells its container what it is about to draw or has drawn, so that the
/// container can draw on the same canvas or change what the control draws.
struct CustomDraw {
    /// The control that draws; the container reads its range and tick positions from it.
    const Slider& from;
    DrawStage stage;
    SliderPart part;
    /// The part's rectangle in the control's pixels (the whole control for PrePaint and PostPaint).
    PixelRect rect;
    /// Where the control draws.
    ICanvas& canvas;
};

/// The procedure of a container window that answers the custom-draw notifications of the controls inside it. An
/// empty procedure answers custom_draw::kDoDefault.
using CustomDrawProcedure = std::function<int32_t(const CustomDraw&)>;

} // namespace chronova::platform::ui
