#pragma once

// A canvas that keeps what is drawn on it, for tests of drawing code that must not need a display: each call
// becomes one CanvasCall entry in order.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/canvas.h"

namespace chronova::testing {

struct CanvasCall {
    enum class Kind { Fill, Frame, Line, Text };
    Kind kind = Kind::Fill;
    platform::ui::PixelRect rect; ///< Fill, Frame: the rectangle; Line: the ends as left/top and right/bottom
    int32_t color = 0;
    int32_t pen_width = 0;
    int32_t mode = 0;
    std::string text; ///< Text: what, with its anchor in rect.left/rect.top
    platform::ui::TextStyle style;
};

class RecordingCanvas final : public platform::ui::ICanvas {
public:
    RecordingCanvas(int32_t width, int32_t height) : width_(width), height_(height) {}

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    void FillRect(const platform::ui::PixelRect& rect, int32_t color, int32_t mode) override {
        drawn.push_back({CanvasCall::Kind::Fill, rect, color, 0, mode, {}, {}});
    }
    void FrameRect(const platform::ui::PixelRect& rect, int32_t color, int32_t pen_width, int32_t mode) override {
        drawn.push_back({CanvasCall::Kind::Frame, rect, color, pen_width, mode, {}, {}});
    }
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t color, int32_t pen_width, int32_t mode) override {
        drawn.push_back({CanvasCall::Kind::Line, {x1, y1, x2, y2}, color, pen_width, mode, {}, {}});
    }
    void Text(int32_t x, int32_t y, std::string_view text, const platform::ui::TextStyle& style) override {
        drawn.push_back({CanvasCall::Kind::Text, {x, y, x, y}, style.color, 0, 0, std::string(text), style});
    }

    /// The entries of one kind, in order.
    std::vector<CanvasCall> OfKind(CanvasCall::Kind kind) const {
        std::vector<CanvasCall> found;
        for (const CanvasCall& entry : drawn) {
            if (entry.kind == kind) {
                found.push_back(entry);
            }
        }
        return found;
    }

    std::vector<CanvasCall> drawn;

private:
    int32_t width_;
    int32_t height_;
};

} // namespace chronova::testing
