// A time layer showing its previous steps, stepped forward one step per frame: 1,000,000 points over 1,000
// hourly steps (1,000 points a step, in time order, at random over the extent), frames of 1024x768. Frames are
// drawn from step 900 to step 1,000, so 900,000 to 1,000,000 points are shown; the new way adds the step's
// 1,000 points to the layer's last image, the baseline (the drawer told not to add) draws every shown point
// again, as before. A third run tells how many pixels of a whole frame such a layer's markers, overlapping in
// the order they come (by time, here also by row), change from the order of earlier versions (and of other
// layers), which sorts markers by the band of 64 image rows their top row lies in.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gis/drawing/drawing_fixtures.h"
#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/map_drawer.h"
#include "gis/drawing/marker_images.h"
#include "gis/drawing/view_transform.h"

using namespace chronova;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int32_t kSteps = 1000;
constexpr int kPointsPerStep = 1000;
constexpr int32_t kFirstFrameStep = 900;
constexpr int32_t kMinutesPerStep = 60;
const QSize kFrame(kWidth, kHeight);
const gis::Envelope kExtent{0, 0, kWidth, kHeight};

std::shared_ptr<testing::ShapesFeatureClass> MillionPoints() {
    static const auto points = [] {
        auto features = std::make_shared<testing::ShapesFeatureClass>("points", gis::GeometryType::Point);
        std::mt19937 random(11);
        std::uniform_real_distribution<double> x(0.0, kWidth);
        std::uniform_real_distribution<double> y(0.0, kHeight);
        for (int32_t step = 1; step <= kSteps; ++step) {
            for (int i = 0; i < kPointsPerStep; ++i) {
                features->AddPoint(x(random), y(random), step * kMinutesPerStep);
            }
        }
        return features;
    }();
    return points;
}

std::string UpTo(int32_t step) {
    return "T <= " + std::to_string(step * kMinutesPerStep);
}

// A map of the points layer (its default symbol: a 5-point circle) drawn at the first frame's step.
struct CumulativeMap {
    std::shared_ptr<gis::Map> map = std::make_shared<gis::Map>();
    std::shared_ptr<gis::FeatureLayer> layer = std::make_shared<gis::FeatureLayer>(MillionPoints());
    gis::MapDrawer drawer{map};
    int32_t step = kFirstFrameStep;

    explicit CumulativeMap(bool add_rows) {
        map->AddLayer(layer);
        layer->FollowsGrowth(true);
        drawer.AddAppendedRows(add_rows);
        Restart();
    }
    void Restart() {
        step = kFirstFrameStep;
        layer->DefinitionExpression(UpTo(step));
        drawer.Draw(kFrame, kExtent);
    }
    // The next step's frame; after the last step, back to the first frame's step outside the timing.
    void NextFrame(benchmark::State& state) {
        if (step == kSteps) {
            state.PauseTiming();
            Restart();
            state.ResumeTiming();
        }
        layer->DefinitionExpression(UpTo(++step));
        benchmark::DoNotOptimize(drawer.Draw(kFrame, kExtent));
    }
};

void RunSteps(benchmark::State& state, bool add_rows) {
    bench::EnsureGuiApplication();
    CumulativeMap cumulative(add_rows);
    for (auto _ : state) {
        cumulative.NextFrame(state);
    }
    state.counters["appends"] = static_cast<double>(cumulative.drawer.AppendCount(*cumulative.layer));
    state.counters["points_shown"] = static_cast<double>(cumulative.step) * kPointsPerStep;
}

void BM_CumulativeStep_AddedRows(benchmark::State& state) {
    RunSteps(state, true);
}
BENCHMARK(BM_CumulativeStep_AddedRows)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_CumulativeStep_Baseline_WholeLayer(benchmark::State& state) {
    RunSteps(state, false);
}
BENCHMARK(BM_CumulativeStep_Baseline_WholeLayer)->Unit(benchmark::kMillisecond)->Iterations(20);

// The points of the first steps (the argument) shown as outlined circles, drawn by the marker canvas and in the band
// order of earlier versions (one marker at a time, sorted stably by the band of 64 rows its top row lies in), over
// white; counts the pixels whose colour differs by more than the render tests' tolerance of 48 in some channel.
void BM_CumulativeStep_MarkerOrderChange(benchmark::State& state) {
    bench::EnsureGuiApplication();
    const auto points = MillionPoints();
    gis::FeatureLayer layer(points);
    // Outlined circles: where two overlap, which goes on top shows.
    auto circle = std::make_shared<gis::SimpleMarkerSymbol>();
    circle->MarkerColor = gis::Color{230, 120, 30, false};
    circle->Size = 5.0;
    circle->Outline = true;
    circle->OutlineColor = gis::Color{20, 20, 20, false};
    auto renderer = std::make_shared<gis::SimpleRenderer>();
    renderer->Symbol = circle;
    layer.Renderer(renderer);
    const auto shown_steps = static_cast<int32_t>(state.range(0));
    layer.DefinitionExpression(UpTo(shown_steps)); // grows by appending: drawn in time order
    const gis::ViewTransform transform(kExtent, kWidth, kHeight);
    const auto& shapes = *points->Shapes();
    const auto sheet = gis::MarkerImages::ForThisThread().Sheet(*circle);
    const gis::MarkerSprite& sprite = sheet->Sprite(0.0);
    double share = 0.0;
    double largest = 0.0;
    for (auto _ : state) {
        QImage now(kFrame, QImage::Format_ARGB32_Premultiplied);
        now.fill(Qt::white);
        {
            QPainter painter(&now);
            gis::DrawFeatureLayer(painter, transform, layer, shapes);
        }
        struct Placed {
            double x;
            double y;
            int band;
        };
        std::vector<Placed> placed;
        const auto shown = static_cast<size_t>(shown_steps) * kPointsPerStep; // rows are in time order
        placed.reserve(shown);
        for (size_t at = 0; at < shown; ++at) {
            const double x = transform.ToPixelX(shapes.X[at]);
            const double y = transform.ToPixelY(shapes.Y[at]);
            const int top = gis::MarkerSheet::AnchorPixel(y) + sprite.Offset.y();
            placed.push_back(Placed{x, y, std::clamp(top, 0, kHeight - 1) / 64});
        }
        std::stable_sort(placed.begin(), placed.end(),
                         [](const Placed& a, const Placed& b) { return a.band < b.band; });
        QImage before(kFrame, QImage::Format_ARGB32_Premultiplied);
        before.fill(Qt::white);
        {
            QPainter painter(&before);
            painter.setRenderHint(QPainter::Antialiasing, true);
            for (const Placed& at : placed) {
                sheet->Draw(painter, at.x, at.y, 0.0);
            }
        }
        int64_t differing = 0;
        int channel = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const QRgb a = now.pixel(x, y);
                const QRgb b = before.pixel(x, y);
                const int most = std::max(
                    {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
                channel = std::max(channel, most);
                differing += most > 48 ? 1 : 0;
            }
        }
        share = static_cast<double>(differing) / (static_cast<double>(kWidth) * kHeight);
        largest = channel;
    }
    state.counters["differing_share"] = share;
    state.counters["largest_channel_difference"] = largest;
}
BENCHMARK(BM_CumulativeStep_MarkerOrderChange)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000);

} // namespace

BENCHMARK_MAIN();
