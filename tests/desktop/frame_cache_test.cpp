// The map canvas's frame cache: a frame answered from the cache is the frame drawing gives now, any change to what
// is drawn misses, the cache keeps within its bound, and a bound of 0 keeps nothing.

#include <gtest/gtest.h>

#include <QTest>
#include <functional>

#include "apps/desktop/frame_cache.h"
#include "apps/desktop/map_canvas.h"
#include "desktop_fixture.h"
#include "gis/data/column_table.h"
#include "gis/data/joined_table.h"
#include "gis/data/memory_table.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layers/open_layers.h"
#include "gis/map/map.h"
#include "plugins/moving_points/moving_points_layer.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::desktop {
namespace {

// Keys that differ by size only: an empty map shown at sizes 1 x 1, 2 x 1, ...
FrameKey KeyNumber(int number) {
    static const gis::Map empty;
    return FrameKey::Of(empty, QSize(number, 1), gis::Envelope{0, 0, 1, 1}, Qt::white);
}

QImage Image(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::blue);
    return image;
}

TEST(FrameCacheTest, KeepsWithinItsBoundDroppingTheLeastRecentlyUsedFrame) {
    const size_t one = static_cast<size_t>(Image(100).sizeInBytes());
    FrameCache cache(one * 3 + one / 2); // room for three frames and their keys, not four
    cache.Insert(KeyNumber(1), Image(100));
    cache.Insert(KeyNumber(2), Image(100));
    cache.Insert(KeyNumber(3), Image(100));
    EXPECT_EQ(cache.Count(), 3U);
    ASSERT_TRUE(cache.Find(KeyNumber(1))); // 1 is now the most recently used, 2 the least

    cache.Insert(KeyNumber(4), Image(100));
    EXPECT_EQ(cache.Count(), 3U);
    EXPECT_LE(cache.Bytes(), cache.Capacity());
    EXPECT_FALSE(cache.Find(KeyNumber(2)));
    EXPECT_TRUE(cache.Find(KeyNumber(1)));
    EXPECT_TRUE(cache.Find(KeyNumber(3)));
    EXPECT_TRUE(cache.Find(KeyNumber(4)));

    // The same key again replaces its frame and counts once.
    cache.Insert(KeyNumber(4), Image(50));
    EXPECT_EQ(cache.Count(), 3U);
    EXPECT_EQ(cache.Find(KeyNumber(4))->width(), 50);

    // A frame larger than the whole bound is not kept, and does not push others out.
    cache.Insert(KeyNumber(5), Image(200));
    EXPECT_FALSE(cache.Find(KeyNumber(5)));
    EXPECT_EQ(cache.Count(), 3U);

    // A smaller bound evicts at once, the least recently used first.
    cache.Capacity(one / 2);
    EXPECT_EQ(cache.Count(), 1U);
    EXPECT_LE(cache.Bytes(), cache.Capacity());
    EXPECT_TRUE(cache.Find(KeyNumber(4)));

    cache.Capacity(0);
    EXPECT_FALSE(cache.Enabled());
    cache.Insert(KeyNumber(1), Image(1));
    EXPECT_EQ(cache.Count(), 0U);
    EXPECT_EQ(cache.Bytes(), 0U);
}

TEST(FrameCacheTest, TheBoundIsAUserSettingOffByDefault) {
    testing::ScratchFolder folder;
    testing::ScopedEnvironment user{"CHRONOVA_USER_SETTINGS", (folder / "user.jsonl").string()};
    EXPECT_EQ(StoredFrameCacheMegabytes(), 0U);
    EXPECT_FALSE(MapCanvas().Frames().Enabled());
    StoreFrameCacheMegabytes(256);
    EXPECT_EQ(StoredFrameCacheMegabytes(), 256U);
    StoreFrameCacheMegabytes(0);
    EXPECT_EQ(StoredFrameCacheMegabytes(), 0U);
    MapCanvas off;
    EXPECT_FALSE(off.Frames().Enabled());
    StoreFrameCacheMegabytes(64);
    MapCanvas on;
    EXPECT_EQ(on.Frames().Capacity(), 64U * 1024 * 1024);
}

TEST(FrameKeyTest, ACustomLayerThatTellsItsDrawStateMatchesAgainAtTheSameStep) {
    const auto layer = plugins::MovingPointsLayer::FromText(
        "TIME,X,Y\n2008-03-01 00:00,1,1\n2008-03-01 01:00,2,2\n2008-03-01 01:00,3,3\n", "test.csv");
    gis::Map map;
    map.AddLayer(layer);
    const auto key = [&] { return FrameKey::Of(map, QSize(10, 10), gis::Envelope{0, 0, 4, 4}, Qt::white); };
    layer->CurrentTimeStep(layer->TimeStep(1));
    const FrameKey first = key();
    layer->CurrentTimeStep(layer->TimeStep(2));
    EXPECT_FALSE(key() == first);
    layer->CurrentTimeStep(layer->TimeStep(1));
    EXPECT_TRUE(key() == first);
    layer->ShowPrevious(true);
    layer->CurrentTimeStep(layer->TimeStep(2));
    EXPECT_FALSE(key() == first);
}

// A canvas over a layer of points with a step number each, filtered by step as time playback filters.
class CanvasFrameCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        WritePoints("steps", 0.0);
        WritePoints("shifted", 5.0);
        layer_ = std::dynamic_pointer_cast<gis::FeatureLayer>(gis::OpenFeatureLayer(folder_.Path().string(), "steps"));
        ASSERT_TRUE(layer_);
        map_->AddLayer(layer_);
        canvas_.FrameCacheBytes(size_t{64} * 1024 * 1024);
        canvas_.resize(300, 200);
        canvas_.Bind(map_);
        canvas_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas_));
    }

    // Ten points a step for steps 1 to 3, spread by step so every step draws something else.
    void WritePoints(const std::string& name, double offset) {
        testing::FixtureLayer points{name, wkbPoint, {{"STEP", OFTInteger}}, {}};
        for (int step = 1; step <= 3; ++step) {
            for (int i = 0; i < 10; ++i) {
                points.rows.push_back(
                    testing::PointRow(offset + i * 10.0 + step * 3.0, step * 10.0 + i, {int64_t{step}}));
            }
        }
        testing::WriteShapefile(folder_.Path(), points);
    }

    // Shows a step as the time filter does: a new definition expression and a redraw of the layer. The frame
    // drawn then goes into the cache before the next step, as it does when playback leaves the worker time.
    void ShowStep(int step) {
        layer_->DefinitionExpression("STEP = " + std::to_string(step));
        map_->PartialRefresh(gis::view_phase::kGeography, layer_, std::nullopt);
        canvas_.FinishStoring();
    }

    // Joins rows (step, speed) to the layer's features by step, as time playback joins a step's rows: a new join
    // object each time, an inner join, so only the features of the steps joined are drawn.
    void JoinRows(const std::vector<std::pair<int, double>>& rows) {
        auto table = std::make_shared<gis::ColumnTable>("OBS_QUERY");
        auto& step = table->AddField({"STEP_REF", "", gis::FieldType::Integer});
        auto& speed = table->AddField({"SPEED", "", gis::FieldType::Double});
        for (const auto& [step_value, speed_value] : rows) {
            step.AppendInteger(step_value);
            speed.AppendReal(speed_value);
        }
        auto relationship = std::make_shared<gis::MemoryRelationshipClass>();
        relationship->Name = "Join_Steps";
        relationship->Origin = layer_->FeatureClass();
        relationship->OriginKey = "STEP";
        relationship->Destination = std::make_shared<gis::MemoryTable>(table);
        relationship->DestinationKey = "STEP_REF";
        layer_->DisplayRelationshipClass(relationship, gis::JoinType::InnerJoin);
        map_->PartialRefresh(gis::view_phase::kGeography, layer_, std::nullopt);
        canvas_.FinishStoring();
    }

    FrameKey KeyNow() const { return FrameKey::Of(*map_, canvas_.size(), canvas_.VisibleExtent(), background_); }

    // The frame a drawer that never drew before gives for the map as it is now.
    QImage FreshDraw() {
        gis::MapDrawer fresh(map_);
        fresh.Background(background_);
        return fresh.Draw(canvas_.size());
    }

    int64_t Hits() const { return canvas_.Frames().Hits(); }

    testing::ScratchFolder folder_;
    std::shared_ptr<gis::Map> map_ = std::make_shared<gis::Map>();
    std::shared_ptr<gis::FeatureLayer> layer_;
    QColor background_{Qt::white};
    MapCanvas canvas_;
};

TEST_F(CanvasFrameCacheTest, AStepShownAgainComesFromTheCacheWithTheDrawnPixelsAndTheDrawingNotifications) {
    ShowStep(1);
    const QImage first = canvas_.Frame();
    ShowStep(2);
    ASSERT_NE(canvas_.Frame(), first);
    const int64_t hits = Hits();
    int started = 0;
    int finished = 0;
    auto on_start = map_->ScreenDisplay()->DrawingStarted.Connect([&] { ++started; });
    auto on_finish = map_->ScreenDisplay()->DrawingFinished.Connect([&] { ++finished; });
    const int draws = canvas_.DrawCount();
    ShowStep(1);
    EXPECT_EQ(Hits(), hits + 1);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(canvas_.DrawCount(), draws + 1);
    on_start.Disconnect();
    on_finish.Disconnect();
    EXPECT_EQ(canvas_.Frame(), first);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());

    // After frames from the cache the drawer carries on from the map as it is: the next step drawn is right.
    ShowStep(3);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());
    ShowStep(2);
    EXPECT_EQ(Hits(), hits + 2);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());
}

TEST_F(CanvasFrameCacheTest, TheCacheKeepsCopiesNotTheDrawersOwnFrames) {
    ShowStep(1);
    const QImage drawn = canvas_.Frame();
    ShowStep(2);
    ShowStep(1);
    ASSERT_EQ(canvas_.Frames().Hits(), 1);
    // Equal pixels in other memory: the drawer's image went back to it once copied.
    EXPECT_EQ(canvas_.Frame(), drawn);
    EXPECT_NE(canvas_.Frame().constBits(), drawn.constBits());
}

TEST_F(CanvasFrameCacheTest, AStepShownAgainBeforeItsCopyIsDoneStillComesFromTheCache) {
    canvas_.FinishStoring();
    const size_t kept = canvas_.Frames().Count();
    // No FinishStoring between the steps: the frames may still wait for their copies when step 1 comes back.
    layer_->DefinitionExpression("STEP = 1");
    map_->PartialRefresh(gis::view_phase::kGeography, layer_, std::nullopt);
    const QImage first = canvas_.Frame();
    layer_->DefinitionExpression("STEP = 2");
    map_->PartialRefresh(gis::view_phase::kGeography, layer_, std::nullopt);
    layer_->DefinitionExpression("STEP = 1");
    map_->PartialRefresh(gis::view_phase::kGeography, layer_, std::nullopt);
    EXPECT_EQ(Hits(), 1);
    EXPECT_EQ(canvas_.Frame(), first);
    canvas_.FinishStoring();
    EXPECT_EQ(canvas_.Frames().Count(), kept + 2);
}

TEST_F(CanvasFrameCacheTest, AFrameDrawnAfterAHandlerChangedTheMapIsNotKeptForTheStateBefore) {
    ShowStep(2);
    // A handler of the drawing notifications filters the layer anew, without asking for a redraw: the frame then
    // shows step 3 although step 1 was asked for.
    bool meddle = true;
    auto on_start = map_->ScreenDisplay()->DrawingStarted.Connect([&] {
        if (meddle) {
            meddle = false;
            layer_->DefinitionExpression("STEP = 3");
        }
    });
    ShowStep(1);
    on_start.Disconnect();
    EXPECT_EQ(canvas_.Frame(), FreshDraw()); // step 3, as the map is now
    const int64_t hits = Hits();
    ShowStep(2);
    ShowStep(1);
    EXPECT_EQ(Hits(), hits + 1); // step 2 only
    EXPECT_EQ(canvas_.Frame(), FreshDraw());
}

TEST_F(CanvasFrameCacheTest, AJoinMadeAnewForTheSameRowsHitsAndOtherRowsMiss) {
    JoinRows({{1, 2.0}});
    const FrameKey first = KeyNow();
    const QImage first_frame = canvas_.Frame();
    JoinRows({{2, 2.0}});
    EXPECT_NE(canvas_.Frame(), first_frame);
    const int64_t hits = Hits();
    JoinRows({{1, 2.0}});
    EXPECT_TRUE(KeyNow() == first);
    EXPECT_EQ(Hits(), hits + 1);
    EXPECT_EQ(canvas_.Frame(), first_frame);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());

    // Anything the join yields differently is another frame, drawn or not the same: a value (a renderer may
    // classify by it), a row more, another join type.
    JoinRows({{1, 3.0}});
    EXPECT_FALSE(KeyNow() == first);
    JoinRows({{1, 2.0}, {3, 2.0}});
    EXPECT_FALSE(KeyNow() == first);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());
    EXPECT_EQ(Hits(), hits + 1);
    JoinRows({{1, 2.0}});
    ASSERT_TRUE(KeyNow() == first);
    layer_->DisplayRelationshipClass(layer_->Joins().back()->RelationshipClass(), gis::JoinType::LeftOuterJoin);
    EXPECT_FALSE(KeyNow() == first);
}

TEST_F(CanvasFrameCacheTest, AnyChangeToWhatIsDrawnMisses) {
    ShowStep(1);
    ShowStep(2);
    // Each change and the redraw it asks for, then steps shown before it: none may come from a frame of the state
    // before the change.
    const auto refresh = [&] { map_->PartialRefresh(gis::view_phase::kGeography, layer_, std::nullopt); };
    const auto expect_miss = [&](const char* change, const std::function<void()>& make) {
        SCOPED_TRACE(change);
        const int64_t hits = Hits();
        make();
        EXPECT_EQ(Hits(), hits);
        EXPECT_EQ(canvas_.Frame(), FreshDraw());
        ShowStep(1);
        ShowStep(2);
        EXPECT_EQ(canvas_.Frame(), FreshDraw());
    };
    expect_miss("visibility", [&] {
        layer_->Visible(false);
        refresh();
    });
    // Visible again, the layer shows a state drawn before: that frame may serve.
    layer_->Visible(true);
    refresh();
    EXPECT_EQ(canvas_.Frame(), FreshDraw());
    expect_miss("renderer colour", [&] {
        auto renderer = std::dynamic_pointer_cast<gis::SimpleRenderer>(layer_->Renderer());
        ASSERT_TRUE(renderer);
        auto marker = std::dynamic_pointer_cast<gis::SimpleMarkerSymbol>(renderer->Symbol);
        ASSERT_TRUE(marker);
        marker->MarkerColor = gis::Color{0, 160, 0, false};
        renderer->Touch();
        refresh();
    });
    expect_miss("definition expression", [&] {
        layer_->DefinitionExpression("STEP >= 2");
        refresh();
    });
    expect_miss("data", [&] {
        auto other =
            std::dynamic_pointer_cast<gis::FeatureLayer>(gis::OpenFeatureLayer(folder_.Path().string(), "shifted"));
        layer_->FeatureClass(other->FeatureClass());
        refresh();
    });
    expect_miss("extent", [&] { map_->Extent(gis::Envelope{0, 0, 40, 40}); });
    expect_miss("size", [&] { canvas_.resize(280, 190); });
    expect_miss("background", [&] {
        background_ = QColor(10, 20, 30);
        canvas_.Bind(map_, background_);
    });
}

TEST_F(CanvasFrameCacheTest, ABoundOfZeroDrawsEveryFrame) {
    canvas_.FrameCacheBytes(0);
    ShowStep(1);
    ShowStep(2);
    ShowStep(1);
    EXPECT_EQ(Hits(), 0);
    EXPECT_EQ(canvas_.Frames().Count(), 0U);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());

    // Turned on again it keeps frames from then on.
    canvas_.FrameCacheBytes(size_t{64} * 1024 * 1024);
    ShowStep(2);
    ShowStep(1);
    ShowStep(2);
    EXPECT_EQ(Hits(), 1);
    EXPECT_EQ(canvas_.Frame(), FreshDraw());
}

// The window's own playback: stepping back through the slider shows cached frames equal to a fresh drawing.
class WindowFrameCacheTest : public testing::DesktopTest {};

TEST_F(WindowFrameCacheTest, SteppingBackThroughTheSliderShowsTheFramesDrawingGives) {
    StoreFrameCacheMegabytes(64);
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    MapCanvas& canvas = *window.Canvas();
    frmSlider& slider = *g_pChronovaData->Slider();
    const auto fresh = [&] {
        gis::MapDrawer drawer(canvas.BoundMap());
        drawer.Background(QColor(Qt::white));
        return drawer.Draw(canvas.size());
    };
    slider.Step(1);
    canvas.FinishStoring();
    const QImage second = canvas.Frame();
    EXPECT_EQ(second, fresh());
    slider.Step(1);
    canvas.FinishStoring();
    EXPECT_EQ(canvas.Frame(), fresh());
    const int64_t hits = canvas.Frames().Hits();
    slider.Step(-1);
    EXPECT_EQ(canvas.Frames().Hits(), hits + 1);
    EXPECT_EQ(canvas.Frame(), second);
    EXPECT_EQ(canvas.Frame(), fresh());

    // Another project drops the frames of the first.
    const size_t kept = canvas.Frames().Count();
    ASSERT_GE(kept, 3U);
    ASSERT_TRUE(window.OpenProject(WriteDotsProject()));
    EXPECT_LT(window.Canvas()->Frames().Count(), kept);
}

TEST_F(WindowFrameCacheTest, TheDemoProjectsJoinedLayerComesFromTheCacheWhenAStepIsShownAgain) {
    StoreFrameCacheMegabytes(64);
    MainWindow& window = OpenWindow();
    ASSERT_TRUE(window.OpenProject(DemoProject()));
    MapCanvas& canvas = *window.Canvas();
    frmSlider& slider = *g_pChronovaData->Slider();
    const auto fresh = [&] {
        gis::MapDrawer drawer(canvas.BoundMap());
        drawer.Background(canvas.Background());
        return drawer.Draw(canvas.size());
    };
    const auto step = [&](int direction) {
        slider.Step(direction);
        canvas.FinishStoring();
    };
    step(1);
    step(1);
    const QImage shown = canvas.Frame();
    step(1);
    const int64_t hits = canvas.Frames().Hits();
    step(-1);
    EXPECT_EQ(canvas.Frames().Hits(), hits + 1);
    EXPECT_EQ(canvas.Frame(), shown);
    EXPECT_EQ(canvas.Frame(), fresh());
    // On to a step not shown yet, drawn after a frame from the cache: what a fresh drawer draws.
    step(1);
    step(1);
    EXPECT_EQ(canvas.Frames().Hits(), hits + 2);
    EXPECT_EQ(canvas.Frame(), fresh());
}

} // namespace
} // namespace chronova::desktop
