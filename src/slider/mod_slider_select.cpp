#include "slider/mod_slider_select.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "platform/ui/slider.h"

namespace chronova::modSliderSelect {
namespace {

using platform::ui::CustomDraw;
using platform::ui::CustomDrawProcedure;
using platform::ui::DrawStage;
using platform::ui::PixelRect;
using platform::ui::SliderPart;
namespace custom_draw = platform::ui::custom_draw;

// What the tick marks told at their last drawing: the range they were drawn for and where its ends lie.
struct TickCache {
    int32_t min = 0;
    int32_t max = 0;
    int32_t width = 0;
    int32_t count = 0;
};

struct ModuleState {
    platform::ui::PictureBox* picture = nullptr;
    int32_t window = 0; // the hooked box's window handle; 0 when none
    CustomDrawProcedure previous;
    bool active = false;
    bool recompute = false;
    bool drawn = false;

    int16_t start_pos = -1;
    int16_t end_pos = -1;
    std::string start_text;
    std::string end_text;

    std::optional<TickCache> ticks;
    int32_t first_tick_x = -3;
    int32_t last_tick_x = -2;

    PixelRect strip;
    int32_t span_color = kDefaultColor;
    int32_t label_color = kDefaultColor;
    int32_t label_background = platform::ui::kButtonFaceColor;
    std::optional<platform::ui::Font> font;
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

void ForgetSpan(ModuleState& state) {
    state.start_pos = -1;
    state.end_pos = -1;
    state.start_text.clear();
    state.end_text.clear();
    state.ticks.reset();
    state.first_tick_x = -3;
    state.last_tick_x = -2;
}

// After the tick marks were drawn: where the range's end ticks lie. The slider tells only the interior ticks, so
// the ends are found one spacing beyond the first and last of them. The width is part of the key, so a resized
// slider is measured again.
void MeasureTicks(ModuleState& state, const platform::ui::Slider& slider) {
    const TickCache now{slider.Min(), slider.Max(), slider.ClientRect().Width(), slider.GetNumTicks()};
    if (state.ticks && state.ticks->min == now.min && state.ticks->max == now.max && state.ticks->width == now.width) {
        return;
    }
    state.ticks = now;
    if (now.count > 3) {
        const int32_t first = slider.GetTicPos(0);
        const int32_t last = slider.GetTicPos(now.count - 3);
        const int32_t spacing = slider.GetTicPos(1) - first;
        state.first_tick_x = first - spacing;
        state.last_tick_x = last + spacing;
    } else if (now.count == 3) {
        state.first_tick_x = slider.GetTicPos(0);
        state.last_tick_x = state.first_tick_x;
    } else {
        state.first_tick_x = -3;
        state.last_tick_x = -2;
    }
}

// The x of a span end: an interior position takes its own tick, a position at or beyond an end of the range that
// end's tick.
int32_t PositionX(const ModuleState& state, const platform::ui::Slider& slider, int32_t position) {
    const int32_t low = std::min(state.ticks->min, state.ticks->max);
    const int32_t high = std::max(state.ticks->min, state.ticks->max);
    if (position > low && position < high) {
        return slider.GetTicPos(position - 1);
    }
    return position >= high ? state.last_tick_x : state.first_tick_x;
}

// Before the channel is drawn: work the strip out when asked to, then paint it and its texts.
void PaintStrip(ModuleState& state, const CustomDraw& notification) {
    if (state.recompute) {
        state.recompute = false;
        state.drawn = false;
        if (state.ticks && state.ticks->count > 2) {
            const int32_t x1 = PositionX(state, notification.from, state.start_pos);
            const int32_t x2 = PositionX(state, notification.from, state.end_pos);
            if (x1 != x2) {
                const PixelRect& channel = notification.rect;
                state.strip = {x1 >= 0 ? x1 : channel.left, channel.bottom, x2 >= 1 ? x2 : channel.right,
                               channel.bottom + kStripHeight};
                state.drawn = true;
            }
        }
    }
    if (!state.drawn) {
        return;
    }
    platform::ui::ICanvas& canvas = notification.canvas;
    canvas.FillRect(state.strip, state.span_color, platform::ui::draw_mode::kCopyPen);
    if ((state.start_text.empty() && state.end_text.empty()) || !state.font) {
        return;
    }
    platform::ui::TextStyle style;
    style.font = *state.font;
    style.color = state.label_color;
    style.background = state.label_background;
    const int32_t y = state.strip.top - kLabelRise;
    style.align = platform::ui::TextAlign::Left;
    canvas.Text(state.strip.left, y, state.start_text, style);
    style.align = platform::ui::TextAlign::Right;
    canvas.Text(state.strip.right, y, state.end_text, style);
}

// The hooked box's procedure: while the strip is wanted it asks for the tick marks' and the channel's stages;
// everything else goes to the procedure the box had before.
int32_t SliderAreaProcedure(int32_t window, const CustomDrawProcedure& previous, const CustomDraw& notification) {
    ModuleState& state = State();
    const auto pass_on = [&] { return previous ? previous(notification) : custom_draw::kDoDefault; };
    if (state.window != window || !state.active) {
        return pass_on();
    }
    switch (notification.stage) {
    case DrawStage::PrePaint:
        return custom_draw::kNotifyItemDraw;
    case DrawStage::ItemPrePaint:
        if (notification.part == SliderPart::Tics) {
            return custom_draw::kNotifyPostPaint;
        }
        if (notification.part == SliderPart::Channel) {
            PaintStrip(state, notification);
            return custom_draw::kDoDefault;
        }
        return pass_on();
    case DrawStage::ItemPostPaint:
        if (notification.part == SliderPart::Tics) {
            MeasureTicks(state, notification.from);
            return custom_draw::kDoDefault;
        }
        return pass_on();
    case DrawStage::PostPaint:
        return pass_on();
    }
    return pass_on();
}

} // namespace

bool HookSliderArea(platform::ui::PictureBox& picture) {
    ModuleState& state = State();
    ForgetSpan(state);
    if (state.window != picture.hWnd()) {
        CustomDrawProcedure previous = picture.WindowProcedure();
        const int32_t window = picture.hWnd();
        picture.WindowProcedure([window, previous](const CustomDraw& notification) {
            return SliderAreaProcedure(window, previous, notification);
        });
        state.previous = std::move(previous);
        state.picture = &picture;
        state.window = window;
    }
    state.active = false;
    state.recompute = false;
    state.drawn = false;
    state.span_color = kDefaultColor;
    state.label_color = kDefaultColor;
    state.label_background = platform::ui::kButtonFaceColor;
    state.font = LabelFont();
    return true;
}

bool UnhookSliderArea(platform::ui::PictureBox& picture) {
    ModuleState& state = State();
    if (state.window == 0 || state.window != picture.hWnd()) {
        return false;
    }
    ForgetSpan(state);
    picture.WindowProcedure(std::move(state.previous));
    state.previous = nullptr;
    state.font.reset();
    state.picture = nullptr;
    state.window = 0;
    state.active = false;
    state.recompute = false;
    state.drawn = false;
    return true;
}

bool Hooked() {
    return State().window != 0;
}

bool Hooked(const platform::ui::PictureBox& picture) {
    return State().window != 0 && State().window == picture.hWnd();
}

bool Active() {
    return State().active;
}

void Active(bool value) {
    State().active = value && Hooked();
}

void SetSelection(int16_t pos1, int16_t pos2, std::string_view text1, std::string_view text2) {
    ModuleState& state = State();
    state.start_pos = std::min(pos1, pos2);
    state.end_pos = std::max(pos1, pos2);
    state.start_text = text1;
    state.end_text = text2;
    RequestRepaint();
}

void ClearSelection() {
    ModuleState& state = State();
    state.start_pos = -1;
    state.end_pos = -1;
    state.start_text.clear();
    state.end_text.clear();
    RequestRepaint();
}

void RequestRepaint() {
    ModuleState& state = State();
    state.recompute = state.active;
    if (state.active && state.picture != nullptr) {
        state.picture->Refresh();
    }
}

int32_t SpanColor() {
    return State().span_color;
}

void SpanColor(int32_t color) {
    State().span_color = color;
}

int32_t LabelColor() {
    return State().label_color;
}

void LabelColor(int32_t color) {
    State().label_color = color;
}

platform::ui::Font LabelFont() {
    // 6 points on a screen of 96 pixels per inch: 6 * 96 / 72 = 8 pixels.
    return {"MS Sans Serif", 8, 300};
}

} // namespace chronova::modSliderSelect
