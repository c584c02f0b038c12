#pragma once

#include <cstdint>
#include <filesystem>
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

/// A raster's step list: the texts of every element named "timestep", anywhere in the XML file, in document
/// order, each read as a time (a date-time group or a date). A list that cannot time bands (not well-formed, no
/// step, a step that is not a time, a file that cannot be read) has no steps and says why in one line naming the
/// file, the element and the value: "rain.xml: timestep 3 (line 5) 'soon' is not a date or a date-time group".
struct RasterStepList {
    std::vector<std::string> Steps;
    std::string Problem; ///< empty when the list can time bands
};

/// The step list in the file at path; nothing when there is no file there.
std::optional<RasterStepList> ReadRasterStepList(const std::string& path);

/// The step list in XML text; file is the name problems give.
RasterStepList ParseRasterStepList(std::string_view xml, std::string_view file);

/// The minute count a step text stands for, read as band times are matched: a date-time group, else a date.
/// Nothing when it is neither or lies outside the minute range.
std::optional<int32_t> StepTextMinutes(const std::string& text);

/// Where raster settings files are written. Registering a raster writes its settings beside it, as the desktop
/// always did; commands that only read (chronova info, steps) write them to the user's cache folder instead,
/// so that looking at data never changes its folder.
enum class SideFileFolder { BesideData, UserCache };
/// The process-wide choice; BesideData unless set.
SideFileFolder SideFilesGoTo() noexcept;
void SideFilesGoTo(SideFileFolder folder) noexcept;

/// Sends side files to the user's cache for its lifetime, then restores the choice before it.
class SideFilesInCache {
public:
    SideFilesInCache() noexcept : previous_(SideFilesGoTo()) { SideFilesGoTo(SideFileFolder::UserCache); }
    ~SideFilesInCache() { SideFilesGoTo(previous_); }
    SideFilesInCache(const SideFilesInCache&) = delete;
    SideFilesInCache& operator=(const SideFilesInCache&) = delete;

private:
    SideFileFolder previous_;
};

/// The cache's copy of a side file: <XDG cache>/chronova/side-files/<a hash of the file's folder>/<file name>
/// ($CHRONOVA_SIDE_FILE_CACHE instead of <XDG cache>/chronova/side-files when set). Empty without a home folder.
std::filesystem::path CachedSideFile(const std::string& path);

/// Creates or replaces the raster settings file in one step: three lines ending in CR LF, the numbers in
/// the classic numeric print form (" 5 ").
/// With side files going to the cache, the file is written as CachedSideFile(path) instead.
void WriteRasterSettings(const std::string& path, const RasterSettings& settings);

/// Reads a raster settings file; each number line is read tolerantly (blanks, trailing text). Nothing when
/// the file cannot be read or has fewer than three lines. A file missing at path is read from the cache.
std::optional<RasterSettings> ReadRasterSettings(const std::string& path);
/// The settings in raster settings text; nothing with fewer than three lines.
std::optional<RasterSettings> ParseRasterSettings(std::string_view text);

} // namespace chronova
