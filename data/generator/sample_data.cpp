#include "generator/sample_data.h"

#include <cmath>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "generator/demo_project_text.h"
#include "generator/gdal_writers.h"
#include "generator/partial_files.h"
#include "generator/sample_contents.h"
#include "generator/sample_scene.h"
#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/interruption.h"

namespace fs = std::filesystem;

namespace chronova::sample_data {

namespace {

// Each rain raster holds one day, a band per hour: rain.tif the first day, rain_steps.tif the second, so the
// two take turns on the map instead of covering each other.
constexpr int kRainBands = 24;
// Lighter rain than this is left out, so that only the storm's rain is drawn over the map.
constexpr double kLeastRain = 0.5;

// 256 by 192 square cells over the sample region.
RasterGrid RainGrid() {
    RasterGrid grid{.Width = 256, .Bands = kRainBands, .West = kRegion.West, .North = kRegion.North};
    grid.CellSize = (kRegion.East - kRegion.West) / grid.Width;
    grid.Height = static_cast<int>(std::lround((kRegion.North - kRegion.South) / grid.CellSize));
    return grid;
}

std::function<std::vector<float>(int)> RainBands(const Track& storm, const RasterGrid& grid, int first_hour) {
    return [&storm, grid, first_hour](int band) {
        std::vector<float> cells;
        cells.reserve(static_cast<size_t>(grid.Width) * static_cast<size_t>(grid.Height));
        for (int row = 0; row < grid.Height; ++row) {
            for (int column = 0; column < grid.Width; ++column) {
                const GeoPoint centre{grid.West + (column + 0.5) * grid.CellSize,
                                      grid.North - (row + 0.5) * grid.CellSize};
                const double rain = RainRate(storm, first_hour + band - 1, centre);
                cells.push_back(rain < kLeastRain ? kNoData : static_cast<float>(rain));
            }
        }
        return cells;
    };
}

// Writes a data file or folder unless it is there: one that is there was published complete. A signal that came
// while the previous one was written stops the generation here.
void Ensure(const fs::path& target, const std::function<void(const fs::path&)>& write) {
    platform::ThrowIfInterrupted();
    std::error_code error;
    if (!fs::exists(target, error)) {
        write(target);
    }
}

// Writes a text file unless it already holds the text.
void EnsureText(const fs::path& target, std::string_view text) {
    const platform::FileContents current = platform::ReadWholeFile(target);
    if (current.error.empty() && !current.missing && current.data == text) {
        return;
    }
    const platform::FileResult result = platform::WriteFileAtomically(target, text);
    if (!result.Ok()) {
        platform::RaiseError(platform::error::kPathFileAccess, result.error);
    }
}

} // namespace

std::string_view DemoProjectText() {
    return kDemoProjectText;
}

void GenerateSampleData(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        platform::RaiseError(platform::error::kPathFileAccess,
                             "Cannot create the folder " + folder.string() + ": " + error.message() + ".");
    }
    RemoveAbandonedPartials(folder);

    const Track storm = StormTrack();
    Ensure(folder / "storms.gpkg", [&](const fs::path& file) {
        WriteGeoPackage(file, {StormTrackTable(storm), BuoysTable(BuoyTracks(storm))});
    });
    Ensure(folder / "ships",
           [](const fs::path& target) { WriteShapefileFolder(target, ShipTracksTable(ShipTracks())); });
    Ensure(folder / "stations.gpkg", [&](const fs::path& file) {
        const std::vector<Station> stations = Stations();
        WriteGeoPackage(file, {StationsTable(stations), ObservationsTable(Observations(stations, storm))});
    });
    Ensure(folder / "coast.gpkg", [](const fs::path& file) { WriteGeoPackage(file, {LandTable()}); });
    const RasterGrid grid = RainGrid();
    Ensure(folder / "rain.tif", [&](const fs::path& file) { WriteGeoTiff(file, grid, RainBands(storm, grid, 0)); });
    Ensure(folder / "rain_steps.tif",
           [&](const fs::path& file) { WriteGeoTiff(file, grid, RainBands(storm, grid, kRainBands)); });
    EnsureText(folder / "rain_steps.xml", RasterStepListXml(kRainBands, kRainBands));
    EnsureText(folder / "buoys.csv", DriftersCsv(DrifterTracks(storm)));
    EnsureText(folder / kDemoProjectFileName, DemoProjectText());
}

} // namespace chronova::sample_data
