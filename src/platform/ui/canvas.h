#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace chronova::platform::ui {

/// Classic raster modes: how a pen's colour combines with the pixels under it, by the numbers forms use (1..16).
namespace draw_mode {
inline constexpr int32_t kBlackness = 1;
inline constexpr int32_t kNotMergePen = 2;
inline constexpr int32_t kMaskNotPen = 3;
inline constexpr int32_t kNotCopyPen = 4;
inline constexpr int32_t kMaskPenNot = 5;
inline constexpr int32_t kInvert = 6;
inline constexpr int32_t kXorPen = 7;
inline constexpr int32_t kNotMaskPen = 8;
/// The pen ANDed with the background: white leaves it as it is, darker colours darken it.
inline constexpr int32_t kMaskPen = 9;
inline constexpr int32_t kNotXorPen = 10;
inline constexpr int32_t kNop = 11;
inline constexpr int32_t kMergeNotPen = 12;
inline constexpr int32_t kCopyPen = 13;
inline constexpr int32_t kMergePenNot = 14;
inline constexpr int32_t kMergePen = 15;
inline constexpr int32_t kWhiteness = 16;
} // namespace draw_mode

/// The colour of button faces and window frames that controls are drawn on, as 0x00BBGGRR.
inline constexpr int32_t kButtonFaceColor = 0xF0F0F0;

/// A rectangle in pixels; right and bottom lie just outside it, so its width is right - left.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const noexcept { return right - left; }
    int32_t Height() const noexcept { return bottom - top; }
    bool Empty() const noexcept { return right <= left || bottom <= top; }

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// Where text stands relative to its anchor point: the anchor is its left edge, right edge or centre; the anchor's
/// y is always the top of the text.
enum class TextAlign { Left, Right, Center };

/// A font as forms ask for one. A name the display lacks falls back to a similar font there.
struct Font {
    std::string name = "MS Sans Serif";
    /// Height of the characters in pixels.
    int32_t pixel_height = 11;
    /// 100 (thin) to 900 (black); 400 is regular, 700 bold.
    int32_t weight = 400;

    friend bool operator==(const Font&, const Font&) = default;
};

/// How a piece of text is drawn.
struct TextStyle {
    Font font;
    /// Colour of the characters, as 0x00BBGGRR.
    int32_t color = 0;
    /// Fills the text's box with this colour first; none leaves what is under the text.
    std::optional<int32_t> background;
    TextAlign align = TextAlign::Left;
};

/// A surface that controls and pictures draw on, in pixels from its top-left corner: what a device context is to a
/// window. It keeps the system free of any drawing toolkit; the map host's drawing library implements it over an
/// image. Colours are 0x00BBGGRR; draw modes are the classic raster modes above. Drawing outside the surface is
/// clipped.
class ICanvas {
public:
    virtual ~ICanvas() = default;

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;

    /// Fills a rectangle with a colour, combined with the pixels by the draw mode.
    virtual void FillRect(const PixelRect& rect, int32_t color, int32_t mode) = 0;
    /// Outlines a rectangle with a ring pen_width pixels wide just inside its edges (all of it when the ring meets
    /// itself); every pixel is drawn once, so xor outlines keep their corners.
    virtual void FrameRect(const PixelRect& rect, int32_t color, int32_t pen_width, int32_t mode) = 0;
    /// A straight line between two pixel centres with a pen of pen_width pixels.
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t pen_width,
                      int32_t mode) = 0;
    /// Text with its top at y and its anchor at x (see TextAlign). Text ignores the draw mode, as on screen.
    virtual void Text(int32_t x, int32_t y, std::string_view text, const TextStyle& style) = 0;
};

} // namespace chronova::platform::ui
