#pragma once

#include <string>

#include "platform/variant.h"

namespace chronova {

/// The text a layer's name shows for its step: the step as it is stored, or written through the display's label
/// format (g_sLabelFormat) when one is in force and the step reads as a time.
std::string StepLabel(const platform::Variant& step);

} // namespace chronova
