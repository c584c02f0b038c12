// Colouring a million points by the distinct values of a field, beside the same points drawn with one symbol in
// the same run: what looking up each feature's class costs on top of drawing it.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <QPainter>
#include <memory>
#include <random>
#include <string>

#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"
#include "gis/symbology/palettes.h"
#include "gis/symbology/renderers.h"
#include "support/memory_data.h"

using namespace chronova;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kPoints = 1000000;
constexpr int kCategories = 10;

// A million points at random over the frame, each with one of ten land uses as a text (USE) and as a number
// (CODE).
struct CategorisedPoints {
    std::shared_ptr<testing::MemoryWorkspace> workspace = std::make_shared<testing::MemoryWorkspace>();
    std::shared_ptr<testing::MemoryTestFeatureClass> points;

    CategorisedPoints() {
        points = std::make_shared<testing::MemoryTestFeatureClass>("POINTS", workspace);
        workspace->Add("POINTS", points);
        gis::Column& use = points->Columns().AddField({"USE", "", gis::FieldType::String});
        gis::Column& code = points->Columns().AddField({"CODE", "", gis::FieldType::Integer});
        std::mt19937 random(17);
        std::uniform_real_distribution<double> x(0.0, kWidth);
        std::uniform_real_distribution<double> y(0.0, kHeight);
        std::uniform_int_distribution<int> category(0, kCategories - 1);
        for (int i = 0; i < kPoints; ++i) {
            const int value = category(random);
            use.AppendText("use " + std::to_string(value));
            code.AppendInteger(value);
            points->AddPoint(x(random), y(random));
        }
    }

    std::shared_ptr<gis::FeatureLayer> Layer(std::shared_ptr<gis::IFeatureRenderer> renderer) const {
        auto layer = std::make_shared<gis::FeatureLayer>(points, "Shapefile Feature Class", "Points");
        layer->Renderer(std::move(renderer));
        return layer;
    }
};

const CategorisedPoints& Points() {
    static const CategorisedPoints points;
    return points;
}

std::shared_ptr<gis::ISymbol> Marker(gis::Color color) {
    auto marker = std::make_shared<gis::SimpleMarkerSymbol>();
    marker->Size = 4.0;
    marker->MarkerColor = color;
    return marker;
}

// One class per category, coloured from tab10; `prefix` writes the values as the field holds them.
std::shared_ptr<gis::UniqueValueRenderer> ByCategory(const std::string& field, const std::string& prefix) {
    auto renderer = std::make_shared<gis::UniqueValueRenderer>();
    renderer->Field = field;
    const std::vector<gis::Color> colors = gis::ClassColors(gis::ColorRampNamed("tab10"), kCategories);
    for (int i = 0; i < kCategories; ++i) {
        renderer->AddValue(prefix + std::to_string(i), Marker(colors[static_cast<size_t>(i)]));
    }
    return renderer;
}

void DrawFrames(benchmark::State& state, const gis::FeatureLayer& layer) {
    bench::EnsureGuiApplication();
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const gis::ViewTransform transform(gis::Envelope{0.0, 0.0, kWidth, kHeight}, kWidth, kHeight);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        gis::DrawFeatureLayer(painter, transform, layer, *Points().points->Shapes());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

// The baseline: every point with one symbol.
void BM_MillionPointsOneSymbol(benchmark::State& state) {
    auto renderer = std::make_shared<gis::SimpleRenderer>();
    renderer->Symbol = Marker({31, 119, 180, false});
    DrawFrames(state, *Points().Layer(renderer));
}
BENCHMARK(BM_MillionPointsOneSymbol)->Unit(benchmark::kMillisecond);

// Classes of a text field: one hash look-up of the text per point.
void BM_MillionPointsByText(benchmark::State& state) {
    DrawFrames(state, *Points().Layer(ByCategory("USE", "use ")));
}
BENCHMARK(BM_MillionPointsByText)->Unit(benchmark::kMillisecond);

// Classes of an integer field: each distinct number is written as text once per frame, then remembered.
void BM_MillionPointsByInteger(benchmark::State& state) {
    DrawFrames(state, *Points().Layer(ByCategory("CODE", "")));
}
BENCHMARK(BM_MillionPointsByInteger)->Unit(benchmark::kMillisecond);

} // namespace
