#include "project/project_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "datetime/mod_date_time.h"
#include "platform/locale.h"
#include "support/scratch_folder.h"

namespace chronova::project {
namespace {

using testing::ScratchFolder;

// A project with the given layer entries (JSON array items) and further top-level members.
std::string Doc(const std::string& layers, const std::string& more = "") {
    return R"({"chronova_project": 1, "layers": [)" + layers + "]" + (more.empty() ? "" : ", " + more) + "}";
}

std::string Feature(const std::string& more = "", const std::string& name = "a") {
    return R"({"name": ")" + name + R"(", "kind": "feature", "source": {"workspace": "w.gpkg", "dataset": "d"})" +
           (more.empty() ? "" : ", " + more) + "}";
}

std::string Raster(const std::string& more) {
    return R"({"name": "r", "kind": "raster", "source": {"path": "r.tif"}, )" + more + "}";
}

std::string Points(const std::string& more) {
    return R"({"name": "p", "kind": "moving_points", "source": {"path": "p.csv"}, )" + more + "}";
}

struct BadCase {
    std::string json;
    std::string place;
    std::string message;
};

// The error parsing the text as the project file p.chronova.json raises, none when it parses.
std::optional<ProjectError> ErrorOf(const std::string& json, const std::string& file = "p.chronova.json") {
    try {
        ParseProject(json, file);
    } catch (const ProjectError& e) {
        return e;
    }
    return std::nullopt;
}

class ProjectFileTest : public ::testing::Test {
protected:
    platform::ScopedLocale us_{"en-US"};
};

TEST_F(ProjectFileTest, BadFilesNameThePlaceAndWhatIsWrong) {
    const BadCase cases[] = {
        // JSON itself; the syntax errors are in SyntaxErrorsNameTheLineAndColumn
        {Doc(R"({"name": "a", "name": "b"})"), "/layers/0/name", "duplicate key"},
        {Doc("", R"("map": {"background": "#000000", "background": "#ffffff"})"), "/map/background", "duplicate key"},
        // top level
        {"[]", "", "a project must be a JSON object, found an array"},
        {R"({"layers": []})", "/chronova_project", "required key is missing"},
        {R"({"chronova_project": 2, "layers": []})", "/chronova_project",
         "unsupported project version 2 (this program reads 1)"},
        {R"({"chronova_project": "1", "layers": []})", "/chronova_project",
         "expected a version number, found the text '1'"},
        {R"({"chronova_project": 1})", "/layers", "required key is missing"},
        {Doc("", R"("maps": {})"), "/maps",
         "unknown key (expected chronova_project, map, layers, display, time, export or layout)"},
        {R"({"chronova_project": 1, "layers": {}})", "/layers", "expected an array, found an object"},
        // map
        {Doc("", R"("map": {"background": "#12345"})"), "/map/background",
         "'#12345' is not a colour of the form #RRGGBB"},
        {Doc("", R"("map": {"background": "#12345g"})"), "/map/background",
         "'#12345g' is not a colour of the form #RRGGBB"},
        {Doc("", R"("map": {"extent": [0, 0, 1]})"), "/map/extent",
         "expected \"all layers\" or [xmin, ymin, xmax, ymax], found an array"},
        {Doc("", R"("map": {"extent": "all"})"), "/map/extent",
         "expected \"all layers\" or [xmin, ymin, xmax, ymax], found the text 'all'"},
        {Doc("", R"("map": {"extent": [1, 0, 0, 1]})"), "/map/extent", "xmin must be below xmax and ymin below ymax"},
        {Doc("", R"("map": {"extent": [0, "a", 1, 1]})"), "/map/extent/1", "expected a number, found the text 'a'"},
        {Doc("", R"("map": {"spatial_reference": "EPSG:999999"})"), "/map/spatial_reference",
         "'EPSG:999999' is not a spatial reference"},
        {Doc("", R"("map": {"name": 5})"), "/map/name", "expected a text, found 5"},
        // layers
        {Doc(R"({"name": "a", "kind": "vector"})"), "/layers/0/kind",
         "unknown layer kind 'vector' (expected feature, raster, wms, group or moving_points)"},
        {Doc(R"({"name": "a"})"), "/layers/0/kind", "required key is missing"},
        {Doc(R"({"kind": "group", "layers": []})"), "/layers/0/name", "required key is missing"},
        {Doc(R"({"name": "a", "kind": "feature"})"), "/layers/0/source", "required key is missing"},
        {Doc(R"({"name": "a", "kind": "feature", "source": {"workspace": "w"}})"), "/layers/0/source/dataset",
         "required key is missing"},
        {Doc(R"({"name": "a", "kind": "feature", "source": {"workspace": "", "dataset": "d"}})"),
         "/layers/0/source/workspace", "must not be empty"},
        {Doc(R"({"name": "a", "kind": "feature", "source": {"path": "x.tif"}})"), "/layers/0/source/path",
         "'path' does not apply to feature layers"},
        {Doc(R"({"name": "a", "kind": "feature", "source": {"workspace": "a.csv", "dataset": "a",
                 "open_options": ["X_POSSIBLE_NAMES=lon", "lat"]}})"),
         "/layers/0/source/open_options/1", "expected an open option NAME=VALUE, found the text 'lat'"},
        {Doc(R"({"name": "a", "kind": "feature", "source": {"workspace": "a.csv", "dataset": "a",
                 "open_options": "X_POSSIBLE_NAMES=lon"}})"),
         "/layers/0/source/open_options", "expected an array, found the text 'X_POSSIBLE_NAMES=lon'"},
        {Doc(R"({"name": "r", "kind": "raster", "source": {"path": "r.tif", "open_options": []}})"),
         "/layers/0/source/open_options", "'open_options' does not apply to raster layers"},
        {Doc(R"({"name": "w", "kind": "wms", "source": {"url": "http://x", "layers": ["a", 1]}})"),
         "/layers/0/source/layers/1", "expected a text, found 1"},
        {Doc(R"({"name": "g", "kind": "group", "source": {}, "layers": []})"), "/layers/0/source",
         "'source' does not apply to group layers"},
        {Doc(R"({"name": "g", "kind": "group"})"), "/layers/0/layers", "required key is missing"},
        {Doc(R"({"name": "g", "kind": "group", "layers": [{"name": "x", "kind": "raster", "source": {}}]})"),
         "/layers/0/layers/0/source/path", "required key is missing"},
        {Doc(Feature(R"("colour": "#000000")")), "/layers/0/colour",
         "unknown key (expected name, kind, source, visible, symbology, time or labels)"},
        {Doc(Feature(R"("visible": "yes")")), "/layers/0/visible", "expected true or false, found the text 'yes'"},
        {Doc(Feature() + "," + Feature()), "/layers/1/name", "the name 'a' is already used by /layers/0"},
        {Doc(Feature() + R"(, {"name": "g", "kind": "group", "layers": [)" + Feature() + "]}"),
         "/layers/1/layers/0/name", "the name 'a' is already used by /layers/0"},
        // symbology
        {Doc(Points(R"("symbology": {})")), "/layers/0/symbology",
         "'symbology' does not apply to moving_points layers"},
        {Doc(Raster(R"("symbology": {"color": "#000000"})")), "/layers/0/symbology/color",
         "'color' does not apply to raster layers"},
        {Doc(Raster(R"("symbology": {"to": "blue"})")), "/layers/0/symbology/to",
         "'blue' is not a colour of the form #RRGGBB"},
        {Doc(Feature(R"("symbology": {"marker": "star"})")), "/layers/0/symbology/marker",
         "unknown marker 'star' (expected circle, square, cross, x or diamond)"},
        {Doc(Feature(R"("symbology": {"size": 0})")), "/layers/0/symbology/size",
         "expected a size above 0 and at most 1000 points, found 0"},
        {Doc(Feature(R"("symbology": {"width": true})")), "/layers/0/symbology/width", "expected a number, found true"},
        // time settings
        {Doc(Feature(R"("time": {})")), "/layers/0/time/field", "required key is missing"},
        {Doc(Feature(R"("time": {"field": ""})")), "/layers/0/time/field", "must not be empty"},
        {Doc(Raster(R"("time": {"field": "T"})")), "/layers/0/time/field", "'field' does not apply to raster layers"},
        {Doc(Points(R"("time": {"field": "TIME", "join": {}})")), "/layers/0/time/join",
         "'join' does not apply to moving_points layers"},
        {Doc(Feature(R"("time": {"field": "T", "raster": {}})")), "/layers/0/time/raster",
         "'raster' does not apply to feature layers"},
        {Doc(R"({"name": "w", "kind": "wms", "source": {"url": "u"}, "time": {"previous_steps": true}})"),
         "/layers/0/time/previous_steps", "'previous_steps' does not apply to wms layers"},
        {Doc(R"({"name": "a", "kind": "feature", "source": {"workspace": "ships", "dataset": "d"},
                 "time": {"field": "T", "join": {"key": "K", "table": "T", "table_key": "K"}}})"),
         "/layers/0/time/join", "a joined time table needs a GeoPackage workspace (.gpkg)"},
        {Doc(Feature(R"("time": {"field": "T", "join": {"key": "K", "table": "T"}})")), "/layers/0/time/join/table_key",
         "required key is missing"},
        {Doc(Feature(R"("time": {"field": "T", "cached": "no"})")), "/layers/0/time/cached",
         "expected true or false, found the text 'no'"},
        {Doc(Raster(R"("time": {"raster": {"start": "2008-02-30 00:00", "interval": 3600, "unit": "h"}})")),
         "/layers/0/time/raster/start", "'2008-02-30 00:00' is not a date and time"},
        {Doc(Raster(R"("time": {"raster": {"start": "2008-03-01", "interval": 3600, "unit": "w"}})")),
         "/layers/0/time/raster/unit", "unknown unit 'w' (expected d, h, n, m or yyyy)"},
        {Doc(Raster(R"("time": {"raster": {"start": "2008-03-01", "interval": 1800, "unit": "h"}})")),
         "/layers/0/time/raster/interval", "1800 seconds is not a whole number of hours"},
        {Doc(Raster(R"("time": {"raster": {"start": "2008-03-01", "interval": 0, "unit": "n"}})")),
         "/layers/0/time/raster/interval", "expected a whole number from 1 to 2147483647, found 0"},
        {Doc(Raster(R"("time": {"raster": {"start": "2008-03-01", "interval": 1.5, "unit": "n"}})")),
         "/layers/0/time/raster/interval", "expected a whole number from 1 to 2147483647, found 1.5"},
        {Doc(Raster(R"("time": {"raster": {"start": "2008-03-01", "interval": 99999999999999999999, "unit": "n"}})")),
         "/layers/0/time/raster/interval", "expected a whole number from 1 to 2147483647, found 1e+20"},
        {Doc(Feature(R"("time": {"field": "T", "vectors": {"speed": "S"}})")), "/layers/0/time/vectors/direction",
         "required key is missing"},
        {Doc(Feature(R"("time": {"field": "T", "vectors": {"speed": "S", "direction": "D", "min_size": 30}})")),
         "/layers/0/time/vectors/min_size", "the largest marker size must be above the smallest (defaults 8 and 24)"},
        {Doc(Feature(R"("time": {"field": "T", "vectors": {"speed": "S", "direction": "D", "range": [5, 1]}})")),
         "/layers/0/time/vectors/range", "the range's minimum must not be above its maximum"},
        {Doc(Feature(R"("time": {"field": "T", "vectors": {"speed": "S", "direction": "D", "character": 40000}})")),
         "/layers/0/time/vectors/character", "expected a whole number from 0 to 32767, found 40000"},
        // display
        {Doc("", R"("display": {"type": "steps"})"), "/display/type",
         "unknown display type 'steps' (expected interval or unique)"},
        {Doc("", R"("display": {"loop": 1})"), "/display/loop", "expected true or false, found 1"},
        {Doc("", R"("display": {"fill_gap": true})"), "/display/fill_gap",
         "unknown key (expected type, fill_gaps, toc_labels, loop, use_date_time, label_format or time_zone)"},
        // time window
        {Doc("", R"("time": {"start": "tomorrow"})"), "/time/start", "'tomorrow' is not a date and time"},
        {Doc("", R"("time": {"start": "2008-03-02", "finish": "2008-03-01 23:59"})"), "/time/finish",
         "the finish must not be before the start"},
        {Doc("", R"("time": {"interval": -5})"), "/time/interval",
         "expected a whole number from 1 to 2147483647, found -5"},
        {Doc("", R"("time": {"range_layer": "nope"})"), "/time/range_layer", "no layer is named 'nope'"},
        {Doc(Feature(), R"("time": {"range_layer": "a"})"), "/time/range_layer", "the layer 'a' is not a time layer"},
        // export
        {Doc("", R"("export": {"size": [0, 10]})"), "/export/size/0",
         "expected a whole number from 1 to 16384, found 0"},
        {Doc("", R"("export": {"size": "1024x768"})"), "/export/size",
         "expected [width, height], found the text '1024x768'"},
        {Doc("", R"("export": {"fps": 101})"), "/export/fps", "expected a whole number from 1 to 100, found 101"},
        {Doc("", R"("export": {"gif": "anim.png"})"), "/export/gif", "the file name must end in .gif"},
    };
    for (const BadCase& c : cases) {
        const auto error = ErrorOf(c.json);
        ASSERT_TRUE(error) << "no error for " << c.json;
        EXPECT_EQ(error->file(), "p.chronova.json") << c.json;
        EXPECT_EQ(error->place(), c.place) << c.json;
        EXPECT_EQ(error->message(), c.message) << c.json;
    }
}

// The JSON library words what is wrong; the place is ours, and so is the number the message names.
TEST_F(ProjectFileTest, SyntaxErrorsNameTheLineAndColumn) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "line 1, column 1"},
        {"{\"chronova_project\": 1,\n  \"layers\": [,]}", "line 2, column 14"},
        {"{\"chronova_project\":\n 1e999}", "line 2, column 2"},
    };
    for (const auto& [json, place] : cases) {
        const auto error = ErrorOf(json);
        ASSERT_TRUE(error) << json;
        EXPECT_EQ(error->file(), "p.chronova.json") << json;
        EXPECT_EQ(error->place(), place) << json;
        EXPECT_FALSE(error->message().empty()) << json;
        EXPECT_THAT(error->what(), ::testing::StartsWith("p.chronova.json: " + place + ": ")) << json;
    }
    EXPECT_THAT(ErrorOf(cases[2].first)->message(), ::testing::HasSubstr("'1e999'"));
}

TEST_F(ProjectFileTest, ErrorTextIsFilePlaceAndMessage) {
    using ::testing::ThrowsMessage;
    EXPECT_THAT([] { ParseProject(Doc("", R"("export": {"fps": 0})"), "/x/demo.chronova.json"); },
                ThrowsMessage<ProjectError>(
                    "/x/demo.chronova.json: /export/fps: expected a whole number from 1 to 100, found 0"));
    EXPECT_THAT([] { ParseProject("[]", "p.json"); },
                ThrowsMessage<ProjectError>("p.json: a project must be a JSON object, found an array"));
}

TEST_F(ProjectFileTest, GroupsNestOnlySoDeep) {
    std::string layer = R"({"name": "leaf", "kind": "group", "layers": []})";
    for (int depth = 1; depth < 16; ++depth) {
        layer = R"({"name": "g)" + std::to_string(depth) + R"(", "kind": "group", "layers": [)" + layer + "]}";
    }
    EXPECT_EQ(ParseProject(Doc(layer), "p").AllLayers().size(), 16u);
    const std::string deeper = R"({"name": "top", "kind": "group", "layers": [)" + layer + "]}";
    const auto error = ErrorOf(Doc(deeper));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message(), "groups nest more than 16 levels deep");
}

TEST_F(ProjectFileTest, MinimalProjectTakesTheDefaults) {
    const Project project = ParseProject(Doc(Feature()), "/data/p.chronova.json");
    EXPECT_EQ(project.File, "/data/p.chronova.json");
    EXPECT_EQ(project.Map.Name, "Layers");
    EXPECT_FALSE(project.Map.Extent);
    EXPECT_EQ(project.Map.SpatialReference, "");
    EXPECT_EQ(project.Map.Background, (gis::Color{255, 255, 255, false}));
    ASSERT_EQ(project.Layers.size(), 1u);
    const LayerEntry& layer = project.Layers[0];
    EXPECT_EQ(layer.Kind, LayerKind::Feature);
    EXPECT_EQ(layer.Place, "/layers/0");
    EXPECT_EQ(layer.Source.Workspace, "/data/w.gpkg");
    EXPECT_TRUE(layer.Visible);
    EXPECT_FALSE(layer.Symbology || layer.Time);
    EXPECT_EQ(project.Display.Type, DisplayType::Interval);
    EXPECT_FALSE(project.Display.FillGaps || project.Display.Loop);
    EXPECT_TRUE(project.Display.TocLabels);
    EXPECT_FALSE(project.Display.UseDateTime);
    EXPECT_FALSE(project.Time.Start || project.Time.Finish || project.Time.Interval || project.Time.RangeLayer);
    EXPECT_EQ(project.Export.Width, 1024);
    EXPECT_EQ(project.Export.Height, 768);
    EXPECT_EQ(project.Export.Fps, 4);
    EXPECT_FALSE(project.Export.Out || project.Export.Gif || project.Export.Mp4);
}

TEST_F(ProjectFileTest, EveryKeyReachesTheModel) {
    const std::string json = R"({
      "chronova_project": 1,
      "map": {"name": "Gulf", "extent": [-98, 18, -80, 31], "spatial_reference": "EPSG:4326", "background": "#0A1b2C"},
      "layers": [
        {"name": "Storm", "kind": "feature", "visible": false,
         "source": {"workspace": "data/storms.gpkg", "dataset": "storm_track"},
         "symbology": {"color": "#ff0000", "outline": "#000000", "size": 9, "width": 0.5, "marker": "diamond"},
         "time": {"field": "WHEN", "previous_steps": true, "cached": true,
                  "vectors": {"speed": "SPEED", "direction": "DIR", "font": "Arrows", "character": 65,
                              "min_size": 4, "max_size": 30, "range": [0, 50]}}},
        {"name": "Stations", "kind": "feature", "source": {"workspace": "/abs/stations.gpkg", "dataset": "STATIONS"},
         "time": {"field": "TIME", "join": {"key": "ID", "table": "OBS", "table_key": "STATION_ID", "name": "j",
                  "primary_key": "OBS_ID", "additional_fields": "TEMP"}}},
        {"name": "Rain", "kind": "raster", "source": {"path": "../rain.tif"},
         "symbology": {"from": "#000080", "to": "#FFFF00"},
         "time": {"raster": {"start": "2008-03-01 06:00", "interval": 172800, "unit": "d"}}},
        {"name": "Both", "kind": "group", "layers": [
          {"name": "Radar", "kind": "wms", "source": {"url": "https://example.org/wms", "layers": ["radar", "sat"]},
           "time": {}},
          {"name": "Buoys", "kind": "moving_points", "source": {"path": "buoys.csv"}, "time": {"field": "TIME"}}
        ]}
      ],
      "display": {"type": "unique", "fill_gaps": true, "toc_labels": false, "loop": true, "use_date_time": false},
      "time": {"start": "2008-03-01 00:00", "finish": "2008-03-02 12:30", "interval": 90, "range_layer": "Rain"},
      "export": {"size": [640, 480], "fps": 12, "out": "frames", "gif": "out/demo.GIF", "mp4": "/tmp/demo.mp4"}
    })";
    const Project project = ParseProject(json, "/p/demo.chronova.json");
    EXPECT_EQ(project.Map.Name, "Gulf");
    ASSERT_TRUE(project.Map.Extent);
    EXPECT_EQ(*project.Map.Extent, (gis::Envelope{-98, 18, -80, 31}));
    EXPECT_EQ(project.Map.SpatialReference, "EPSG:4326");
    EXPECT_EQ(project.Map.Background, (gis::Color{0x0A, 0x1B, 0x2C, false}));

    ASSERT_EQ(project.AllLayers().size(), 6u);
    const LayerEntry& storm = *project.FindLayer("Storm");
    EXPECT_FALSE(storm.Visible);
    EXPECT_EQ(storm.Source.Workspace, "/p/data/storms.gpkg");
    EXPECT_EQ(storm.Source.Dataset, "storm_track");
    ASSERT_TRUE(storm.Symbology);
    EXPECT_EQ(storm.Symbology->Color, (gis::Color{255, 0, 0, false}));
    EXPECT_EQ(storm.Symbology->Outline, (gis::Color{0, 0, 0, false}));
    EXPECT_EQ(storm.Symbology->Size, 9.0);
    EXPECT_EQ(storm.Symbology->Width, 0.5);
    EXPECT_EQ(storm.Symbology->Marker, gis::SimpleMarkerStyle::Diamond);
    ASSERT_TRUE(storm.Time && storm.Time->Vectors);
    EXPECT_EQ(storm.Time->Field, "WHEN");
    EXPECT_TRUE(storm.Time->PreviousSteps && storm.Time->Cached);
    const VectorSettings& vectors = *storm.Time->Vectors;
    EXPECT_TRUE(vectors.PicksMarker());
    EXPECT_EQ(vectors.Speed, "SPEED");
    EXPECT_EQ(vectors.Font, "Arrows");
    EXPECT_EQ(vectors.Character, 65);
    EXPECT_EQ(vectors.MinSize, 4.0);
    EXPECT_EQ(vectors.MaxSize, 30.0);
    EXPECT_EQ(vectors.RangeMax, 50.0);

    const LayerEntry& stations = *project.FindLayer("Stations");
    EXPECT_EQ(stations.Source.Workspace, "/abs/stations.gpkg");
    ASSERT_TRUE(stations.Time->Join);
    const JoinSettings& join = *stations.Time->Join;
    EXPECT_EQ(join.Key + join.Table + join.TableKey + join.Name + join.PrimaryKey + join.AdditionalFields,
              "IDOBSSTATION_IDjOBS_IDTEMP");

    const LayerEntry& rain = *project.FindLayer("Rain");
    EXPECT_EQ(rain.Source.Path, "/rain.tif");
    EXPECT_EQ(rain.Ramp->From, (gis::Color{0, 0, 0x80, false}));
    EXPECT_EQ(rain.Ramp->To, (gis::Color{255, 255, 0, false}));
    ASSERT_TRUE(rain.Time->Raster);
    EXPECT_EQ(rain.Time->Raster->Start, modDateTime::PartsToMinutes(2008, 3, 1, 6, 0));
    EXPECT_EQ(rain.Time->Raster->Interval, 172800);
    EXPECT_EQ(rain.Time->Raster->Unit, "d");

    const LayerEntry& group = *project.FindLayer("Both");
    EXPECT_EQ(group.Kind, LayerKind::Group);
    ASSERT_EQ(group.Layers.size(), 2u);
    EXPECT_EQ(group.Layers[0].Place, "/layers/3/layers/0");
    EXPECT_EQ(group.Layers[0].Source.ServiceLayers, (std::vector<std::string>{"radar", "sat"}));
    EXPECT_TRUE(group.Layers[0].Time);
    EXPECT_EQ(group.Layers[1].Kind, LayerKind::MovingPoints);
    EXPECT_EQ(group.Layers[1].Source.Path, "/p/buoys.csv");

    EXPECT_EQ(project.Display.Type, DisplayType::Unique);
    EXPECT_TRUE(project.Display.FillGaps && project.Display.Loop);
    EXPECT_FALSE(project.Display.TocLabels);
    EXPECT_EQ(project.Display.UseDateTime, false);
    EXPECT_EQ(project.Time.Start, modDateTime::PartsToMinutes(2008, 3, 1, 0, 0));
    EXPECT_EQ(project.Time.Finish, modDateTime::PartsToMinutes(2008, 3, 2, 12, 30));
    EXPECT_EQ(project.Time.Interval, 90);
    EXPECT_EQ(project.Time.RangeLayer, "Rain");
    EXPECT_EQ(project.Export.Width, 640);
    EXPECT_EQ(project.Export.Height, 480);
    EXPECT_EQ(project.Export.Fps, 12);
    EXPECT_EQ(project.Export.Out, "/p/frames");
    EXPECT_EQ(project.Export.Gif, "/p/out/demo.GIF");
    EXPECT_EQ(project.Export.Mp4, "/tmp/demo.mp4");
}

TEST_F(ProjectFileTest, LoadProjectReadsFilesAndTakesPathsFromTheirFolder) {
    ScratchFolder folder;
    const auto file = folder / "p.chronova.json";
    std::ofstream(file) << Doc(Feature());
    const Project project = LoadProject(file);
    EXPECT_EQ(project.File, file);
    EXPECT_EQ(project.Layers[0].Source.Workspace, folder / "w.gpkg");

    // The reason a file cannot be read is the C library's text; only the start of the message is ours.
    const auto expect_error = [](const std::filesystem::path& path, const std::string& message_start) {
        try {
            LoadProject(path);
            ADD_FAILURE() << path;
        } catch (const ProjectError& e) {
            EXPECT_EQ(e.place(), "");
            EXPECT_THAT(e.message(), ::testing::StartsWith(message_start));
            EXPECT_EQ(e.file(), path.string());
        }
    };
    expect_error(folder / "missing.json", "cannot be read: ");
    expect_error(folder.Path(), "is a folder, not a project file");
}

} // namespace
} // namespace chronova::project
