// Raster side files sit next to the user's rasters and may hold anything: reading the step list or the
// settings must never crash, a step list is read whole or refused in one line, and settings that were read must
// write and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "timeapply/raster_side_files.h"

using namespace chronova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // A step list either gives steps that all read as times, or says why in one line that names the file.
    const RasterStepList list = ParseRasterStepList(text, "rain.xml");
    if (list.Problem.empty() == list.Steps.empty() ||
        (!list.Problem.empty() &&
         (list.Problem.rfind("rain.xml: ", 0) != 0 || list.Problem.find_first_of("\r\n") != std::string::npos))) {
        __builtin_trap();
    }
    for (const std::string& step : list.Steps) {
        if (!StepTextMinutes(step)) {
            __builtin_trap();
        }
    }
    if (const auto settings = ParseRasterSettings(text)) {
        // The written form: numbers with their print blanks, the unit as read (up to its line end).
        const std::string written = (settings->StartTime >= 0 ? " " : "") + std::to_string(settings->StartTime) +
                                    " \r\n" + (settings->Interval >= 0 ? " " : "") +
                                    std::to_string(settings->Interval) + " \r\n" + settings->IntervalUnits + "\r\n";
        const auto again = ParseRasterSettings(written);
        if (!again || again->StartTime != settings->StartTime || again->Interval != settings->Interval ||
            (settings->IntervalUnits.find_first_of("\r\n") == std::string::npos &&
             again->IntervalUnits != settings->IntervalUnits)) {
            __builtin_trap();
        }
    }
    return 0;
}
