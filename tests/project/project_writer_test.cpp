#include "project/project_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <tuple>

#include "datetime/mod_date_time.h"
#include "platform/locale.h"
#include "support/error_number.h"
#include "support/scratch_folder.h"

namespace chronova::project {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

// Every setting a project can hold, each away from its default, groups nested two deep.
constexpr const char* kEverySetting = R"({
  "chronova_project": 1,
  "map": { "name": "Gulf", "extent": [-98.5, 18.25, -80, 31.125], "spatial_reference": "EPSG:3857",
           "background": "#0a0B0c" },
  "layers": [
    { "name": "Storm", "kind": "feature", "visible": false,
      "source": { "workspace": "data/storms.gpkg", "dataset": "storm_track", "open_options": ["LIST_ALL_TABLES=NO"] },
      "symbology": { "color": "#d7301f", "outline": "#67000d", "size": 10.5, "width": 2, "marker": "diamond" },
      "time": { "field": "WHEN", "previous_steps": true, "cached": true,
                "vectors": { "speed": "SPEED", "direction": "DIR", "font": "Arrows", "character": 65,
                             "min_size": 20, "max_size": 40, "range": [0.5, 12] } } },
    { "name": "Stations", "kind": "feature", "source": { "workspace": "../stations.gpkg", "dataset": "STATIONS" },
      "symbology": { "marker": "x" },
      "time": { "field": "TIME", "join": { "key": "ID", "table": "OBS", "table_key": "STATION_ID",
                "name": "Join_Stations", "primary_key": "OBS_ID", "additional_fields": "TEMP" } } },
    { "name": "Outer", "kind": "group", "visible": false, "layers": [
      { "name": "Rain", "kind": "raster", "source": { "path": "/abs/rain.tif" },
        "symbology": { "from": "#c7e9c0" },
        "time": { "raster": { "start": "1899-12-29 23:30", "interval": 172800, "unit": "d" }, "cached": true } },
      { "name": "Inner", "kind": "group", "layers": [
        { "name": "Drifters", "kind": "moving_points", "source": { "path": "buoys.csv" },
          "time": { "field": "TIME", "previous_steps": true, "vectors": { "speed": "U", "direction": "V" } } },
        { "name": "Radar", "kind": "wms", "source": { "url": "https://wms.example.org/radar", "layers": ["a", "b"] },
          "time": { "cached": true } } ] } ] },
    { "name": "Plain", "kind": "raster", "source": { "path": "plain.tif" }, "symbology": {} }
  ],
  "display": { "type": "unique", "fill_gaps": true, "toc_labels": false, "loop": true, "use_date_time": false },
  "time": { "start": "2008-03-01 06:15", "finish": "5000-12-31 23:59", "interval": 90, "range_layer": "Storm" },
  "export": { "size": [640, 480], "fps": 12, "out": "frames", "gif": "anim/a.gif", "mp4": "/videos/a.mp4" }
})";

// Every member of each settings struct, so that two projects compare member by member.
auto Members(const JoinSettings& j) {
    return std::tie(j.Key, j.Table, j.TableKey, j.Name, j.PrimaryKey, j.AdditionalFields);
}
auto Members(const RasterTiming& r) {
    return std::tie(r.Start, r.Interval, r.Unit);
}
auto Members(const VectorSettings& v) {
    return std::tie(v.Speed, v.Direction, v.Font, v.Character, v.MinSize, v.MaxSize, v.RangeMin, v.RangeMax);
}
auto Members(const FeatureSymbology& f) {
    return std::tie(f.Color, f.Outline, f.Size, f.Width, f.Marker);
}
auto Members(const RasterRamp& r) {
    return std::tie(r.From, r.To);
}
auto Members(const LayerSource& s) {
    return std::tie(s.Workspace, s.Dataset, s.OpenOptions, s.Path, s.Url, s.ServiceLayers);
}
auto Members(const MapSettings& m) {
    return std::tie(m.Name, m.Extent, m.SpatialReference, m.Background);
}
auto Members(const DisplaySettings& d) {
    return std::tie(d.Type, d.FillGaps, d.TocLabels, d.Loop, d.UseDateTime);
}
auto Members(const TimeWindow& t) {
    return std::tie(t.Start, t.Finish, t.Interval, t.RangeLayer);
}
auto Members(const ExportSettings& e) {
    return std::tie(e.Width, e.Height, e.Fps, e.Out, e.Gif, e.Mp4);
}

template <typename Settings>
void ExpectSame(const std::optional<Settings>& expected, const std::optional<Settings>& actual, const char* what) {
    ASSERT_EQ(actual.has_value(), expected.has_value()) << what;
    if (expected) {
        EXPECT_EQ(Members(*expected), Members(*actual)) << what;
    }
}

void ExpectSameLayer(const LayerEntry& expected, const LayerEntry& actual) {
    SCOPED_TRACE(expected.Place + " " + expected.Name);
    EXPECT_EQ(std::tie(actual.Name, actual.Kind, actual.Place, actual.Visible),
              std::tie(expected.Name, expected.Kind, expected.Place, expected.Visible));
    EXPECT_EQ(Members(actual.Source), Members(expected.Source));
    ExpectSame(expected.Symbology, actual.Symbology, "symbology");
    ExpectSame(expected.Ramp, actual.Ramp, "ramp");
    ASSERT_EQ(actual.Time.has_value(), expected.Time.has_value());
    if (expected.Time) {
        EXPECT_EQ(std::tie(actual.Time->Field, actual.Time->PreviousSteps, actual.Time->Cached),
                  std::tie(expected.Time->Field, expected.Time->PreviousSteps, expected.Time->Cached));
        ExpectSame(expected.Time->Join, actual.Time->Join, "join");
        ExpectSame(expected.Time->Raster, actual.Time->Raster, "raster timing");
        ExpectSame(expected.Time->Vectors, actual.Time->Vectors, "vectors");
    }
    ASSERT_EQ(actual.Layers.size(), expected.Layers.size());
    for (size_t i = 0; i < expected.Layers.size(); ++i) {
        ExpectSameLayer(expected.Layers[i], actual.Layers[i]);
    }
}

void ExpectSameProject(const Project& expected, const Project& actual) {
    EXPECT_EQ(actual.File, expected.File);
    EXPECT_EQ(Members(actual.Map), Members(expected.Map));
    EXPECT_EQ(Members(actual.Display), Members(expected.Display));
    EXPECT_EQ(Members(actual.Time), Members(expected.Time));
    EXPECT_EQ(Members(actual.Export), Members(expected.Export));
    ASSERT_EQ(actual.Layers.size(), expected.Layers.size());
    for (size_t i = 0; i < expected.Layers.size(); ++i) {
        ExpectSameLayer(expected.Layers[i], actual.Layers[i]);
    }
}

class ProjectWriterTest : public ::testing::Test {
protected:
    platform::ScopedLocale us_{"en-US"};
    ScratchFolder folder_;
};

TEST_F(ProjectWriterTest, ReadingWhatIsWrittenGivesTheSameProject) {
    const fs::path file = folder_ / "work" / "p.chronova.json";
    const Project original = ParseProject(kEverySetting, file);
    const std::string written = WriteProject(original);
    ExpectSameProject(original, ParseProject(written, file));
    // Writing is stable: a second round gives the same text.
    EXPECT_EQ(WriteProject(ParseProject(written, file)), written);
}

TEST_F(ProjectWriterTest, DefaultsAndTheSmallestProjectRoundTrip) {
    const fs::path file = folder_ / "p.chronova.json";
    const Project minimal = ParseProject(R"({"chronova_project": 1, "layers": []})", file);
    ExpectSameProject(minimal, ParseProject(WriteProject(minimal), file));
    // A project made in code has no places; reading it back numbers its entries.
    Project made;
    made.File = file;
    made.Layers.push_back(LayerEntry{});
    made.Layers[0].Name = "ships";
    made.Layers[0].Source.Workspace = folder_ / "ships";
    made.Layers[0].Source.Dataset = "ship_tracks";
    made.Layers[0].Time = TimeSettings{};
    made.Layers[0].Time->Field = "DTG";
    const Project read = ParseProject(WriteProject(made), file);
    made.Layers[0].Place = "/layers/0";
    ExpectSameProject(made, read);
}

// The reader refuses a key a kind does not take, so the writer must leave out what does not apply.
TEST_F(ProjectWriterTest, EachKindGetsOnlyItsOwnKeys) {
    Project project;
    project.File = folder_ / "p.chronova.json";
    LayerEntry raster;
    raster.Name = "rain";
    raster.Kind = LayerKind::Raster;
    raster.Source.Path = folder_ / "rain.tif";
    raster.Source.Workspace = folder_ / "stray"; // not a raster's
    raster.Symbology = FeatureSymbology{};       // not a raster's
    raster.Time = TimeSettings{};
    raster.Time->Field = "ignored";
    raster.Time->PreviousSteps = true;
    LayerEntry group;
    group.Name = "group";
    group.Kind = LayerKind::Group;
    group.Source.Path = "stray.tif";
    group.Layers.push_back(raster);
    project.Layers.push_back(group);

    const std::string written = WriteProject(project);
    const nlohmann::json json = nlohmann::json::parse(written);
    const nlohmann::json& inner = json["layers"][0]["layers"][0];
    EXPECT_FALSE(json["layers"][0].contains("source"));
    EXPECT_EQ(inner["source"], nlohmann::json({{"path", "rain.tif"}}));
    EXPECT_FALSE(inner.contains("symbology"));
    // A raster timed by its side files has an empty time block: the layer is a time layer all the same.
    EXPECT_EQ(inner["time"], nlohmann::json::object());
    EXPECT_FALSE(inner.contains("visible"));
    const Project read = ParseProject(written, project.File);
    ASSERT_TRUE(read.Layers[0].Layers[0].Time);
    EXPECT_FALSE(read.Layers[0].Layers[0].Time->Raster);
}

// Times are written in a form every locale reads the same way: a day-first reader gets the same minutes.
TEST_F(ProjectWriterTest, TimesReadTheSameInEveryLocale) {
    const fs::path file = folder_ / "p.chronova.json";
    const Project us = ParseProject(kEverySetting, file);
    const std::string written = WriteProject(us);
    EXPECT_NE(written.find("\"2008-03-01 06:15\""), std::string::npos);
    platform::ScopedLocale gb{"en-GB"};
    const Project read = ParseProject(written, file);
    EXPECT_EQ(read.Time.Start, modDateTime::PartsToMinutes(2008, 3, 1, 6, 15));
    EXPECT_EQ(read.Layers[2].Layers[0].Time->Raster->Start, us.Layers[2].Layers[0].Time->Raster->Start);
}

TEST_F(ProjectWriterTest, TimesWithoutADateTextAreRefused) {
    Project project;
    project.Time.Start = modDateTime::PartsToMinutes(100, 1, 1, 0, 0);
    EXPECT_RAISES(WriteProject(project), 0);
    project.Time.Start = *project.Time.Start - 1; // 31 December of the year 99
    EXPECT_RAISES(WriteProject(project), platform::error::kInvalidProcedureCall);
}

TEST_F(ProjectWriterTest, SavingElsewhereKeepsEveryPathPointingAtTheSameFile) {
    const fs::path original_file = folder_ / "work" / "p.chronova.json";
    const Project original = ParseProject(kEverySetting, original_file);
    fs::create_directories(folder_ / "other" / "deeper");
    const fs::path moved_file = folder_ / "other" / "deeper" / "q.chronova.json";
    SaveProject(original, moved_file);

    const nlohmann::json json = nlohmann::json::parse(testing::ReadContents(moved_file));
    EXPECT_EQ(json["layers"][0]["source"]["workspace"], "../../work/data/storms.gpkg");
    EXPECT_EQ(json["layers"][1]["source"]["workspace"], "../../stations.gpkg");
    EXPECT_EQ(json["export"]["out"], "../../work/frames");
    const Project moved = LoadProject(moved_file);
    EXPECT_EQ(moved.File, moved_file);
    const std::vector<const LayerEntry*> before = original.AllLayers();
    const std::vector<const LayerEntry*> after = moved.AllLayers();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i]->Source.Workspace, before[i]->Source.Workspace) << before[i]->Name;
        EXPECT_EQ(after[i]->Source.Path, before[i]->Source.Path) << before[i]->Name;
    }
    EXPECT_EQ(moved.Export.Gif, original.Export.Gif);
    EXPECT_EQ(moved.Export.Mp4, original.Export.Mp4);
}

TEST_F(ProjectWriterTest, SavingKeepsAnExistingFileUnlessToldToReplaceIt) {
    const fs::path file = folder_ / "p.chronova.json";
    const Project project = ParseProject(kEverySetting, file);
    { std::ofstream(file) << "mine"; }
    EXPECT_RAISES(SaveProject(project, file, platform::ExistingFile::Keep), 58);
    EXPECT_EQ(testing::ReadContents(file), "mine");
    SaveProject(project, file, platform::ExistingFile::Replace);
    EXPECT_EQ(LoadProject(file).Map.Name, "Gulf");
    // Nothing but the project is left in the folder: no temporary file.
    EXPECT_EQ(testing::FolderNames(folder_.Path()), std::vector<std::string>{"p.chronova.json"});

    EXPECT_RAISES(SaveProject(project, folder_ / "missing" / "p.chronova.json"), platform::error::kPathFileAccess);
}

} // namespace
} // namespace chronova::project
