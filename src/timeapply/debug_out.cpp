#include "platform/conversions.h"
#include "platform/debug_output.h"
#include "platform/text.h"
#include "timeapply/mod_layers.h"

namespace chronova::modLayers {

namespace {
constexpr size_t kDebugLineWidth = 1024;
} // namespace

void DebugOutItems(const std::vector<platform::Variant>& items) {
    std::string line;
    if (items.size() == 1) {
        line = platform::Trim(platform::CStr(items.front()));
    } else {
        // Items are laid into a fixed-width line two blanks apart; whatever passes its end is lost.
        for (size_t i = 0; i < items.size() && line.size() < kDebugLineWidth; ++i) {
            if (i > 0) {
                line += "  ";
            }
            line += platform::CStr(items[i]);
        }
        if (line.size() > kDebugLineWidth) {
            line.resize(kDebugLineWidth);
        }
        line = platform::Trim(line);
    }
    platform::DebugOutput(line);
}

} // namespace chronova::modLayers
