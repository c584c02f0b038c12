#include "platform/ui/picture_box.h"

#include "platform/automation_error.h"
#include "platform/ui/window_handle.h"

#include <utility>

namespace chronova::platform::ui {

PictureBox::PictureBox() : hwnd_(NewWindowHandle()) {}

void PictureBox::FillStyle(int32_t style) {
    if (style < 0 || style > 7) {
        RaiseError(380, "Invalid property value");
    }
    fill_style_ = style;
}

void PictureBox::FontSize(double points) {
    // The negated test also turns away NaN.
    if (!(points > 0 && points <= 2160)) {
        RaiseError(380, "Invalid property value");
    }
    font_size_ = points;
}

void PictureBox::BackColor(int32_t color) {
    if (color == back_color_) {
        return;
    }
    back_color_ = color;
    Changed.Fire();
}

void PictureBox::Record(DrawOperation op) {
    operations_.push_back(std::move(op));
    Changed.Fire();
}

void PictureBox::Cls() {
    operations_.clear();
    DrawOperation op;
    op.kind = DrawOperation::Kind::Cls;
    op.color = back_color_;
    operations_.push_back(op);
    // The coordinates and draw mode outlive the clear; they are written again so that the record alone
    // reproduces the picture.
    if (scaled_) {
        DrawOperation scale;
        scale.kind = DrawOperation::Kind::Scale;
        scale.x1 = scale_left_;
        scale.y1 = scale_top_;
        scale.x2 = scale_left_ + scale_width_;
        scale.y2 = scale_top_ + scale_height_;
        operations_.push_back(scale);
    }
    if (draw_mode_ != kCopyPen) {
        DrawOperation mode;
        mode.kind = DrawOperation::Kind::DrawMode;
        mode.draw_mode = draw_mode_;
        operations_.push_back(mode);
    }
    Changed.Fire();
}

void PictureBox::Scale(double x1, double y1, double x2, double y2) {
    scale_left_ = x1;
    scale_top_ = y1;
    scale_width_ = x2 - x1;
    scale_height_ = y2 - y1;
    scaled_ = true;
    DrawOperation op;
    op.kind = DrawOperation::Kind::Scale;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    Record(op);
}

void PictureBox::LineBox(double x1, double y1, double x2, double y2, int32_t color, bool filled) {
    DrawOperation op;
    op.kind = DrawOperation::Kind::Box;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    op.filled = filled;
    op.pen_width = draw_width_;
    Record(op);
}

void PictureBox::Line(double x1, double y1, double x2, double y2, int32_t color) {
    DrawOperation op;
    op.kind = DrawOperation::Kind::Line;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    op.pen_width = draw_width_;
    Record(op);
}

void PictureBox::DrawText(double x, double y, std::string_view text, TextAlign align) {
    DrawOperation op;
    op.kind = DrawOperation::Kind::Text;
    op.x1 = x;
    op.y1 = y;
    op.color = fore_color_;
    op.text = text;
    op.font_name = font_name_;
    op.font_size = font_size_;
    op.font_bold = font_bold_;
    op.align = align;
    Record(std::move(op));
}

void PictureBox::DrawWidth(int32_t pixels) {
    if (pixels < 1 || pixels > 32767) {
        RaiseError(380, "Invalid property value");
    }
    draw_width_ = pixels;
}

CustomDrawProcedure PictureBox::WindowProcedure(CustomDrawProcedure procedure) {
    return std::exchange(window_procedure_, std::move(procedure));
}

int32_t PictureBox::Notify(const CustomDraw& notification) const {
    // A copy, so that a procedure which ends the subclassing while it runs is not destroyed under itself.
    const CustomDrawProcedure procedure = window_procedure_;
    return procedure ? procedure(notification) : custom_draw::kDoDefault;
}

void PictureBox::DrawMode(int32_t mode) {
    if (mode < 1 || mode > 16) {
        RaiseError(380, "Invalid property value");
    }
    if (mode == draw_mode_) {
        return;
    }
    draw_mode_ = mode;
    DrawOperation op;
    op.kind = DrawOperation::Kind::DrawMode;
    op.draw_mode = mode;
    Record(op);
}

} // namespace chronova::platform::ui
