#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chronova {

/// The raster settings side file ("ini"): start minute count, interval and unit code of a raster's bands.
struct RasterSettings {
    int32_t StartTime = 0;
    int32_t Interval = 0;
    std::string IntervalUnits;
};

/// The texts of every element named "timestep", anywhere in the XML step list file, in document order.
/// Nothing when the file is missing or is not well-formed XML.
std::optional<std::vector<std::string>> ReadRasterStepList(const std::string& path);

/// The step texts of XML step list text; nothing when it is not well-formed XML.
std::optional<std::vector<std::string>> ParseRasterStepList(std::string_view xml);

/// Creates or replaces the raster settings file in one step: three lines ending in CR LF, the numbers in
/// the classic numeric print form (" 5 ").
void WriteRasterSettings(const std::string& path, const RasterSettings& settings);

/// Reads a raster settings file; each number line is read tolerantly (blanks, trailing text). Nothing when
/// the file cannot be read or has fewer than three lines.
std::optional<RasterSettings> ReadRasterSettings(const std::string& path);
/// The settings in raster settings text; nothing with fewer than three lines.
std::optional<RasterSettings> ParseRasterSettings(std::string_view text);

} // namespace chronova
