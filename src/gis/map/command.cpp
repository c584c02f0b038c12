#include "gis/map/command.h"

#include "platform/automation_error.h"

namespace chronova::gis {

uint32_t CommandBitmap::Pixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= Width || y >= Height) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    return Pixels.at(static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x));
}

} // namespace chronova::gis
