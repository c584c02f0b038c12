// Writing the frames of an animation: 100 map frames of 1024 x 768 (a coloured raster under parcels, roads and a
// moving point layer, with the time label), encoded as a PNG sequence on one worker and on every core, PNG
// encoding alone with libdeflate and with libpng (the baseline) beside Qt's writer, per frame on that demo frame
// and on a frame of a million points, and an animated GIF per frame with the fast and the reference encoding.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
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
#include "gis/layout/cached_text_line.h"
#include "gis/layout/piece_style.h"

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

// One 1024 x 768 frame of a million anti-aliased points in two colours over a white map: many colours.
const QImage& MillionPointFrame() {
    static const QImage frame = [] {
        bench::EnsureGuiApplication();
        std::mt19937 random(5);
        std::normal_distribution<double> x_around(512.0, 200.0);
        std::normal_distribution<double> y_around(384.0, 150.0);
        auto near = std::make_shared<testing::ShapesFeatureClass>("near", gis::GeometryType::Point);
        auto far = std::make_shared<testing::ShapesFeatureClass>("far", gis::GeometryType::Point);
        for (int i = 0; i < 500000; ++i) {
            near->AddPoint(x_around(random), y_around(random));
            far->AddPoint(x_around(random) * 1.3 - 150.0, y_around(random) * 0.7 + 100.0);
        }
        auto map = std::make_shared<gis::Map>();
        map->AddLayer(testing::FlatLayer(near, gis::Color{30, 90, 200, false}, 2.0));
        map->AddLayer(testing::FlatLayer(far, gis::Color{230, 120, 20, false}, 2.0));
        gis::MapDrawer drawer(map);
        return drawer.Refresh(kFrameSize, kExtent);
    }();
    return frame;
}

// One 1024 x 768 frame of vector data only (parcels, roads and points over the map's background), whose
// anti-aliased edges keep it within 256 colours: the palette path.
const QImage& VectorFrame() {
    static const QImage frame = [] {
        bench::EnsureGuiApplication();
        std::mt19937 random(3);
        std::uniform_real_distribution<double> anywhere(0.0, 1.0);
        auto parcels = std::make_shared<testing::ShapesFeatureClass>("parcels", gis::GeometryType::Polygon);
        for (int row = 0; row < 12; ++row) {
            for (int column = 0; column < 16; ++column) {
                if ((row * 7 + column * 3) % 5 == 0) {
                    parcels->Add(
                        {testing::Box(column * 64.0 + 6, row * 64.0 + 6, column * 64.0 + 50, row * 64.0 + 40)});
                }
            }
        }
        auto points = std::make_shared<testing::ShapesFeatureClass>("points", gis::GeometryType::Point);
        for (int i = 0; i < 2000; ++i) {
            points->AddPoint(anywhere(random) * 1024.0, anywhere(random) * 768.0);
        }
        auto map = std::make_shared<gis::Map>();
        map->AddLayer(testing::FlatLayer(parcels, gis::Color{240, 200, 80, false}));
        map->AddLayer(testing::FlatLayer(points, gis::Color{220, 0, 0, false}, 7.0));
        gis::MapDrawer drawer(map);
        return drawer.Refresh(kFrameSize, kExtent);
    }();
    return frame;
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
    // Divided by the benchmark's CPU time and inverted: CPU seconds per frame.
    state.counters["cpu_per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
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
    EncodeEveryFrame(state, [level](const QImage& frame) { return EncodePngWithLibpng(frame, level).size(); });
}
BENCHMARK(BM_PngEncode_Libpng)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_PngEncode_Libdeflate(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    EncodeEveryFrame(state, [level](const QImage& frame) { return EncodePngWithLibdeflate(frame, level).size(); });
}
BENCHMARK(BM_PngEncode_Libdeflate)->Arg(0)->Arg(1)->Arg(6)->Arg(9)->Unit(benchmark::kMillisecond);

// EncodePng at its default level: rows filtered for runs, coded by RunZlib.
void BM_PngEncode_Runs(benchmark::State& state) {
    EncodeEveryFrame(state, [](const QImage& frame) { return EncodePng(frame).size(); });
}
BENCHMARK(BM_PngEncode_Runs)->Unit(benchmark::kMillisecond);

// One frame per iteration, so that the CPU column is the time of a frame: scene 0 is a demo frame (its raster
// has too many colours for a palette), 1 the million points (too many as well), 2 vector data only (a palette);
// then the level.
const QImage& Scene(int64_t scene) {
    return scene == 0 ? Frames()[kFrames / 2] : scene == 1 ? MillionPointFrame() : VectorFrame();
}

template <class Encode>
void EncodeOneFrame(benchmark::State& state, Encode encode) {
    const QImage& frame = Scene(state.range(0));
    const int level = static_cast<int>(state.range(1));
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = encode(frame, level).size();
    }
    state.counters["kB"] = static_cast<double>(bytes) / 1000.0;
}

void BM_PngFrame_Libpng(benchmark::State& state) {
    EncodeOneFrame(state, [](const QImage& frame, int level) { return EncodePngWithLibpng(frame, level); });
}
BENCHMARK(BM_PngFrame_Libpng)->ArgsProduct({{0, 1, 2}, {1, 6}})->Unit(benchmark::kMillisecond);

void BM_PngFrame_Libdeflate(benchmark::State& state) {
    EncodeOneFrame(state, [](const QImage& frame, int level) { return EncodePngWithLibdeflate(frame, level); });
}
BENCHMARK(BM_PngFrame_Libdeflate)->ArgsProduct({{0, 1, 2}, {0, 1, 6, 9}})->Unit(benchmark::kMillisecond);

// EncodePng's level 1, which codes rows filtered for runs with RunZlib. Counter `exact`: 1 when Qt's reader (libpng)
// gives back the frame's pixels.
void BM_PngFrame_Runs(benchmark::State& state) {
    EncodeOneFrame(state, [](const QImage& frame, int level) { return EncodePng(frame, level); });
    const QImage& frame = Scene(state.range(0));
    const std::string png = EncodePng(frame, static_cast<int>(state.range(1)));
    const QImage decoded = QImage::fromData(QByteArray::fromStdString(png), "PNG");
    state.counters["exact"] =
        decoded.convertToFormat(QImage::Format_ARGB32) == frame.convertToFormat(QImage::Format_ARGB32) ? 1 : 0;
}
BENCHMARK(BM_PngFrame_Runs)->ArgsProduct({{0, 1, 2}, {1}})->Unit(benchmark::kMillisecond);

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

// The 100 frames as one GIF: 0 the fast encoding, 1 the reference (median cut and giflib's coder).
void BM_Gif(benchmark::State& state) {
    const auto& frames = Frames();
    const GifEncoding encoding = state.range(0) == 0 ? GifEncoding::Fast : GifEncoding::Reference;
    OutputFolder folder;
    const auto file = folder.path / "animation.gif";
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        GifWriter writer(file, kFrameSize.width(), kFrameSize.height(), 4, encoding);
        for (const QImage& frame : frames) {
            writer.Add(frame);
        }
        writer.Finish();
    }
    ReportFrames(state, std::chrono::steady_clock::now() - start,
                 static_cast<double>(std::filesystem::file_size(file)) / kFrames);
}
BENCHMARK(BM_Gif)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The time label of a 1024 x 768 frame, a new time on every frame, on its panel as the map layout draws it: 0 laid
// out by QPainter::drawText (the old way), 1 from the cached glyphs.
void BM_TimeLabel(benchmark::State& state) {
    bench::EnsureGuiApplication();
    const bool cached = state.range(0) != 0;
    const gis::PieceStyle style = gis::PieceStyle::For(kFrameSize);
    gis::CachedTextLine line(style.Font(style.TextPixels, true));
    QImage frame = Frames()[0].copy();
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect box(10, 10, 260, line.Font().pixelSize() + 2 * style.Padding + 6);
    const QRectF inside = QRectF(box).adjusted(style.Padding, style.Padding, -style.Padding, -style.Padding);
    int step = 0;
    for (auto _ : state) {
        const QString text = QString::fromStdString("3/" + std::to_string(1 + step / 24 % 28) + "/2008 " +
                                                    std::to_string(step % 24) + ":" + std::to_string(10 + step % 50));
        ++step;
        painter.setPen(QPen(style.Border, 1.0));
        painter.setBrush(style.Panel);
        painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
        painter.setPen(style.Text);
        if (cached) {
            benchmark::DoNotOptimize(line.Width(text));
            line.Draw(painter, inside, text);
        } else {
            const QFontMetricsF metrics(line.Font());
            const QString label = metrics.elidedText(text, Qt::ElideRight, inside.width());
            benchmark::DoNotOptimize(metrics.horizontalAdvance(label));
            line.DrawLaidOut(painter, inside, label);
        }
    }
}
BENCHMARK(BM_TimeLabel)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
