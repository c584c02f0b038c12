#pragma once

#include <cstdint>
#include <string_view>

#include "platform/ui/canvas.h"
#include "platform/ui/picture_box.h"

// The highlighted time span on the slider: a coloured strip just below the slider's channel, from the tick of the
// span's start to the tick of its end, with optional texts at its ends. The module subclasses the picture box the
// slider sits in and paints the strip while the slider draws itself, from the slider's custom-draw notifications.
// It serves one slider area at a time: hooking another picture box takes over from the one hooked before.
namespace chronova::modSliderSelect {

/// How far below the channel's bottom the strip reaches, in pixels.
inline constexpr int32_t kStripHeight = 5;
/// How far above the strip's top the texts stand, in pixels.
inline constexpr int32_t kLabelRise = 18;
/// The span and label colour after hooking: red, as 0x00BBGGRR.
inline constexpr int32_t kDefaultColor = 0x0000FF;

/// Subclasses the picture box that holds the slider: forgets any span, takes the box's custom-draw notifications,
/// sets both colours to red and makes the label font. Returns true once the box is hooked.
bool HookSliderArea(platform::ui::PictureBox& picture);
/// Ends the subclassing of the box when it is the hooked one: puts its previous procedure back, forgets the span
/// and the font and switches the strip off. False for any other box.
bool UnhookSliderArea(platform::ui::PictureBox& picture);
/// True while a picture box is hooked.
bool Hooked();
/// True while this picture box is the hooked one.
bool Hooked(const platform::ui::PictureBox& picture);

/// True while span drawing is wanted and a box is hooked.
bool Active();
//! Wants span drawing (true) or not; it only takes effect while a box is hooked.
void Active(bool value);

/// Marks the slider positions of the span's ends (in either order) and the texts drawn at them (empty for
/// none), and asks for a repaint.
void SetSelection(int16_t pos1, int16_t pos2, std::string_view text1, std::string_view text2);
/// Forgets the span's positions and texts, and asks for a repaint.
void ClearSelection();
/// Asks for the strip to be worked out again at the next paint and, while active, for the slider area to be
/// painted again.
void RequestRepaint();

int32_t SpanColor();
void SpanColor(int32_t color);
int32_t LabelColor();
void LabelColor(int32_t color);

/// The font of the texts: "MS Sans Serif" of 6 points on a 96-dpi screen, light.
platform::ui::Font LabelFont();

} // namespace chronova::modSliderSelect
