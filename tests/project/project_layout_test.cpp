// The "layout" member of project files: the furniture drawn on exported frames.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "project/project_file.h"
#include "project/project_writer.h"

namespace chronova::project {
namespace {

using gis::LayoutSettings;
using gis::Placement;

Project WithLayout(const std::string& layout) {
    return ParseProject(R"({"chronova_project": 1, "layers": [], "layout": )" + layout + "}", "p.chronova.json");
}

std::optional<ProjectError> ErrorOf(const std::string& layout) {
    try {
        WithLayout(layout);
    } catch (const ProjectError& e) {
        return e;
    }
    return std::nullopt;
}

TEST(ProjectLayoutTest, DefaultsDrawEveryPieceWithAMargin) {
    const Project plain = ParseProject(R"({"chronova_project": 1, "layers": []})", "p.chronova.json");
    EXPECT_EQ(plain.Layout, LayoutSettings{});
    EXPECT_TRUE(plain.Layout.Title.Shown && plain.Layout.Legend.Shown && plain.Layout.ScaleBar.Shown &&
                plain.Layout.ColorBar.Shown && plain.Layout.TimeLabel.Shown);
    EXPECT_DOUBLE_EQ(plain.Layout.Margin, 0.05);
    EXPECT_EQ(WithLayout("true").Layout, LayoutSettings{});
    EXPECT_EQ(WithLayout("{}").Layout, LayoutSettings{});
    EXPECT_EQ(WithLayout("false").Layout, LayoutSettings::None());
}

TEST(ProjectLayoutTest, EachPieceIsSwitchedAndPlacedOnItsOwn) {
    const LayoutSettings layout = WithLayout(R"({"title": "Rain in March", "legend": false,
        "scale_bar": {"position": "bottom-right"}, "color_bar": true, "time_label": {"position": "top"},
        "margin": 0.125})")
                                      .Layout;
    EXPECT_EQ(layout.TitleText, "Rain in March");
    EXPECT_TRUE(layout.Title.Shown);
    EXPECT_FALSE(layout.Legend.Shown);
    EXPECT_EQ(layout.ScaleBar, (gis::PieceSettings{true, Placement::BottomRight}));
    EXPECT_EQ(layout.ColorBar, gis::PieceSettings{});
    EXPECT_EQ(layout.TimeLabel, (gis::PieceSettings{true, Placement::Top}));
    EXPECT_DOUBLE_EQ(layout.Margin, 0.125);

    const LayoutSettings placed_title = WithLayout(R"({"title": {"position": "bottom", "text": "T"}})").Layout;
    EXPECT_EQ(placed_title.Title, (gis::PieceSettings{true, Placement::Bottom}));
    EXPECT_EQ(placed_title.TitleText, "T");
    EXPECT_FALSE(WithLayout(R"({"title": false})").Layout.Title.Shown);
}

TEST(ProjectLayoutTest, MistakesNameTheirPlace) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"legends": true})", "/layout/legends"},
        {R"("yes")", "/layout"},
        {R"({"margin": 0.6})", "/layout/margin"},
        {R"({"margin": -0.1})", "/layout/margin"},
        {R"({"legend": "yes"})", "/layout/legend"},
        {R"({"legend": {"text": "x"}})", "/layout/legend/text"},
        {R"({"scale_bar": {"position": "middle"}})", "/layout/scale_bar/position"},
        {R"({"time_label": {"position": 3}})", "/layout/time_label/position"},
        {R"({"title": 1})", "/layout/title"},
    };
    for (const auto& [json, place] : cases) {
        SCOPED_TRACE(json);
        const std::optional<ProjectError> error = ErrorOf(json);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->place(), place);
    }
    EXPECT_NE(ErrorOf(R"({"scale_bar": {"position": "middle"}})")->message().find("bottom-right"), std::string::npos);
}

TEST(ProjectLayoutTest, WritingAndReadingKeepsTheLayout) {
    for (const std::string layout :
         {"true", "false", R"({"title": "Rain", "legend": false, "margin": 0})",
          R"({"title": {"position": "bottom-left", "text": "Rain"}, "scale_bar": {"position": "top-right"}})",
          R"({"title": false, "color_bar": false, "time_label": {"position": "left"}, "margin": 0.5})"}) {
        SCOPED_TRACE(layout);
        const Project original = WithLayout(layout);
        const std::string written = WriteProject(original);
        EXPECT_EQ(ParseProject(written, "p.chronova.json").Layout, original.Layout);
        // The default layout is left out of the file.
        EXPECT_EQ(written.find("\"layout\"") == std::string::npos, original.Layout == LayoutSettings{});
    }
}

} // namespace
} // namespace chronova::project
