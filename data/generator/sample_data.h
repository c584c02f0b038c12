#pragma once

#include <filesystem>
#include <string_view>

namespace chronova::sample_data {

/// The name of the demo project file that GenerateSampleData writes beside the data it names.
inline constexpr std::string_view kDemoProjectFileName = "demo.chronova.json";

/// The demo project's JSON text (kept in the repository as data/demo.chronova.json). Its paths are relative to
/// its own folder, so it is valid wherever it sits beside the sample data.
std::string_view DemoProjectText();

/// Writes the sample data and the demo project into folder, creating it when missing: storms.gpkg (storm_track,
/// buoys), ships/ (the ship_tracks shapefile), stations.gpkg (STATIONS and the OBS table), coast.gpkg (land),
/// rain.tif and rain_steps.tif with rain_steps.xml, buoys.csv and demo.chronova.json. The data is the same on
/// every run. Files already there are kept; text files are rewritten when their contents differ. Every file
/// appears complete or not at all, so an interrupted run never leaves a half file that a later run would keep.
/// Raises an AutomationError (75) naming the file that cannot be written.
void GenerateSampleData(const std::filesystem::path& folder);

} // namespace chronova::sample_data
