#include "plugins/moving_points/moving_points_layer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "platform/locale.h"
#include "plugins/moving_points/csv_records.h"
#include "support/error_number.h"

namespace chronova::plugins {
namespace {

using platform::Date;
using platform::Variant;

std::string ErrorText(std::string_view csv) {
    const platform::AutomationError error = testing::ErrorOf([&] { MovingPointsLayer::FromText(csv, "buoys.csv"); });
    return error.Number() != 0 ? error.Description() : "<no error>";
}

TEST(CsvRecordsTest, SplitsQuotedFieldsAndKeepsLineNumbers) {
    const auto records = ParseCsv("\xEF\xBB\xBF"
                                  "a,b\r\n\n\"x, \"\"y\"\"\",\"two\nlines\"\r\nlast,\n",
                                  "t");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Fields, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(records[1].Line, 3);
    EXPECT_EQ(records[1].Fields, (std::vector<std::string>{"x, \"y\"", "two\nlines"}));
    EXPECT_EQ(records[2].Line, 5);
    EXPECT_EQ(records[2].Fields, (std::vector<std::string>{"last", ""}));
}

TEST(CsvRecordsTest, BadQuotingIsAnErrorNamingTheLine) {
    EXPECT_RAISES(ParseCsv("a\n\"open", "t"), 5);
    const platform::AutomationError error = testing::ErrorOf([] { ParseCsv("a\n\"x\"y\n", "t.csv"); });
    EXPECT_EQ(error.Number(), 5);
    EXPECT_EQ(error.Description(), "t.csv, line 2: a closing quote must be followed by a comma or the end of the line");
}

TEST(MovingPointsLayerTest, BadFilesGiveErrorsThatSayWhatAndWhere) {
    EXPECT_EQ(ErrorText(""), "buoys.csv, line 1: the file has no header line");
    EXPECT_EQ(ErrorText("id,when,x,y\n"), "buoys.csv, line 1: the header must name the columns TIME, X and Y");
    EXPECT_EQ(ErrorText("time,x,y\n3/1/2008,1\n"), "buoys.csv, line 2: expected 3 fields, found 2");
    EXPECT_EQ(ErrorText("time,x,y\nsoon,1,2\n"), "buoys.csv, line 2: 'soon' is not a date and time");
    EXPECT_EQ(ErrorText("time,x,y\n3/1/2008,east,2\n"), "buoys.csv, line 2: 'east' is not a number");
    EXPECT_RAISES(MovingPointsLayer::Open("/no/such/file.csv"), 53);
}

class MovingPointsFixture : public ::testing::Test {
protected:
    platform::ScopedLocale us_{"en-US"};
    std::shared_ptr<MovingPointsLayer> layer_ = MovingPointsLayer::FromText("ID,TIME,X,Y,SPEED,DIRECTION\n"
                                                                            "b,3/1/2008 6:00,10,20,1.5,90\n"
                                                                            "a,3/1/2008 0:00,0,0,,\n"
                                                                            "a,010600Z MAR 2008,1,1,2,180\n"
                                                                            "b,3/1/2008 12:00,30,-5,0.5,270\n",
                                                                            "buoys.csv", "Buoys");
};

TEST_F(MovingPointsFixture, StepsAreTheDistinctTimesInOrder) {
    ASSERT_EQ(layer_->TimeStepCount(), 3);
    EXPECT_EQ(layer_->TimeStep(1), Variant(Date::FromParts(2008, 3, 1)));
    EXPECT_EQ(layer_->TimeStep(3), Variant(Date::FromParts(2008, 3, 1, 12, 0)));
    EXPECT_RAISES(layer_->TimeStep(0), 9);
    EXPECT_RAISES(layer_->TimeStep(4), 9);
    EXPECT_EQ(layer_->Path(), "buoys.csv");
    EXPECT_EQ(layer_->Name(), "Buoys");
    EXPECT_EQ(layer_->AreaOfInterest(), (gis::Envelope{0, -5, 30, 20}));
}

TEST_F(MovingPointsFixture, ShowsTheCurrentStepOrEveryStepUpToIt) {
    EXPECT_TRUE(layer_->VisiblePoints().empty());
    layer_->CurrentTimeStep(Date::FromParts(2008, 3, 1, 6, 0));
    ASSERT_EQ(layer_->VisiblePoints().size(), 2u);
    for (uint32_t point : layer_->VisiblePoints()) {
        EXPECT_EQ(layer_->Points()[point].Time, Date::FromParts(2008, 3, 1, 6, 0));
    }
    layer_->ShowPrevious(true);
    EXPECT_EQ(layer_->VisiblePoints().size(), 3u);
    layer_->CurrentTimeStep("3/1/2008 11:59 AM");
    EXPECT_EQ(layer_->VisiblePoints().size(), 3u);
    layer_->ShowPrevious(false);
    EXPECT_TRUE(layer_->VisiblePoints().empty());
    layer_->CurrentTimeStep(Variant());
    EXPECT_TRUE(layer_->VisiblePoints().empty());
    layer_->CurrentTimeStep(Date(-1.0));
    EXPECT_TRUE(layer_->VisiblePoints().empty());
}

TEST_F(MovingPointsFixture, OffersItsFieldsAndVectors) {
    ASSERT_EQ(layer_->FieldsCount(), 6);
    std::string name;
    int16_t type = 0;
    layer_->Fields(2, name, type);
    EXPECT_EQ(name, "TIME");
    EXPECT_EQ(type, 7);
    layer_->Fields(6, name, type);
    EXPECT_EQ(name, "DIRECTION");
    EXPECT_EQ(type, 5);
    EXPECT_RAISES(layer_->Fields(7, name, type), 9);
    EXPECT_TRUE(layer_->ForceVectors());
    std::string speed, direction;
    layer_->VectorFields(speed, direction);
    EXPECT_EQ(speed, "SPEED");
    EXPECT_EQ(direction, "DIRECTION");
    EXPECT_FALSE(layer_->Points()[0].Speed.has_value());
}

// Records what a layer draws, one line per marker: kind, position, size and turn.
class RecordingDisplay : public gis::IDisplay {
public:
    void DrawMarker(double x, double y, const gis::IMarkerSymbol& symbol, double extra_angle) override {
        const bool arrow = dynamic_cast<const gis::CharacterMarkerSymbol*>(&symbol) != nullptr;
        std::ostringstream line;
        line << (arrow ? "arrow" : "marker") << " " << x << "," << y << " size " << symbol.Size << " turn "
             << extra_angle;
        lines.push_back(line.str());
    }
    void DrawPolyline(const double*, const double*, size_t, const gis::SimpleLineSymbol&) override {}
    void DrawPolygon(const double*, const double*, size_t, const gis::SimpleFillSymbol&) override {}
    gis::Envelope VisibleExtent() const override { return {}; }
    std::vector<std::string> lines;
};

TEST_F(MovingPointsFixture, DrawsArrowsSizedBySpeedAndTurnedByDirection) {
    const auto drawn = [&] {
        RecordingDisplay display;
        layer_->Draw(display);
        return display.lines;
    };
    EXPECT_TRUE(drawn().empty());
    uint64_t revision = layer_->DrawRevision();
    const auto changed = [&] {
        const uint64_t before = std::exchange(revision, layer_->DrawRevision());
        return before != revision;
    };

    layer_->CurrentTimeStep(Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_TRUE(changed());
    // Speeds run from 0.5 to 2 in the file: 2 draws 24 points, 1.5 two thirds of the way from 8.
    EXPECT_EQ(drawn(), (std::vector<std::string>{"arrow 10,20 size 18.6667 turn 90", "arrow 1,1 size 24 turn 180"}));
    layer_->CurrentTimeStep(Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_FALSE(changed()) << "the same points";
    layer_->ShowPrevious(true);
    EXPECT_TRUE(changed());
    EXPECT_EQ(drawn().front(), "marker 0,0 size 6 turn 0") << "a point without speed";
}

} // namespace
} // namespace chronova::plugins
