// How the slider draws itself: its pixel geometry (channel, thumb, tick marks) and the custom-draw conversation
// with the picture box it sits in.
#include "platform/ui/slider.h"

#include "platform/ui/picture_box.h"

#include <algorithm>
#include <limits>

namespace chronova::platform::ui {
namespace {

// The channel keeps this far from the left and right edges, so the thumb never leaves the control.
constexpr int32_t kChannelInset = 8;
constexpr int32_t kChannelHeight = 4;
constexpr int32_t kThumbWidth = 11;
constexpr int32_t kThumbHeight = 16;
// Tick marks fill the rows just above the bottom edge; the thumb ends one row above them.
constexpr int32_t kTickLength = 4;
constexpr int32_t kTickGap = 1;

constexpr int32_t kTickColor = 0x000000;
constexpr int32_t kChannelColor = 0xFFFFFF;
constexpr int32_t kChannelEdgeColor = 0x9A9A9A;
constexpr int32_t kThumbColor = 0xD77800;         // RGB(0, 120, 215)
constexpr int32_t kDisabledThumbColor = 0xCCCCCC; // greyed out

int32_t ClampToInt(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

PixelRect Slider::ClientRect() const noexcept {
    return {0, 0, Width() / kTwipsPerPixel, Height() / kTwipsPerPixel};
}

PixelRect Slider::ThumbRect() const noexcept {
    const PixelRect client = ClientRect();
    const int32_t bottom = client.bottom - kTickLength - kTickGap - 1;
    const int32_t x = ValueX(value_);
    return {x - kThumbWidth / 2, bottom - kThumbHeight, x + kThumbWidth / 2 + 1, bottom};
}

PixelRect Slider::ChannelRect() const noexcept {
    const PixelRect client = ClientRect();
    // Centred in the thumb's rows, whatever the value.
    const int32_t thumb_top = client.bottom - kTickLength - kTickGap - 1 - kThumbHeight;
    const int32_t top = thumb_top + (kThumbHeight - kChannelHeight) / 2;
    return {kChannelInset, top, client.right - kChannelInset, top + kChannelHeight};
}

int32_t Slider::ValueX(int32_t value) const noexcept {
    const PixelRect channel = ChannelRect();
    const int64_t first = channel.left + kThumbWidth / 2;
    if (max_ == min_) {
        return ClampToInt(first);
    }
    const int64_t usable = channel.Width() - kThumbWidth;
    return ClampToInt(first + (int64_t{value} - min_) * usable / (int64_t{max_} - min_));
}

int64_t Slider::TickValue(int64_t k) const noexcept {
    const int64_t direction = max_ >= min_ ? 1 : -1;
    return min_ + direction * k * tick_frequency_;
}

int32_t Slider::GetTicPos(int32_t index) const noexcept {
    if (index < 0 || index > GetNumTicks() - 3) {
        return -1;
    }
    return ValueX(ClampToInt(TickValue(int64_t{index} + 1)));
}

int32_t Slider::Notify(ICanvas& canvas, DrawStage stage, SliderPart part, const PixelRect& rect) const {
    if (container_ == nullptr) {
        return custom_draw::kDoDefault;
    }
    return container_->Notify(CustomDraw{*this, stage, part, rect, canvas});
}

void Slider::Paint(ICanvas& canvas) const {
    const PixelRect client = ClientRect();
    if (client.Empty()) {
        return;
    }
    const int32_t answer = Notify(canvas, DrawStage::PrePaint, SliderPart::None, client);
    if ((answer & custom_draw::kSkipDefault) != 0) {
        return;
    }
    canvas.FillRect(client, kButtonFaceColor, draw_mode::kCopyPen);

    const PixelRect channel = ChannelRect();
    const PixelRect ticks{channel.left, client.bottom - kTickLength - 1, channel.right, client.bottom - 1};
    struct Part {
        SliderPart part;
        PixelRect rect;
        void (Slider::*draw)(ICanvas&) const;
    };
    const Part parts[] = {
        {SliderPart::Tics, ticks, &Slider::DrawTicks},
        {SliderPart::Channel, channel, &Slider::DrawChannel},
        {SliderPart::Thumb, ThumbRect(), &Slider::DrawThumb},
    };
    const bool per_part = (answer & custom_draw::kNotifyItemDraw) != 0;
    for (const Part& part : parts) {
        const int32_t part_answer =
            per_part ? Notify(canvas, DrawStage::ItemPrePaint, part.part, part.rect) : custom_draw::kDoDefault;
        if ((part_answer & custom_draw::kSkipDefault) == 0) {
            (this->*part.draw)(canvas);
        }
        if ((part_answer & custom_draw::kNotifyPostPaint) != 0) {
            Notify(canvas, DrawStage::ItemPostPaint, part.part, part.rect);
        }
    }
    if ((answer & custom_draw::kNotifyPostPaint) != 0) {
        Notify(canvas, DrawStage::PostPaint, SliderPart::None, client);
    }
}

void Slider::DrawTicks(ICanvas& canvas) const {
    const PixelRect client = ClientRect();
    const int32_t top = client.bottom - kTickLength - 1;
    const int32_t count = GetNumTicks();
    // A long range puts many ticks on one pixel column; each column is drawn once.
    int32_t drawn_x = std::numeric_limits<int32_t>::min();
    for (int32_t k = 0; k < count; ++k) {
        const int32_t value = k == count - 1 ? max_ : ClampToInt(TickValue(k));
        const int32_t x = ValueX(value);
        if (x != drawn_x) {
            canvas.FillRect({x, top, x + 1, top + kTickLength}, kTickColor, draw_mode::kCopyPen);
            drawn_x = x;
        }
    }
}

void Slider::DrawChannel(ICanvas& canvas) const {
    const PixelRect channel = ChannelRect();
    canvas.FillRect(channel, kChannelColor, draw_mode::kCopyPen);
    canvas.FrameRect(channel, kChannelEdgeColor, 1, draw_mode::kCopyPen);
}

void Slider::DrawThumb(ICanvas& canvas) const {
    canvas.FillRect(ThumbRect(), Enabled() ? kThumbColor : kDisabledThumbColor, draw_mode::kCopyPen);
}

} // namespace chronova::platform::ui
