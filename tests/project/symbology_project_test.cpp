// Colouring by a field and colour rasters in project files: what is refused and where, what is written back, and
// the renderers a project opens with.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/symbology/renderers.h"
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

using ::testing::HasSubstr;

std::string Parcels(const std::string& symbology, const std::string& more = "") {
    return R"({"chronova_project": 1, "layers": [{"name": "Parcels", "kind": "feature",
        "source": {"workspace": "parcels.gpkg", "dataset": "parcels"}, "symbology": )" +
           symbology + more + "}]}";
}

std::string Photo(const std::string& symbology, const std::string& more = "") {
    return R"({"chronova_project": 1, "layers": [{"name": "Photo", "kind": "raster", "source": {"path": "photo.tif"},
        "symbology": )" +
           symbology + more + "}]}";
}

// "PLACE: MESSAGE" of the error parsing the text raises, "" when it parses.
std::string ParseError(const std::string& json) {
    try {
        ParseProject(json, "p.chronova.json");
    } catch (const ProjectError& e) {
        return e.place() + ": " + e.message();
    }
    return {};
}

TEST(SymbologyProjectTest, BadColouringIsRefusedWhereItIsWritten) {
    const std::string symbology = "/layers/0/symbology";
    EXPECT_EQ(ParseError(Parcels(R"({"by": "USE", "ramp": "virdis"})")),
              symbology + "/ramp: unknown ramp 'virdis' (known: viridis, blues, greens, oranges, reds, greys, ylorrd, "
                          "rdylbu, rdbu, brbg, spectral, set1, set2, tab10, paired)");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "AREA", "breaks": [0, 10, 10, 50]})")),
              symbology + "/breaks/2: breaks must ascend: 10 is not above 10");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "AREA", "breaks": [5]})")),
              symbology + "/breaks: expected 2 to 33 breaks, found 1");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "AREA", "classify": "quantile", "classes": 33})")),
              symbology + "/classes: expected a whole number from 1 to 32, found 33");
    EXPECT_THAT(ParseError(Parcels(R"({"by": "AREA", "classify": "natural"})")),
                HasSubstr("/classify: unknown classification 'natural'"));
    EXPECT_EQ(ParseError(Parcels(R"({"by": "USE", "classify": "unique", "classes": 3})")),
              symbology + "/classes: classes does not apply to unique values");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "AREA", "classify": "quantile", "breaks": [1, 2]})")),
              symbology + "/breaks: breaks are the classes themselves; leave out classify");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "USE", "ramp": "blues", "colors": ["#000000"]})")),
              symbology + "/colors: give either a ramp or colors, not both");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "USE", "values": {"water": "blue"}})")),
              symbology + "/values/water: 'blue' is not a colour of the form #RRGGBB");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "AREA", "classify": "quantile", "values": {"1": "#000000"}})")),
              symbology + "/values: values fix the colours of unique values, not of graduated classes");
    EXPECT_EQ(ParseError(Parcels(R"({"ramp": "blues"})")),
              symbology + "/ramp: colouring by a field needs \"by\": the field's name");
    EXPECT_EQ(ParseError(Parcels(R"({"by": "USE", "color": "#000000"})")),
              symbology + "/color: a layer coloured by a field takes its colours from ramp, colors or values");
    EXPECT_THAT(ParseError(Parcels(R"({"by": "USE"})", R"(, "time": {"field": "T", "vectors": {"speed": "S",
                "direction": "D"}})")),
                HasSubstr("/symbology/by: a layer that draws vectors cannot be coloured by a field"));

    EXPECT_EQ(ParseError(Photo(R"({"ramp": "spectral", "from": "#000000"})")),
              symbology + "/ramp: give either from and to or a ramp, not both");
    EXPECT_EQ(ParseError(Photo(R"({"colors": ["#000000"]})")),
              symbology + "/colors: expected at least 2 colours, found 1");
    EXPECT_EQ(ParseError(Photo(R"({"bands": [1, 2]})")),
              symbology + "/bands: expected 3 or 4 band numbers (red, green, blue and optionally alpha), found 2");
    EXPECT_EQ(ParseError(Photo(R"({"rgb": false, "bands": [1, 2, 3]})")),
              symbology + "/bands: bands pick the red, green and blue of the RGB drawing, which rgb: false refuses");
    EXPECT_EQ(ParseError(Photo(R"({"rgb": true, "ramp": "blues"})")),
              symbology + "/rgb: a raster drawn in its own red, green and blue takes no colour ramp");
    EXPECT_EQ(ParseError(Photo(R"({"bands": [1, 2, 3]})", R"(, "time": {"raster": {"start": "2008-03-01 00:00",
                                   "interval": 3600, "unit": "h"}})")),
              symbology + "/bands: the bands of a time raster are its steps, not red, green and blue");
    EXPECT_EQ(ParseError(Parcels(R"({"rgb": true})")), symbology + "/rgb: 'rgb' does not apply to feature layers");
}

TEST(SymbologyProjectTest, WhatIsReadIsWrittenBack) {
    const std::string json = R"({"chronova_project": 1, "layers": [
      {"name": "Uses", "kind": "feature", "source": {"workspace": "p.gpkg", "dataset": "p"},
       "symbology": {"by": "USE", "classify": "unique", "ramp": "Set2", "outline": "#101010", "width": 2,
                     "values": {"residential": "#ff0000", "3": "#00ff00"}}},
      {"name": "Areas", "kind": "feature", "source": {"workspace": "p.gpkg", "dataset": "p"},
       "symbology": {"by": "AREA", "breaks": [0, 10.5, 100], "colors": ["#000000", "#ffffff"]}},
      {"name": "Quantiles", "kind": "feature", "source": {"workspace": "p.gpkg", "dataset": "p"},
       "symbology": {"by": "AREA", "classify": "quantile", "classes": 7}},
      {"name": "Plain", "kind": "feature", "source": {"workspace": "p.gpkg", "dataset": "p"},
       "symbology": {"color": "#123456"}},
      {"name": "Heat", "kind": "raster", "source": {"path": "h.tif"}, "symbology": {"ramp": "ylorrd"}},
      {"name": "Steps", "kind": "raster", "source": {"path": "h.tif"},
       "symbology": {"colors": ["#000000", "#ff0000", "#ffffff"], "rgb": false}},
      {"name": "Photo", "kind": "raster", "source": {"path": "h.tif"}, "symbology": {"bands": [3, 2, 1, 4]}}
    ]})";
    const Project original = ParseProject(json, "/work/p.chronova.json");
    const Project again = ParseProject(WriteProject(original), "/work/p.chronova.json");
    ASSERT_EQ(again.Layers.size(), original.Layers.size());
    const auto classes_of = [](const LayerEntry& layer) {
        const FieldClasses& c = *layer.Symbology->Classes;
        return std::tie(c.Field, c.Classify, c.Classes, c.Breaks, c.Ramp, c.Colors, c.Values);
    };
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(again.Layers[i].Symbology && again.Layers[i].Symbology->Classes) << i;
        EXPECT_EQ(classes_of(again.Layers[i]), classes_of(original.Layers[i])) << i;
    }
    EXPECT_EQ(again.Layers[0].Symbology->Outline, original.Layers[0].Symbology->Outline);
    EXPECT_EQ(again.Layers[0].Symbology->Width, 2.0);
    EXPECT_EQ(again.Layers[1].Symbology->Classes->Classify, ClassifyMethod::Breaks);
    EXPECT_EQ(again.Layers[1].Symbology->Classes->Breaks, (std::vector<double>{0, 10.5, 100}));
    EXPECT_FALSE(again.Layers[3].Symbology->Classes);
    const auto ramp_of = [](const LayerEntry& layer) {
        const RasterRamp& r = *layer.Ramp;
        return std::tie(r.From, r.To, r.Ramp, r.Colors, r.Rgb, r.Bands);
    };
    for (size_t i = 4; i < 7; ++i) {
        ASSERT_TRUE(again.Layers[i].Ramp) << i;
        EXPECT_EQ(ramp_of(again.Layers[i]), ramp_of(original.Layers[i])) << i;
    }
    EXPECT_EQ(again.Layers[5].Ramp->Rgb, false);
    EXPECT_EQ(again.Layers[6].Ramp->Bands, (std::vector<int32_t>{3, 2, 1, 4}));
}

// Parcels with a land use, an area and a zone number; a photograph and a measured raster.
class SymbologySessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        testing::FixtureLayer parcels{
            "parcels", wkbPolygon, {{"USE", OFTString}, {"AREA", OFTReal}, {"ZONE", OFTInteger}}, {}};
        const char* uses[] = {"water", "residential", "forest", "water"};
        for (int k = 0; k < 4; ++k) {
            const std::string x0 = std::to_string(k);
            const std::string x1 = std::to_string(k + 1);
            parcels.rows.push_back({"POLYGON ((" + x0 + " 0, " + x0 + " 1, " + x1 + " 1, " + x1 + " 0, " + x0 + " 0))",
                                    {std::string(uses[k]), 10.0 * (k + 1), int64_t{k % 2}}});
        }
        parcels.rows.push_back({"POLYGON ((9 9, 9 10, 10 10, 9 9))", {std::monostate{}, 1.0, int64_t{5}}});
        testing::WriteGeoPackage(folder_ / "parcels.gpkg", {parcels});
        testing::GeoTiffLayout rain;
        rain.bands = 3;
        testing::WriteGeoTiff(folder_ / "rain.tif", rain, [](int band, int x, int) { return band * 10.0 + x; });
    }
    void TearDown() override { ResetGlobals(); }

    std::unique_ptr<ProjectSession> Open(const std::string& json) {
        const auto file = folder_ / "test.chronova.json";
        std::ofstream(file) << json;
        return std::make_unique<ProjectSession>(LoadProject(file), loop_);
    }
    template <class Renderer>
    std::shared_ptr<Renderer> RendererOf(const ProjectSession& session, const std::string& name) {
        const auto layer = session.FindLayer(name)->Layer;
        if (auto feature = std::dynamic_pointer_cast<gis::FeatureLayer>(layer)) {
            return std::dynamic_pointer_cast<Renderer>(feature->Renderer());
        }
        return std::dynamic_pointer_cast<Renderer>(std::dynamic_pointer_cast<gis::RasterLayer>(layer)->Renderer());
    }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    testing::ScratchFolder folder_;
};

gis::Color FillColour(const std::shared_ptr<gis::ISymbol>& symbol) {
    return std::dynamic_pointer_cast<gis::SimpleFillSymbol>(symbol)->FillColor;
}

TEST_F(SymbologySessionTest, ClassesComeFromTheWholeTable) {
    const auto session = Open(Parcels(R"({"by": "USE", "ramp": "set1", "outline": "#010203",
        "values": {"water": "#0000ff"}})"));
    const auto unique = RendererOf<gis::UniqueValueRenderer>(*session, "Parcels");
    ASSERT_TRUE(unique);
    ASSERT_EQ(unique->ValueCount(), 3);
    EXPECT_EQ(unique->Value(0), "water") << "fixed values first";
    EXPECT_EQ(FillColour(unique->Symbol(0)), (gis::Color{0, 0, 255, false}));
    EXPECT_EQ(unique->Value(1), "forest");
    EXPECT_EQ(FillColour(unique->Symbol(1)), gis::ColorRampNamed("set1").Colors[0]);
    EXPECT_EQ(unique->Value(2), "residential");
    EXPECT_EQ(std::dynamic_pointer_cast<gis::SimpleFillSymbol>(unique->Symbol(2))->Outline->LineColor,
              (gis::Color{1, 2, 3, false}))
        << "the outline styles every class";
    ASSERT_TRUE(unique->DefaultSymbol) << "the parcel without a use";
    EXPECT_EQ(unique->DefaultLabel, "(no value)");

    ResetGlobals();
    const auto graduated = Open(Parcels(R"({"by": "AREA", "classify": "quantile", "classes": 2})"));
    const auto classes = RendererOf<gis::ClassBreaksRenderer>(*graduated, "Parcels");
    ASSERT_TRUE(classes);
    ASSERT_EQ(classes->BreakCount(), 2);
    EXPECT_EQ(classes->MinimumBreak, 1.0);
    EXPECT_EQ(classes->Break(0), 20.0);
    EXPECT_EQ(classes->Break(1), 40.0);
    EXPECT_EQ(FillColour(classes->Symbol(1)), gis::ColorRampNamed("viridis").Colors.back());

    ResetGlobals();
    const auto zones = Open(Parcels(R"({"by": "ZONE", "classify": "unique"})"));
    const auto by_zone = RendererOf<gis::UniqueValueRenderer>(*zones, "Parcels");
    ASSERT_TRUE(by_zone);
    EXPECT_EQ(by_zone->IndexOf("0"), 0);
    EXPECT_EQ(by_zone->IndexOf("5"), 2);
}

TEST_F(SymbologySessionTest, AFieldTheLayerLacksIsAnErrorListingItsFields) {
    const platform::AutomationError error = testing::ErrorOf([&] { Open(Parcels(R"({"by": "LANDUSE"})")); });
    EXPECT_EQ(error.Number(), 5);
    EXPECT_THAT(error.Description(), ::testing::StartsWith("layer 'Parcels' has no field 'LANDUSE' to colour by"));
    EXPECT_THAT(error.Description(), HasSubstr("USE, AREA, ZONE"));
    ResetGlobals();
    EXPECT_THAT(
        testing::ErrorOf([&] { Open(Parcels(R"({"by": "USE", "classify": "equal_interval"})")); }).Description(),
        HasSubstr("it does not hold numbers"));
}

TEST_F(SymbologySessionTest, ColourBandsDrawInTheirOwnColoursUnlessTheProjectSaysOtherwise) {
    {
        // Three 8-bit bands that the file declares red, green and blue.
        GDALDataset* photo = testing::detail::Driver("GTiff").Create((folder_ / "photo.tif").string().c_str(), 4, 3, 3,
                                                                     GDT_Byte, nullptr);
        ASSERT_NE(photo, nullptr);
        const GDALColorInterp colours[] = {GCI_RedBand, GCI_GreenBand, GCI_BlueBand};
        for (int band = 1; band <= 3; ++band) {
            photo->GetRasterBand(band)->SetColorInterpretation(colours[band - 1]);
            photo->GetRasterBand(band)->Fill(band * 50.0);
        }
        GDALClose(photo);
    }
    const auto raster = [&](const std::string& path, const std::string& more) {
        return R"({"chronova_project": 1, "layers": [{"name": "R", "kind": "raster", "source": {"path": ")" + path +
               R"("})" + more + "}]}";
    };
    auto session = Open(raster("photo.tif", ""));
    const auto own = RendererOf<gis::RasterRGBRenderer>(*session, "R");
    ASSERT_TRUE(own) << "colour bands draw in their own colours";
    EXPECT_EQ(own->BlueBand, 3);
    ResetGlobals();
    session = Open(raster("photo.tif", R"(, "symbology": {"rgb": false})"));
    EXPECT_TRUE(RendererOf<gis::RasterStretchColorRampRenderer>(*session, "R"));
    ResetGlobals();
    session = Open(raster("photo.tif", R"(, "time": {"raster": {"start": "2008-03-01 00:00", "interval": 3600,
                                                    "unit": "h"}})"));
    EXPECT_TRUE(RendererOf<gis::RasterStretchColorRampRenderer>(*session, "R")) << "a time raster's bands are steps";
    ResetGlobals();
    session = Open(raster("rain.tif", ""));
    EXPECT_TRUE(RendererOf<gis::RasterStretchColorRampRenderer>(*session, "R")) << "measurements keep the ramp";
    ResetGlobals();
    session = Open(raster("rain.tif", R"(, "symbology": {"rgb": true})"));
    const auto forced = RendererOf<gis::RasterRGBRenderer>(*session, "R");
    ASSERT_TRUE(forced);
    EXPECT_EQ(std::tie(forced->RedBand, forced->GreenBand, forced->BlueBand, forced->AlphaBand),
              std::make_tuple(1, 2, 3, 0));
    ResetGlobals();
    session = Open(raster("rain.tif", R"(, "symbology": {"bands": [3, 1, 2]})"));
    EXPECT_EQ(RendererOf<gis::RasterRGBRenderer>(*session, "R")->RedBand, 3);
    ResetGlobals();
    EXPECT_THAT(
        testing::ErrorOf([&] { Open(raster("rain.tif", R"(, "symbology": {"bands": [1, 2, 3, 4]})")); }).Description(),
        HasSubstr("has no band 4 for its RGB drawing (it has 3)"));
    ResetGlobals();
    session = Open(raster("rain.tif", R"(, "symbology": {"ramp": "spectral"})"));
    const auto ramp = RendererOf<gis::RasterStretchColorRampRenderer>(*session, "R");
    ASSERT_TRUE(ramp);
    EXPECT_EQ(ramp->Stops.size(), gis::ColorRampNamed("spectral").Colors.size());
    EXPECT_EQ(ramp->Stops.front().StopColor, gis::ColorRampNamed("spectral").Colors.front());
}

} // namespace
} // namespace chronova::project
