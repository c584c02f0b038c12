// Shapes come from files as well-known binary: any bytes must either decode into a consistent shape column or
// raise an AutomationError that leaves the column as it was.
#include <cstddef>
#include <cstdint>
#include <span>

#include "gis/ogr/wkb_reader.h"
#include "platform/automation_error.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gis::GeometryColumn shapes;
    gis::AppendWkbShape(shapes, {}); // a first feature, so the column is not empty when a shape fails
    const gis::GeometryColumn before = shapes;
    try {
        gis::AppendWkbShape(shapes, std::span<const uint8_t>(data, size));
    } catch (const platform::AutomationError&) {
        if (shapes.X != before.X || shapes.PartOffsets != before.PartOffsets ||
            shapes.FeatureParts != before.FeatureParts) {
            __builtin_trap();
        }
        return 0;
    }
    if (shapes.FeatureCount() != 2 || shapes.X.size() != shapes.Y.size() ||
        shapes.PartOffsets.back() != shapes.X.size() || shapes.FeatureParts.back() + 1 != shapes.PartOffsets.size()) {
        __builtin_trap();
    }
    for (size_t part = 1; part < shapes.PartOffsets.size(); ++part) {
        if (shapes.PartOffsets[part] <= shapes.PartOffsets[part - 1]) {
            __builtin_trap(); // parts are never empty
        }
    }
    return 0;
}
