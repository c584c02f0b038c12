// Writing the frames of an animation: 100 map frames of 1024 x 768 (a coloured raster under parcels, roads and a
// moving point layer, with the time label), encoded as a PNG sequence on one worker and on every core, PNG
// encoding alone with libpng at the fast level beside Qt's writer at its default and at the same level, and
// an animated GIF per frame.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "apps/chronova/export/frame_overlay.h"
#include "apps/chronova/export/gif_writer.h"
#include "apps/chronova/export/png_encoder.h"
#include "apps/chronova/export/png_sequence_writer.h"
#include "gis/drawing/drawing_fixtures.h"
#include "gis/drawing/map_drawer.h"
#include "gis/layers/raster_layer.h"

using namespace chronova;
using namespace chronova::cli::exporting;

namespace {

constexpr int kFrames = 100;
constexpr int kCells = 256;
const QSize kFrameSize(1024, 768);
const gis::Envelope kExtent{0, 0, 1024, 768};

// The frames, drawn once per run by the map drawer, as the command line draws them.
const std::vector<QImage>& Frames() {
    static const std::vector<QImage> frames = [] {
        bench::EnsureGuiApplication();
        std::mt19937 random(11);
        std::uniform_real_distribution<double> x_anywhere(0.0, 1024.0);
        std::uniform_real_distribution<double> y_anywhere(0.0, 768.0);

        std::vector<float> cells(static_cast<size_t>(kCells) * kCells);
        for (int y = 0; y < kCells; ++y) {
            for (int x = 0; x < kCells; ++x) {
                cells[static_cast<size_t>(y) * kCells + x] =
                    static_cast<float>(std::sin(x * 0.05) * std::cos(y * 0.04) * 50.0 + x * 0.1);
            }
        }
        auto raster = std::make_shared<gis::RasterLayer>(
            std::make_shared<testing::MemoryRaster>(kCells, kCells, kExtent, std::vector<std::vector<float>>{cells}));
        auto parcels = std::make_shared<testing::ShapesFeatureClass>("parcels", gis::GeometryType::Polygon);
        for (int row = 0; row < 12; ++row) {
            for (int column = 0; column < 16; ++column) {
                if ((row * 7 + column * 3) % 5 == 0) {
                    parcels->Add(
                        {testing::Box(column * 64.0 + 6, row * 64.0 + 6, column * 64.0 + 50, row * 64.0 + 40)});
                }
            }
        }
        auto roads = std::make_shared<testing::ShapesFeatureClass>("roads", gis::GeometryType::Polyline);
        std::normal_distribution<double> stride(0.0, 12.0);
        for (int i = 0; i < 300; ++i) {
            testing::Part line;
            double x = x_anywhere(random);
            double y = y_anywhere(random);
            for (int k = 0; k < 12; ++k) {
                line.emplace_back(x, y);
                x += stride(random);
                y += stride(random);
            }
            roads->Add({line});
        }
        auto moving = std::make_shared<testing::ShapesFeatureClass>("buoys", gis::GeometryType::Point);
        for (int i = 0; i < 200; ++i) {
            double x = x_anywhere(random);
            double y = y_anywhere(random);
            for (int step = 0; step < kFrames; ++step) {
                moving->AddPoint(x, y, step);
                x += 3.0;
                y += std::sin(step * 0.2) * 2.0;
            }
        }
        auto map = std::make_shared<gis::Map>();
        map->AddLayer(raster);
        map->AddLayer(testing::FlatLayer(parcels, gis::Color{240, 200, 80, false}));
        map->AddLayer(testing::FlatLayer(roads, gis::Color{90, 90, 90, false}, 1.5));
        const auto buoys = testing::FlatLayer(moving, gis::Color{220, 0, 0, false}, 7.0);
        map->AddLayer(buoys);
        gis::MapDrawer drawer(map);
        std::vector<QImage> drawn;
        for (int step = 0; step < kFrames; ++step) {
            buoys->DefinitionExpression("T = " + std::to_string(step));
            QImage frame = drawer.Refresh(kFrameSize, kExtent);
            DrawTimeLabel(frame, "3/" + std::to_string(1 + step / 24) + "/2008 " + std::to_string(step % 24) + ":00");
            drawn.push_back(std::move(frame));
        }
        return drawn;
    }();
    return frames;
}

// A private folder for the files of one benchmark, removed afterwards.
struct OutputFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("chronova_export_bench_" + std::to_string(getpid()));
    OutputFolder() { std::filesystem::create_directories(path); }
    ~OutputFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// Frames per second, and the wall-clock milliseconds and output kilobytes per frame.
void ReportFrames(benchmark::State& state, std::chrono::steady_clock::duration elapsed, double bytes_per_frame) {
    const double frames = static_cast<double>(state.iterations()) * kFrames;
    state.SetItemsProcessed(static_cast<int64_t>(frames));
    state.counters["ms_per_frame"] = std::chrono::duration<double, std::milli>(elapsed).count() / frames;
    state.counters["kB_per_frame"] = bytes_per_frame / 1000.0;
}

// 100 frames to files, threads workers (0: one per core).
void BM_PngSequence(benchmark::State& state) {
    const auto& frames = Frames();
    const int threads =
        state.range(0) == 0 ? static_cast<int>(std::thread::hardware_concurrency()) : static_cast<int>(state.range(0));
    OutputFolder folder;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        PngSequenceWriter writer(folder.path, threads);
        for (int position = 0; position < kFrames; ++position) {
            writer.Add(position, frames[static_cast<size_t>(position)]);
        }
        writer.Finish();
    }
    ReportFrames(state, std::chrono::steady_clock::now() - start,
                 static_cast<double>(std::filesystem::file_size(folder.path / PngSequenceWriter::FileName(50))));
    state.counters["threads"] = threads;
}
BENCHMARK(BM_PngSequence)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Encoding in memory on this thread, per frame.
template <class Encode>
void EncodeEveryFrame(benchmark::State& state, Encode encode) {
    const auto& frames = Frames();
    double bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        bytes = 0;
        for (const QImage& frame : frames) {
            bytes += static_cast<double>(encode(frame));
        }
    }
    ReportFrames(state, std::chrono::steady_clock::now() - start, bytes / kFrames);
}

void BM_PngEncode_Libpng(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    EncodeEveryFrame(state, [level](const QImage& frame) { return EncodePng(frame, level).size(); });
}
BENCHMARK(BM_PngEncode_Libpng)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

// Qt's writer; compression -1 is its default (zlib's level 6 with filters), 20 is its scale for zlib's level 1.
void BM_PngEncode_Qt(benchmark::State& state) {
    const int compression = static_cast<int>(state.range(0));
    EncodeEveryFrame(state, [compression](const QImage& frame) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (compression >= 0) {
            writer.setCompression(compression);
        }
        writer.write(frame);
        return buffer.size();
    });
}
BENCHMARK(BM_PngEncode_Qt)->Arg(-1)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_Gif(benchmark::State& state) {
    const auto& frames = Frames();
    OutputFolder folder;
    const auto file = folder.path / "animation.gif";
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        GifWriter writer(file, kFrameSize.width(), kFrameSize.height(), 4);
        for (const QImage& frame : frames) {
            writer.Add(frame);
        }
        writer.Finish();
    }
    ReportFrames(state, std::chrono::steady_clock::now() - start,
                 static_cast<double>(std::filesystem::file_size(file)) / kFrames);
}
BENCHMARK(BM_Gif)->Unit(benchmark::kMillisecond);

} // namespace
