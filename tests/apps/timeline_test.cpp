// The slider's timeline under exported frames: the map keeps its size and pixels, the strip shows the slider, the
// day/night band of the data's place and the time span, and a whole strip is kept as a golden file.
#include "apps/chronova/cli.h"
#include "apps/chronova/frame_renderer.h"
#include "apps/chronova/opened_project.h"
#include "apps/chronova/timeline_strip.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/locale.h"
#include "registry/chronova_data.h"
#include "slider/frm_slider.h"
#include "support/gdal_fixtures.h"
#include "support/golden_file.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

class TimelineTest : public ::testing::Test {
protected:
    // Points reported every two hours over 1 and 2 March 2008, alternately at 70° W 10° S and 50° W 10° N: the
    // layer's area is centred on the equator at 60° W, where the sun rises about 10:05 and sets about 22:10 UT
    // (positions 5 and 11 are the last dark and light).
    std::string WriteProject() {
        testing::FixtureLayer points{"points", wkbPoint, {{"ID", OFTInteger}, {"WHEN", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i <= 24; ++i) {
            const int day = 1 + (2 * i) / 24;
            const int hour = (2 * i) % 24;
            char dtg[32];
            std::snprintf(dtg, sizeof dtg, "%02d%02d00Z MAR 2008", day, hour);
            points.rows.push_back(testing::PointRow(i % 2 == 0 ? -70.0 : -50.0, i % 2 == 0 ? -10.0 : 10.0,
                                                    {int64_t{i + 1}, std::string(dtg)}));
        }
        testing::WriteShapefile(folder_.Path(), points);
        const fs::path path = folder_ / "timeline.chronova.json";
        std::ofstream(path) << R"({
  "chronova_project": 1,
  "map": { "extent": [-80, -20, -40, 20], "background": "#ffffff" },
  "layers": [ { "name": "Points", "kind": "feature", "source": { "workspace": ".", "dataset": "points" },
                "symbology": { "color": "#ff0000", "size": 8, "marker": "square" },
                "time": { "field": "WHEN" } } ],
  "export": { "size": [300, 100], "fps": 5 }
})";
        return path.string();
    }

    int Run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = cli::Run(args, out, err);
        EXPECT_EQ(status, kExitSuccess) << err.str();
        return status;
    }

    static QImage Frame(const fs::path& folder, int index) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", index);
        return QImage(QString::fromStdString((folder / name).string())).convertToFormat(QImage::Format_RGB32);
    }

    platform::ScopedLocale us_{"en-US"};
    testing::ScratchFolder folder_;
};

TEST_F(TimelineTest, TheStripGoesUnderTheMapWhichKeepsItsSizeAndPixels) {
    const std::string project = WriteProject();
    Run({"render", project, "--out", (folder_ / "plain").string(), "--quiet"});
    Run({"render", project, "--out", (folder_ / "timeline").string(), "--quiet", "--timeline"});
    const QImage plain = Frame(folder_ / "plain", 3);
    const QImage timeline = Frame(folder_ / "timeline", 3);
    ASSERT_EQ(plain.size(), QSize(300, 100));
    ASSERT_EQ(timeline.width(), 300);
    ASSERT_GT(timeline.height(), 100 + TimelineStrip::kSliderTop + 30);
    EXPECT_EQ(timeline.copy(0, 0, 300, 100), plain);
}

// One letter per colour the strip is drawn in, so that a row reads as runs of letters.
char ColourLetter(QRgb pixel) {
    static const std::map<QRgb, char> kLetters = {
        {0xF0F0F0, 'f'}, {0xFFFFFF, 'w'}, {0x696969, 'n'}, {0x000000, 'k'},
        {0x9A9A9A, 'e'}, {0x0078D7, 't'}, {0xFF0000, 'r'},
    };
    const auto found = kLetters.find(pixel & 0xFFFFFF);
    return found == kLetters.end() ? '?' : found->second;
}

// The strip below its labels (whose glyphs depend on the fonts installed), a row per line as runs of letters.
std::string StripText(const QImage& frame, int map_height) {
    std::ostringstream text;
    text << "# The timeline under frame 6 (12:00 on 1 March 2008) of 25 two-hourly positions, for data centred on\n"
            "# the equator at 60 W, with a span from 06:00 to 20:00. A row per line from the slider down, as runs of\n"
            "# colours: f face, w white, n night, k ticks, e channel edge, t thumb, r span.\n";
    for (int y = map_height + TimelineStrip::kSliderTop; y < frame.height(); ++y) {
        text << y - map_height << ":";
        char run = 0;
        int length = 0;
        for (int x = 0; x <= frame.width(); ++x) {
            const char letter = x < frame.width() ? ColourLetter(frame.pixel(x, y)) : 0;
            if (letter != run && length > 0) {
                text << ' ' << run << length;
                length = 0;
            }
            run = letter;
            ++length;
        }
        text << '\n';
    }
    return text.str();
}

// Frames drawn here rather than through the command, to set the time span as an automation client would.
class TimelineFrameTest : public TimelineTest {
protected:
    QImage RenderWithSpan(int position) {
        OpenedProject opened(WriteProject());
        ChronovaData& registry = opened.Session().Registry();
        registry.TimeSpanActive(true);
        registry.SetTimeSpan(platform::Date::FromParts(2008, 3, 1, 6, 0), platform::Date::FromParts(2008, 3, 1, 20, 0));
        EnsureGuiApplication();
        FrameRenderer renderer(opened.Session().Map(), registry, QSize(300, 100), Qt::white, true);
        QImage frame = renderer.Render(position).convertToFormat(QImage::Format_RGB32);
        const frmSlider& form = *registry.Slider();
        span_left_ = form.Slider1.ValueX(3);
        span_right_ = form.Slider1.ValueX(10);
        span_top_ = form.Slider1.ChannelRect().bottom;
        return frame;
    }

    int32_t span_left_ = 0;
    int32_t span_right_ = 0;
    int32_t span_top_ = 0;
};

TEST_F(TimelineFrameTest, TheSpanRunsFromItsStartTickToItsEndTickAndTheStripMatchesItsGoldenFile) {
    const QImage frame = RenderWithSpan(6);
    const int y = 100 + TimelineStrip::kSliderTop + span_top_ + 2;
    int left = -1;
    int right = -1;
    for (int x = 0; x < frame.width(); ++x) {
        if (ColourLetter(frame.pixel(x, y)) == 'r') {
            left = left < 0 ? x : left;
            right = x;
        }
    }
    EXPECT_EQ(left, span_left_);
    EXPECT_EQ(right, span_right_ - 1);
    EXPECT_TRUE(
        testing::MatchesGoldenFile(StripText(frame, 100), fs::path(CHRONOVA_GOLDEN_DIR) / "timeline_strip.txt"));
}

} // namespace
} // namespace chronova::cli
