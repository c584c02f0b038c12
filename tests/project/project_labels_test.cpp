// Labels of feature layers in project files: reading, errors, writing back, and the fields checked against the
// data when the project opens.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "gis/layers/feature_layer.h"
#include "platform/automation_error.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "project/project_file.h"
#include "project/project_session.h"
#include "project/project_writer.h"
#include "registry/globals.h"
#include "support/error_number.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::project {
namespace {

std::string Doc(const std::string& layers) {
    return R"({"chronova_project": 1, "layers": [)" + layers + "]}";
}

// A feature entry of towns.gpkg with the given labels object (and further members).
std::string Towns(const std::string& labels, const std::string& more = "", const std::string& name = "Towns") {
    return R"({"name": ")" + name +
           R"(", "kind": "feature", "source": {"workspace": "towns.gpkg", "dataset": "towns"}, "labels": )" + labels +
           more + "}";
}

std::optional<gis::LabelSettings> LabelsOf(const std::string& json) {
    return ParseProject(json, "p.chronova.json").Layers.at(0).Labels;
}

// The place and message of the error parsing the text raises; empty when it parses.
std::pair<std::string, std::string> ParseError(const std::string& json) {
    try {
        ParseProject(json, "p.chronova.json");
    } catch (const ProjectError& e) {
        return {e.place(), e.message()};
    }
    return {};
}

TEST(ProjectLabelsTest, EveryKeyReachesTheSettingsAndOnlyTheFieldIsNeeded) {
    const auto all = LabelsOf(Doc(Towns(R"({"field": "NAME", "size": 12.5, "color": "#102030", "halo": "#fafbfc",
                                             "halo_width": 2, "priority": "POP", "max": 300})")));
    ASSERT_TRUE(all);
    EXPECT_EQ(all->Field, "NAME");
    EXPECT_EQ(all->Size, 12.5);
    EXPECT_EQ(all->TextColor, (gis::Color{16, 32, 48, false}));
    EXPECT_TRUE(all->Halo);
    EXPECT_EQ(all->HaloColor, (gis::Color{250, 251, 252, false}));
    EXPECT_EQ(all->HaloWidth, 2.0);
    EXPECT_EQ(all->PriorityField, "POP");
    EXPECT_EQ(all->MaxLabels, 300);

    const auto least = LabelsOf(Doc(Towns(R"({"field": "NAME"})")));
    gis::LabelSettings defaults;
    defaults.Field = "NAME";
    EXPECT_EQ(least, defaults);
    EXPECT_FALSE(LabelsOf(Doc(Towns(R"({"field": "NAME", "halo": false})")))->Halo);
    EXPECT_FALSE(ParseProject(Doc(R"({"name": "a", "kind": "feature", "source": {"workspace": "w", "dataset": "d"}})"),
                              "p.chronova.json")
                     .Layers[0]
                     .Labels);
}

TEST(ProjectLabelsTest, BadLabelsNameTheirPlace) {
    const std::pair<std::string, std::pair<std::string, std::string>> cases[] = {
        {Doc(Towns("{}")), {"/layers/0/labels/field", "required key is missing"}},
        {Doc(Towns(R"({"field": ""})")), {"/layers/0/labels/field", "must not be empty"}},
        {Doc(Towns(R"("NAME")")), {"/layers/0/labels", "expected an object, found the text 'NAME'"}},
        {Doc(Towns(R"({"field": "NAME", "font": "Arial"})")), {"/layers/0/labels/font", "unknown key"}},
        {Doc(Towns(R"({"field": "NAME", "size": 0})")),
         {"/layers/0/labels/size", "expected a size above 0 and at most 1000 points, found 0"}},
        {Doc(Towns(R"({"field": "NAME", "color": "black"})")),
         {"/layers/0/labels/color", "'black' is not a colour of the form #RRGGBB"}},
        {Doc(Towns(R"({"field": "NAME", "halo": true})")),
         {"/layers/0/labels/halo", "expected a colour of the form #RRGGBB or false, found true"}},
        {Doc(Towns(R"({"field": "NAME", "halo_width": -1})")),
         {"/layers/0/labels/halo_width", "expected a size above 0 and at most 1000 points, found -1"}},
        {Doc(Towns(R"({"field": "NAME", "max": 0})")), {"/layers/0/labels/max", "0"}},
        {Doc(Towns(R"({"field": "NAME", "max": 2.5})")), {"/layers/0/labels/max", "2.5"}},
        {Doc(R"({"name": "r", "kind": "raster", "source": {"path": "r.tif"}, "labels": {"field": "V"}})"),
         {"/layers/0/labels", "does not apply to raster layers"}},
    };
    for (const auto& [json, expected] : cases) {
        const auto [place, message] = ParseError(json);
        EXPECT_EQ(place, expected.first) << json;
        EXPECT_THAT(message, ::testing::HasSubstr(expected.second)) << json;
    }
}

TEST(ProjectLabelsTest, WrittenLabelsReadBackTheSameAndDefaultsStayOut) {
    const std::string json = Doc(Towns(R"({"field": "NAME", "size": 7, "color": "#010203", "halo": false,
                                            "halo_width": 0.5, "priority": "POP", "max": 12})") +
                                 "," + Towns(R"({"field": "ID"})", "", "Other"));
    const Project project = ParseProject(json, "p.chronova.json");
    const std::string written = WriteProject(project);
    const Project read = ParseProject(written, "p.chronova.json");
    ASSERT_EQ(read.Layers.size(), 2u);
    EXPECT_EQ(read.Layers[0].Labels, project.Layers[0].Labels);
    EXPECT_EQ(read.Layers[1].Labels, project.Layers[1].Labels);
    EXPECT_NE(written.find(R"("labels": {
        "field": "ID"
      })"),
              std::string::npos)
        << written;
    EXPECT_EQ(WriteProject(read), written);
}

// Towns in a GeoPackage, and a table of mayors joined to them by their time field.
class ProjectLabelsSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        testing::FixtureLayer towns{"towns", wkbPoint, {{"ID", OFTInteger}, {"NAME", OFTString}, {"POP", OFTReal}}, {}};
        towns.rows.push_back(testing::PointRow(1.0, 1.0, {int64_t{1}, std::string("Ashby"), 1200.0}));
        towns.rows.push_back(testing::PointRow(2.0, 1.0, {int64_t{2}, std::string("Brill"), 300.0}));
        testing::FixtureLayer mayors{"MAYORS", wkbNone, {{"TOWN_ID", OFTInteger}, {"SINCE", OFTDateTime}}, {}};
        mayors.rows.push_back({"", {int64_t{1}, testing::FixtureDate{2008, 3, 1, 0, 0}}});
        mayors.rows.push_back({"", {int64_t{2}, testing::FixtureDate{2008, 3, 2, 0, 0}}});
        testing::WriteGeoPackage(folder_ / "towns.gpkg", {towns, mayors});
    }
    void TearDown() override { ResetGlobals(); }

    std::unique_ptr<ProjectSession> Open(const std::string& layers) {
        const auto file = folder_ / "labels.chronova.json";
        std::ofstream(file) << Doc(layers);
        return std::make_unique<ProjectSession>(LoadProject(file), loop_);
    }

    std::string OpenError(const std::string& layers) {
        return testing::ErrorOf([&] { Open(layers); }).Description();
    }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    testing::ScratchFolder folder_;
};

TEST_F(ProjectLabelsSessionTest, TheOpenedLayerCarriesTheLabels) {
    const auto session = Open(Towns(R"({"field": "name", "priority": "POP", "size": 11})"));
    const auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(session->FindLayer("Towns")->Layer);
    ASSERT_TRUE(layer);
    ASSERT_TRUE(layer->Labels());
    EXPECT_EQ(layer->Labels()->Field, "name");
    EXPECT_EQ(layer->Labels()->PriorityField, "POP");
    EXPECT_EQ(layer->Labels()->Size, 11.0);
}

TEST_F(ProjectLabelsSessionTest, AFieldTheLayerLacksIsAnErrorListingItsFields) {
    const std::string towns = (folder_ / "towns.gpkg").string();
    EXPECT_EQ(OpenError(Towns(R"({"field": "TOWN"})")),
              "layer 'Towns' has no field 'TOWN' to label by (fields: fid, ID, NAME, POP) (" + towns + ")");
    EXPECT_THAT(OpenError(Towns(R"({"field": "NAME", "priority": "SIZE"})")),
                ::testing::StartsWith("layer 'Towns' has no field 'SIZE' to rank labels by (fields: "));
    // The fields of a joined time table may be labelled; they are listed too.
    const std::string joined =
        R"(, "time": {"field": "SINCE", "join": {"key": "ID", "table": "MAYORS", "table_key": "TOWN_ID"}})";
    EXPECT_EQ(OpenError(Towns(R"({"field": "SINCE"})", joined)), "");
    EXPECT_THAT(OpenError(Towns(R"({"field": "ELECTED"})", joined)),
                ::testing::HasSubstr("(fields: fid, ID, NAME, POP, TOWN_ID, SINCE)"));
}

} // namespace
} // namespace chronova::project
