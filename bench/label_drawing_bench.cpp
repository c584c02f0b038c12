// Labelling points in a 1024x768 frame: 10,000 points with and without labels of an integer field, the labels
// with their halo, placed around their markers without overlapping. The labelled frame is timed with the label
// images kept from earlier frames, as an animation draws, and with the cache emptied before every frame, as the
// first frame draws.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <QPainter>
#include <memory>
#include <random>

#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/label_images.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"
#include "support/memory_data.h"

using namespace chronova;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kPoints = 10000;

// Points spread at random over the frame, each with an ID (1..n) to label.
struct LabelledPoints {
    std::shared_ptr<testing::MemoryWorkspace> workspace = std::make_shared<testing::MemoryWorkspace>();
    std::shared_ptr<testing::MemoryTestFeatureClass> points;
    std::shared_ptr<gis::FeatureLayer> layer;

    LabelledPoints() {
        points = std::make_shared<testing::MemoryTestFeatureClass>("STATIONS", workspace);
        workspace->Add("STATIONS", points);
        gis::Column& id = points->Columns().AddField({"ID", "", gis::FieldType::Integer});
        std::mt19937 random(17);
        std::uniform_real_distribution<double> x(0.0, kWidth);
        std::uniform_real_distribution<double> y(0.0, kHeight);
        for (int i = 0; i < kPoints; ++i) {
            id.AppendInteger(i + 1);
            points->AddPoint(x(random), y(random));
        }
        layer = std::make_shared<gis::FeatureLayer>(points, "Shapefile Feature Class", "Stations");
    }
};

LabelledPoints& Points() {
    static LabelledPoints points;
    return points;
}

void DrawFrames(benchmark::State& state, bool labels, bool keep_images) {
    bench::EnsureGuiApplication();
    LabelledPoints& data = Points();
    if (labels) {
        gis::LabelSettings settings;
        settings.Field = "ID";
        data.layer->Labels(settings);
    } else {
        data.layer->Labels(std::nullopt);
    }
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const gis::ViewTransform transform(gis::Envelope{0.0, 0.0, kWidth, kHeight}, kWidth, kHeight);
    for (auto _ : state) {
        if (!keep_images) {
            gis::LabelImages::ForThisThread().Clear();
        }
        image.fill(Qt::white);
        QPainter painter(&image);
        gis::DrawFeatureLayer(painter, transform, *data.layer, *data.points->Shapes());
    }
    state.counters["texts cached"] = static_cast<double>(gis::LabelImages::ForThisThread().Count());
}

// The baseline: the points alone.
void BM_DrawTenThousandPoints(benchmark::State& state) {
    DrawFrames(state, false, true);
}
BENCHMARK(BM_DrawTenThousandPoints)->Unit(benchmark::kMillisecond);

// Labels on, their images kept from the frames before: every frame of an animation after the first.
void BM_DrawTenThousandLabelledPoints(benchmark::State& state) {
    DrawFrames(state, true, true);
}
BENCHMARK(BM_DrawTenThousandLabelledPoints)->Unit(benchmark::kMillisecond);

// Labels on, every label text drawn afresh: the first frame.
void BM_DrawTenThousandLabelledPointsFirstFrame(benchmark::State& state) {
    DrawFrames(state, true, false);
}
BENCHMARK(BM_DrawTenThousandLabelledPointsFirstFrame)->Unit(benchmark::kMillisecond);

} // namespace
