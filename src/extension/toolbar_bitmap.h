#pragma once

#include <memory>

#include "gis/map/command.h"

namespace chronova {

/// The picture on the time command's toolbar button: a clock above a slider, 24 x 22 pixels in 16 colours
/// (transparent counted as one). Made once; every call shares it.
std::shared_ptr<const gis::CommandBitmap> TimeToolbarBitmap();

} // namespace chronova
