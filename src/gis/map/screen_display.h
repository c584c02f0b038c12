#pragma once

#include <cstdint>

#include "platform/event.h"
#include "platform/variant.h"

namespace chronova::gis {

/// The window surface a view draws on. The drawing code fires its events around each drawing pass so that
/// others can follow the drawing; UpdateWindow requests are counted for the drawing code to act on.
class ScreenDisplay : public virtual platform::IUnknown {
public:
    platform::Event<> DrawingStarted;
    platform::Event<> DrawingFinished;

    /// Marks the start of a drawing pass and fires DrawingStarted.
    void FireDrawingStarted() {
        drawing_ = true;
        DrawingStarted.Fire();
    }
    /// Marks the end of a drawing pass and fires DrawingFinished.
    void FireDrawingFinished() {
        drawing_ = false;
        DrawingFinished.Fire();
    }
    bool IsDrawing() const noexcept { return drawing_; }

    /// Asks for what was drawn to be shown on the window now.
    void UpdateWindow() noexcept { ++update_requests_; }
    /// UpdateWindow calls since the drawing code last took them; the count restarts at 0.
    int32_t TakeUpdateRequests() noexcept {
        const int32_t requests = update_requests_;
        update_requests_ = 0;
        return requests;
    }

private:
    bool drawing_ = false;
    int32_t update_requests_ = 0;
};

} // namespace chronova::gis
