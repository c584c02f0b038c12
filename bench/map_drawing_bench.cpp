// Drawing whole maps into a 1024x768 frame. (a) A band switch of a 24-band 1024x1024 Float32 GeoTIFF: to a band
// seen before (a blit), to a band whose cells are kept but whose colours are new (one colouring and a blit),
// beside the obvious baseline that reads and colours the band on every switch. (b) One time step of a point
// layer (1,000 of 100,000 points shown) over four cached base layers: a partial refresh of the time layer
// beside a full redraw of all five.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

#include "gis/drawing/drawing_fixtures.h"
#include "gis/drawing/map_drawer.h"
#include "gis/drawing/raster_drawer.h"
#include "gis/layers/raster_layer.h"
#include "support/gdal_fixtures.h"

using namespace chronova;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kBands = 24;
constexpr int kCells = 1024;
constexpr int kTimeSteps = 100;
const QSize kFrame(kWidth, kHeight);
const gis::Envelope kExtent{0, 0, kCells, kCells};

// A 24-band 1024x1024 Float32 GeoTIFF in a temporary folder, written once per run and removed at exit.
struct BandFile {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("chronova_map_bench_" + std::to_string(getpid()));
    std::shared_ptr<gis::RasterDataset> raster;

    BandFile() {
        std::filesystem::create_directories(folder);
        testing::GeoTiffLayout layout;
        layout.bands = kBands;
        layout.width = kCells;
        layout.height = kCells;
        layout.transform = {0.0, 1.0, 0.0, static_cast<double>(kCells), 0.0, -1.0};
        layout.epsg = 0;
        const auto file = folder / "bands.tif";
        testing::WriteGeoTiff(file, layout, [](int band, int x, int y) {
            return std::sin(x * 0.01 * band) * std::cos(y * 0.013) * 100.0 + band;
        });
        raster = gis::RasterDataset::Open(file.string());
        for (int band = 1; band <= kBands; ++band) {
            raster->Statistics(band); // computed once per dataset, as a drawn layer would have them
        }
    }
    ~BandFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

BandFile& Bands() {
    static BandFile file;
    return file;
}

// A map of the raster alone, with every band drawn once so that its cells are kept.
struct RasterMap {
    std::shared_ptr<gis::Map> map = std::make_shared<gis::Map>();
    std::shared_ptr<gis::RasterLayer> layer = std::make_shared<gis::RasterLayer>(Bands().raster);
    gis::MapDrawer drawer{map};

    RasterMap() {
        layer->Cached(true);
        map->AddLayer(layer);
        for (int band = 0; band < kBands; ++band) {
            Switch(band);
        }
    }
    QImage Switch(int band) {
        layer->RendererBandIndex(band);
        map->PartialRefreshCached(gis::view_phase::kGeography, layer, std::nullopt);
        return drawer.Update(kFrame, kExtent);
    }
};

void BM_RasterBandSwitch_SeenBefore(benchmark::State& state) {
    bench::EnsureGuiApplication();
    RasterMap raster;
    int band = 0;
    for (auto _ : state) {
        band = (band + 1) % kBands;
        benchmark::DoNotOptimize(raster.Switch(band));
    }
    state.counters["colourings"] = static_cast<double>(raster.drawer.Rasters().Counts().Colorizations);
}
BENCHMARK(BM_RasterBandSwitch_SeenBefore)->Unit(benchmark::kMillisecond);

void BM_RasterBandSwitch_NewColours(benchmark::State& state) {
    bench::EnsureGuiApplication();
    RasterMap raster;
    auto& ramp = dynamic_cast<gis::RasterStretchColorRampRenderer&>(*raster.layer->Renderer());
    int band = 0;
    uint8_t red = 0;
    for (auto _ : state) {
        band = (band + 1) % kBands;
        ramp.ToColor.Red = ++red; // every switch needs a new coloured image, from kept cells
        ramp.Update();
        benchmark::DoNotOptimize(raster.Switch(band));
    }
    state.counters["reads"] = static_cast<double>(raster.drawer.Rasters().Counts().BandReads);
}
BENCHMARK(BM_RasterBandSwitch_NewColours)->Unit(benchmark::kMillisecond);

// The obvious way: read the band, colour it and draw it scaled into the frame, on every switch.
void BM_RasterBandSwitch_Baseline(benchmark::State& state) {
    bench::EnsureGuiApplication();
    const auto& raster = Bands().raster;
    const gis::ViewTransform transform(kExtent, kWidth, kHeight);
    QImage frame(kFrame, QImage::Format_ARGB32_Premultiplied);
    gis::RasterStretchColorRampRenderer renderer;
    int band = 0;
    for (auto _ : state) {
        band = band % kBands + 1;
        const std::vector<float> cells = raster->ReadBand(band);
        const gis::BandStatistics statistics = raster->Statistics(band);
        const QImage image = gis::ColorizeBand(cells, kCells, kCells, gis::StretchRangeOf(renderer, statistics),
                                               renderer.FromColor, renderer.ToColor);
        frame.fill(Qt::white);
        QPainter painter(&frame);
        painter.drawImage(QRectF(transform.ToPixelX(0), transform.ToPixelY(kCells), kCells * transform.Scale(),
                                 kCells * transform.Scale()),
                          image);
        painter.end();
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(BM_RasterBandSwitch_Baseline)->Unit(benchmark::kMillisecond);

// Four base layers that keep display caches (a raster, 2,500 polygons, 1,000 lines of 10 points, 10,000
// points) under a time layer of 100,000 points, 1,000 per step.
struct TimeMap {
    std::shared_ptr<gis::Map> map = std::make_shared<gis::Map>();
    std::shared_ptr<gis::FeatureLayer> time_layer;
    gis::MapDrawer drawer{map};
    int step = 0;

    TimeMap() {
        std::mt19937 random(5);
        std::uniform_real_distribution<double> anywhere(0.0, kCells);

        auto raster = std::make_shared<gis::RasterLayer>(Bands().raster);
        auto polygons = std::make_shared<testing::ShapesFeatureClass>("parcels", gis::GeometryType::Polygon);
        for (int row = 0; row < 50; ++row) {
            for (int column = 0; column < 50; ++column) {
                const double x = column * 20.48;
                const double y = row * 20.48;
                polygons->Add({testing::Box(x + 2, y + 2, x + 18, y + 18)});
            }
        }
        // Roads wander in short segments: long anti-aliased segments across the whole frame cost Qt far more
        // per pixel and would make any redraw of them look slow.
        auto lines = std::make_shared<testing::ShapesFeatureClass>("roads", gis::GeometryType::Polyline);
        std::normal_distribution<double> stride(0.0, 8.0);
        for (int i = 0; i < 1000; ++i) {
            testing::Part line;
            double x = anywhere(random);
            double y = anywhere(random);
            for (int k = 0; k < 10; ++k) {
                line.emplace_back(x, y);
                x += stride(random);
                y += stride(random);
            }
            lines->Add({line});
        }
        auto stations = std::make_shared<testing::ShapesFeatureClass>("stations", gis::GeometryType::Point);
        for (int i = 0; i < 10000; ++i) {
            stations->AddPoint(anywhere(random), anywhere(random));
        }
        auto moving = std::make_shared<testing::ShapesFeatureClass>("moving", gis::GeometryType::Point);
        std::uniform_int_distribution<int32_t> any_step(0, kTimeSteps - 1);
        for (int i = 0; i < 100000; ++i) {
            moving->AddPoint(anywhere(random), anywhere(random), any_step(random));
        }

        const std::shared_ptr<gis::ILayer> base[] = {raster,
                                                     testing::FlatLayer(polygons, gis::Color{240, 200, 80, false}),
                                                     testing::FlatLayer(lines, gis::Color{90, 90, 90, false}, 1.5),
                                                     testing::FlatLayer(stations, gis::Color{0, 120, 60, false}, 4.0)};
        for (const auto& layer : base) {
            layer->Cached(true);
            map->AddLayer(layer);
        }
        time_layer = testing::FlatLayer(moving, gis::Color{220, 0, 0, false}, 6.0);
        time_layer->Cached(true);
        map->AddLayer(time_layer);
        NextStep();
        drawer.Draw(kFrame, kExtent);
    }
    void NextStep() {
        step = (step + 1) % kTimeSteps;
        time_layer->DefinitionExpression("T = " + std::to_string(step));
    }
};

void BM_TimeStep_PartialRefresh(benchmark::State& state) {
    bench::EnsureGuiApplication();
    TimeMap scene;
    for (auto _ : state) {
        scene.NextStep();
        scene.map->PartialRefreshCached(gis::view_phase::kGeography, scene.time_layer, std::nullopt);
        benchmark::DoNotOptimize(scene.drawer.Update(kFrame, kExtent));
    }
}
BENCHMARK(BM_TimeStep_PartialRefresh)->Unit(benchmark::kMillisecond);

void BM_TimeStep_FullRedraw(benchmark::State& state) {
    bench::EnsureGuiApplication();
    TimeMap scene;
    for (auto _ : state) {
        scene.NextStep();
        scene.map->Refresh();
        benchmark::DoNotOptimize(scene.drawer.Update(kFrame, kExtent));
    }
}
BENCHMARK(BM_TimeStep_FullRedraw)->Unit(benchmark::kMillisecond);

} // namespace
