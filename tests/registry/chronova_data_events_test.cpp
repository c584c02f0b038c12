#include <functional>

#include "gis/layers/group_layer.h"
#include "gis/map/active_view.h"
#include "registry/registry_fixture.h"

namespace chronova {
namespace {

using platform::Date;
using platform::Variant;
using testing::Drawn;

const std::vector<std::string> kHourly = {"3/1/2008 0:00", "3/1/2008 1:00", "3/1/2008 2:00", "3/1/2008 3:00"};

// A custom layer that runs a piece of client code when the registry hands its previous-steps flag back, which
// happens while its record is being removed.
class ReentrantTimeLayer : public testing::ScriptedTimeLayer {
public:
    using ScriptedTimeLayer::ScriptedTimeLayer;
    void ShowPrevious(bool value) override {
        ScriptedTimeLayer::ShowPrevious(value);
        if (on_show_previous) {
            on_show_previous();
        }
    }
    using ScriptedTimeLayer::ShowPrevious;
    std::function<void()> on_show_previous;
};

class ChronovaDataEventsTest : public testing::RegistryTest {
protected:
    // Counts the redraws the focus map announces; a step of the slider announces one for all its layers.
    void CountRefreshes(gis::Map& map) {
        refresh_connection_ =
            map.Events().ViewRefreshed.Connect([this](gis::IActiveView&, int32_t, const std::shared_ptr<gis::ILayer>&,
                                                      const std::optional<gis::Envelope>&) { ++refreshes_; });
    }

    int32_t refreshes_ = 0;
    platform::ScopedConnection refresh_connection_;
};

TEST_F(ChronovaDataEventsTest, DeletingAGroupOfTimeLayersRestoresTheSliderOnceAndUpdatesOnce) {
    auto group = std::make_shared<gis::GroupLayer>("Group");
    data_.push_back(testing::TimeTable(kHourly, "Shapefile Feature Class"));
    auto in_group_a = data_.back().layer;
    data_.push_back(testing::TimeTable({"3/1/2008 0:00", "3/1/2008 6:00"}, "Shapefile Feature Class"));
    auto in_group_b = data_.back().layer;
    group->Add(in_group_a);
    group->Add(in_group_b);
    FocusMap().AddLayer(group);
    auto outside = AddTimeLayer({"3/1/2008 0:00", "3/1/2008 0:30", "3/1/2008 2:00"}, "Shapefile Feature Class", "Out");

    ASSERT_TRUE(Registry().AddShapefileLayer(in_group_a, "WHEN"));
    ASSERT_TRUE(Registry().AddShapefileLayer(in_group_b, "WHEN"));
    ASSERT_TRUE(Registry().AddShapefileLayer(outside, "WHEN"));
    Registry().Update();
    std::shared_ptr<gis::ILayer> range = in_group_b;
    Registry().TimeRange(range);
    EXPECT_EQ(range, nullptr); // the caller's reference is taken
    ASSERT_EQ(Registry().TimeRange(), in_group_b);
    Registry().StartTime(Date::FromParts(2008, 3, 1, 0, 0));
    Registry().FinishTime(Date::FromParts(2008, 3, 1, 2, 0));
    Registry().Interval(30);
    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 1, 30));

    CountRefreshes(FocusMap());
    FocusMap().DeleteLayer(group);

    EXPECT_EQ(LayerCount(), 1);
    EXPECT_TRUE(Registry().FindLayer(outside));
    EXPECT_EQ(Registry().TimeRange(), nullptr); // the saved range was deleted: back to "Default"
    EXPECT_EQ(Registry().StartTime(), Date::FromParts(2008, 3, 1, 0, 0));
    EXPECT_EQ(Registry().FinishTime(), Date::FromParts(2008, 3, 1, 2, 0));
    EXPECT_EQ(Registry().Interval(), 30);
    EXPECT_EQ(Registry().CurrentTime(), Date::FromParts(2008, 3, 1, 1, 30));
    EXPECT_FALSE(Slider().Locked());
    EXPECT_EQ(outside->DefinitionExpression(), "WHEN = #3/1/2008 1:30:00 AM#");
    // The slider was updated once: one more update from the same state asks for the same redraws.
    const int32_t during_delete = refreshes_;
    EXPECT_GE(during_delete, 1);
    refreshes_ = 0;
    Registry().Update();
    EXPECT_EQ(refreshes_, during_delete);
}

TEST_F(ChronovaDataEventsTest, DeletingUnregisteredLayersLeavesTheSliderAlone) {
    auto layer = AddTimeLayer(kHourly);
    auto plain = AddTimeLayer(kHourly, "Shapefile Feature Class", "Plain");
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "WHEN"));
    Registry().Update();
    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 2, 0));
    const std::string filter = layer->DefinitionExpression();
    FocusMap().DeleteLayer(plain);
    EXPECT_EQ(LayerCount(), 1);
    EXPECT_EQ(layer->DefinitionExpression(), filter);

    FocusMap().DeleteLayer(layer);
    EXPECT_EQ(LayerCount(), 0);
    EXPECT_FALSE(Registry().Valid());
    EXPECT_EQ(layer->DefinitionExpression(), ""); // its filter is lifted
}

TEST_F(ChronovaDataEventsTest, ClosingTheDocumentEmptiesTheRegistryAndTheSlider) {
    auto layer = AddTimeLayer(kHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "WHEN"));
    Registry().Update();
    ASSERT_TRUE(Registry().Valid());

    g_pApp->NewDocument();
    EXPECT_EQ(LayerCount(), 0);
    EXPECT_EQ(Slider().lblTime[0].Caption(), "");
    EXPECT_EQ(Slider().cboLayers.ListCount(), 1);
    EXPECT_FALSE(Slider().Locked());
    EXPECT_EQ(layer->DefinitionExpression(), "");

    // The registry follows the new document's map.
    auto next = AddTimeLayer(kHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(next, "WHEN"));
    Registry().Update();
    EXPECT_TRUE(Registry().Valid());
    FocusMap().DeleteLayer(next);
    EXPECT_EQ(LayerCount(), 0);
}

TEST_F(ChronovaDataEventsTest, WritesOfTheTimeModelAreIgnoredWhileTheDocumentCloses) {
    auto custom = std::make_shared<ReentrantTimeLayer>(
        std::vector<Variant>{Variant(Date::FromParts(2008, 3, 1, 0, 0)), Variant(Date::FromParts(2008, 3, 1, 6, 0))});
    FocusMap().AddLayer(custom);
    ASSERT_TRUE(Registry().AddCustomTimeLayer(custom, "TIME"));
    Registry().Update();

    Date seen_start;
    bool seen_valid = true;
    int16_t seen_count = -1;
    custom->on_show_previous = [&] {
        Registry().StartTime(Date::FromParts(1999, 1, 1, 0, 0));
        seen_start = Registry().StartTime();
        seen_valid = Registry().Valid();
        seen_count = Registry().TimeRangeCount();
        Registry().TimeSpanActive(true);
    };
    g_pApp->CloseDocument();
    EXPECT_EQ(seen_start, Date::FromParts(2008, 3, 1, 0, 0));
    EXPECT_FALSE(seen_valid);
    EXPECT_EQ(seen_count, 0);
    EXPECT_FALSE(Registry().TimeSpanActive());
    EXPECT_EQ(LayerCount(), 0);
}

TEST_F(ChronovaDataEventsTest, AnotherFocusMapStartsAnEmptyRegistry) {
    auto layer = AddTimeLayer(kHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(layer, "WHEN"));
    Registry().Update();
    Registry().CurrentTime(Date::FromParts(2008, 3, 1, 1, 0));
    ASSERT_EQ(layer->DefinitionExpression(), "WHEN = #3/1/2008 1:00:00 AM#");

    auto other = std::make_shared<gis::Map>("Other");
    g_pApp->Document()->AddMap(other);
    EXPECT_EQ(LayerCount(), 1); // adding a map changes nothing while the focus stays
    g_pApp->Document()->FocusMap(other);
    EXPECT_EQ(LayerCount(), 0);
    EXPECT_EQ(layer->DefinitionExpression(), "");

    auto there = AddTimeLayer(kHourly);
    ASSERT_TRUE(Registry().AddShapefileLayer(there, "WHEN"));
    other->DeleteLayer(there);
    EXPECT_EQ(LayerCount(), 0);
}

TEST_F(ChronovaDataEventsTest, PlaybackSurvivesLayersDeletedAndTheDocumentClosedUnderIt) {
    auto first = AddTimeLayer(kHourly, "Shapefile Feature Class", "First");
    auto second = AddTimeLayer(kHourly, "Shapefile Feature Class", "Second");
    auto group = std::make_shared<gis::GroupLayer>("Group");
    auto custom = std::make_shared<testing::ScriptedTimeLayer>(
        std::vector<Variant>{Variant(Date::FromParts(2008, 3, 1, 0, 0)), Variant(Date::FromParts(2008, 3, 1, 3, 0))});
    group->Add(custom);
    FocusMap().AddLayer(group);
    ASSERT_TRUE(Registry().AddShapefileLayer(first, "WHEN"));
    ASSERT_TRUE(Registry().AddShapefileLayer(second, "MINUTES"));
    ASSERT_TRUE(Registry().AddCustomTimeLayer(custom, "TIME"));
    Registry().Update();
    g_bLoopAnimation = true;

    Slider().tb1.Press("ID_PLAY");
    loop_.AdvanceBy(250);
    EXPECT_EQ(Slider().Slider1.Value(), 2);
    FocusMap().DeleteLayer(second);
    loop_.AdvanceBy(100);
    EXPECT_EQ(Drawn(*first), std::vector<int32_t>{4});
    FocusMap().DeleteLayer(group);
    EXPECT_EQ(LayerCount(), 1);
    loop_.AdvanceBy(1000);
    auto focus = std::make_shared<gis::Map>("Focus");
    g_pApp->Document()->AddMap(focus);
    g_pApp->Document()->FocusMap(focus);
    loop_.AdvanceBy(1000);
    g_pApp->CloseDocument();
    loop_.AdvanceBy(1000);
    EXPECT_EQ(LayerCount(), 0);
    EXPECT_FALSE(Registry().Valid());
}

} // namespace
} // namespace chronova
