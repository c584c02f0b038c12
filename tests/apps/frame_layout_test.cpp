// The furniture of exported frames as the project sets it, through the render command.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <filesystem>
#include <fstream>
#include <string>

#include "apps/chronova/cli.h"
#include "apps/run_command.h"
#include "platform/locale.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

class FrameLayoutTest : public ::testing::Test {
protected:
    FrameLayoutTest() {
        testing::FixtureLayer dots{"dots", wkbPoint, {{"WHEN", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i < 3; ++i) {
            dots.rows.push_back(testing::PointRow(i * 10.0, 0.0, {"2008-03-01 0" + std::to_string(i) + ":00"}));
        }
        testing::WriteShapefile(folder_.Path(), dots);
    }

    // The first frame of the dots project at 400x300 with the given layout member.
    QImage FirstFrame(const std::string& layout) {
        const fs::path project = folder_ / "dots.chronova.json";
        std::ofstream(project) << R"({
  "chronova_project": 1,
  "map": { "name": "Three dots", "extent": [-10, -15, 30, 15], "background": "#ffffff" },
  "layers": [ { "name": "Dots", "kind": "feature", "source": { "workspace": ".", "dataset": "dots" },
                "symbology": { "color": "#ff0000", "size": 12, "marker": "square" },
                "time": { "field": "WHEN" } } ],
  "export": { "size": [400, 300] },
  "layout": )" << layout << "\n}";
        const fs::path out = folder_ / ("frames" + std::to_string(++renders_));
        const Result result = RunWith({"render", project.string(), "--out", out.string(), "--quiet"});
        EXPECT_EQ(result.status, kExitSuccess) << result.err;
        return QImage(QString::fromStdString((out / "frame_00000.png").string())).convertToFormat(QImage::Format_RGB32);
    }

    static QRect Difference(const QImage& first, const QImage& second) {
        QRect changed;
        for (int y = 0; y < first.height(); ++y) {
            for (int x = 0; x < first.width(); ++x) {
                if (first.pixel(x, y) != second.pixel(x, y)) {
                    changed |= QRect(x, y, 1, 1);
                }
            }
        }
        return changed;
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
    int renders_ = 0;
};

// Pieces switched off leave the map's pixels as they are: with only the time label on, in the top-left corner,
// nothing else differs from the bare map.
TEST_F(FrameLayoutTest, PiecesSwitchedOffInTheProjectAreAbsent) {
    const QImage bare = FirstFrame("false");
    ASSERT_FALSE(bare.isNull());
    const QImage time_only = FirstFrame(R"({"title": false, "legend": false, "scale_bar": false, "color_bar": false,
        "time_label": {"position": "top-left"}, "margin": 0})");
    const QRect changed = Difference(bare, time_only);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_LT(changed.right(), 200);
    EXPECT_LT(changed.bottom(), 75);
    EXPECT_TRUE(Difference(bare, FirstFrame(R"({"title": false, "legend": false, "scale_bar": false,
        "color_bar": false, "time_label": false, "margin": 0})"))
                    .isEmpty());
}

// The default layout draws the map's name, the legend, the scale bar and the time, each away from the dots on
// the middle row, and leaves room around the data.
TEST_F(FrameLayoutTest, DefaultLayoutFurnishesTheFrameAroundTheData) {
    const QImage bare = FirstFrame("false");
    const QImage furnished = FirstFrame("true");
    ASSERT_FALSE(furnished.isNull());
    const QRect changed = Difference(bare, furnished);
    EXPECT_LT(changed.top(), 30);     // the title or the time along the top
    EXPECT_GT(changed.bottom(), 270); // the scale bar along the bottom
    // The margin shrinks the map: the first dot, 16 pixels wide at x = 100 on the bare map (10 pixels a unit),
    // moves to x = 109 (400 / 44 pixels a unit from x = -12).
    const auto red = [](const QImage& image, int x, int y) {
        const QColor colour = image.pixelColor(x, y);
        return colour.red() > 200 && colour.green() < 60 && colour.blue() < 60;
    };
    EXPECT_TRUE(red(bare, 94, 150) && red(bare, 106, 150));
    EXPECT_TRUE(red(furnished, 103, 150) && red(furnished, 115, 150));
    EXPECT_FALSE(red(furnished, 97, 150));
}

} // namespace
} // namespace chronova::cli
