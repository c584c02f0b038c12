#pragma once

#include "platform/event.h"
#include "platform/ui/canvas.h"
#include "platform/ui/control.h"
#include "platform/ui/custom_draw.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform::ui {

/// One recorded drawing operation of a picture box.
struct DrawOperation {
    enum class Kind { Cls, Scale, Box, DrawMode, Line, Text };

    Kind kind = Kind::Cls;
    double x1 = 0;         ///< Scale: left; Box, Line: first corner or end; Text: anchor
    double y1 = 0;         ///< Scale: top; Text: top of the text
    double x2 = 0;         ///< Scale: right; Box, Line: opposite corner or end
    double y2 = 0;         ///< Scale: bottom
    int32_t color = 0;     ///< Cls: back colour; Box, Line, Text: colour as 0x00BBGGRR
    bool filled = false;   ///< Box: filled with its colour rather than outlined
    int32_t draw_mode = 0; ///< DrawMode: the raster mode (13 copy pen, 7 xor pen, ...)
    int32_t pen_width = 1; ///< Box, Line: the pen's width in pixels
    std::string text;      ///< Text: what is written
    std::string font_name; ///< Text: the font
    double font_size = 0;  ///< Text: the font size in points
    bool font_bold = false;
    TextAlign align = TextAlign::Left; ///< Text: which end of the text the anchor is

    friend bool operator==(const DrawOperation&, const DrawOperation&) = default;
};

/// A headless picture box: records what is drawn on it so that tests can read it and a display can replay it
/// (PaintPicture). Cls starts a new record (with the coordinates and draw mode still in force), so the record never
/// holds more than the current picture. Each drawing call raises Changed, as the picture shown changed. Controls placed
/// inside the box send it their custom-draw notifications, which its window procedure answers.
class PictureBox : public Control {
public:
    /// Classic raster modes the system uses (all sixteen are in draw_mode).
    static constexpr int32_t kCopyPen = draw_mode::kCopyPen;
    static constexpr int32_t kXorPen = draw_mode::kXorPen;
    static constexpr int32_t kMaskPen = draw_mode::kMaskPen;
    /// Classic fill styles: solid fill, or no fill at all.
    static constexpr int32_t kFillSolid = 0;
    static constexpr int32_t kFillTransparent = 1;

    PictureBox();
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;

    /// The box's own window handle, unique in the process; the dockable window hosts the content by it.
    int32_t hWnd() const noexcept { return hwnd_; }

    /// Clears the picture to the back colour.
    void Cls();
    /// Sets the user coordinates of the picture: (x1, y1) is the top-left corner, (x2, y2) the bottom-right.
    void Scale(double x1, double y1, double x2, double y2);
    /// Draws a box between two corners with the pen of DrawWidth, outlined or filled with the colour.
    void LineBox(double x1, double y1, double x2, double y2, int32_t color, bool filled);
    /// Draws a line between two points with the pen of DrawWidth.
    void Line(double x1, double y1, double x2, double y2, int32_t color);
    /// Writes text in the font and fore colour in force, its top at y and the given end (or centre) at x.
    void DrawText(double x, double y, std::string_view text, TextAlign align = TextAlign::Left);

    int32_t DrawWidth() const noexcept { return draw_width_; }
    //! Width in pixels of the pen of later lines and boxes, 1..32767 (else error 380).
    void DrawWidth(int32_t pixels);

    int32_t DrawMode() const noexcept { return draw_mode_; }
    //! Changes how later drawing combines with the picture (1..16, else error 380); recorded only when it
    //! really changes.
    void DrawMode(int32_t mode);

    int32_t BackColor() const noexcept { return back_color_; }
    //! The colour Cls clears to, and that a display shows under the record.
    void BackColor(int32_t color);
    int32_t ForeColor() const noexcept { return fore_color_; }
    //! Colour of the pen and of text drawn without a colour of their own, as 0x00BBGGRR.
    void ForeColor(int32_t color) noexcept { fore_color_ = color; }
    int32_t FillStyle() const noexcept { return fill_style_; }
    //! How closed shapes are filled: 0 solid, 1 transparent, 2..7 hatch patterns; error 380 otherwise.
    void FillStyle(int32_t style);

    const std::string& FontName() const noexcept { return font_name_; }
    //! Font of text drawn on the picture; a name the display lacks falls back to a similar font there.
    void FontName(std::string_view name) { font_name_ = name; }
    double FontSize() const noexcept { return font_size_; }
    //! Font size in points; error 380 unless above 0 and at most 2160.
    void FontSize(double points);
    bool FontBold() const noexcept { return font_bold_; }
    void FontBold(bool value) noexcept { font_bold_ = value; }

    double ScaleLeft() const noexcept { return scale_left_; }
    double ScaleTop() const noexcept { return scale_top_; }
    double ScaleWidth() const noexcept { return scale_width_; }
    double ScaleHeight() const noexcept { return scale_height_; }

    /// The operations since the last Cls, that Cls first.
    const std::vector<DrawOperation>& Operations() const noexcept { return operations_; }

    /// Raised after the box's width or height changed, from code as from the user resizing its window.
    Event<> Resize;
    /// Raised when the user clicks the picture (a logo that opens a link).
    Event<> Click;

    /// The user clicks the picture: raises Click unless the box is disabled or hidden.
    void UserClick() {
        if (Enabled() && Visible()) {
            Click.Fire();
        }
    }

    /// The procedure that answers the custom-draw notifications of the controls inside the box; empty answers
    /// custom_draw::kDoDefault.
    const CustomDrawProcedure& WindowProcedure() const noexcept { return window_procedure_; }
    //! Replaces the procedure (subclassing the box) and returns the one it replaces, which the new procedure
    //! calls for what it leaves alone and which is put back to end the subclassing.
    CustomDrawProcedure WindowProcedure(CustomDrawProcedure procedure);
    /// Answers a custom-draw notification through the window procedure.
    int32_t Notify(const CustomDraw& notification) const;

    /// Asks the display to paint the box again, and the controls inside it: raises Invalidated.
    void Refresh() { Invalidated.Fire(); }
    /// Raised by Refresh.
    Event<> Invalidated;

private:
    void Resized() override { Resize.Fire(); }
    void Record(DrawOperation op);

    std::vector<DrawOperation> operations_;
    int32_t hwnd_;
    int32_t draw_mode_ = kCopyPen;
    int32_t draw_width_ = 1;
    CustomDrawProcedure window_procedure_;
    int32_t back_color_ = 0xFFFFFF;
    int32_t fore_color_ = 0x000000;
    int32_t fill_style_ = kFillTransparent;
    std::string font_name_ = "MS Sans Serif";
    double font_size_ = 8.25;
    bool font_bold_ = false;
    double scale_left_ = 0;
    double scale_top_ = 0;
    double scale_width_ = 1;
    double scale_height_ = 1;
    bool scaled_ = false;
};

} // namespace chronova::platform::ui
