// The desktop window at 1280 x 800 (offscreen platform): how fast a time step reaches the screen, and whether the
// window keeps answering input while playback runs, on the demo project and on a layer of 1,000,000 points with
// 1,000 hourly steps (about 1,000 points a step).
//
// - BM_WindowStep: one slider step as playback makes it (the change handler filters the layers, the canvas draws
//   the map on the redraw request, the widgets paint); frames/s is the most the window can show.
// - BM_WindowStepUncached: BM_WindowStep with the frame cache off, the baseline of the cache's cost on a step never
//   shown before (BM_WindowStep runs with a 256 MB cache: a loop over 1,000 steps of full-window frames does not
//   fit, so every step there is a miss too; the demo's few steps do fit, so its runs long enough to wrap hit).
//   Frames go into the cache through copies a worker thread makes; the steps follow each other without a pause
//   here, so the worker competes with the window for the cores, which playback at its own pace does not.
// - BM_WindowRevisit/{demo,million_points}/cache:{0,1}: stepping back and forth between two steps, as stepping back
//   or loop playback over a short span does; with the cache every step after the first two is answered from it,
//   without it every step is drawn again.
// - BM_CommandLineFrame: the same step drawn by the command line's renderer at the same map size, the obvious
//   baseline: the window's cost over it is the widgets' own.
// - BM_PlaybackInput/{demo,million_points}/cache:{0,1}: real playback on Qt's event loop (the slider's 100 ms timer)
//   for two seconds while a key press is sent to the canvas every 5 ms from another thread, without and with the
//   frame cache; reports the steps shown per second and how long input waited (worst and 99th percentile).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "apps/chronova/frame_renderer.h"
#include "apps/desktop/main_window.h"
#include "apps/desktop/map_canvas.h"
#include "extension/category_install.h"
#include "extension/class_ids.h"
#include "extension/server.h"
#include "generator/sample_data.h"
#include "gis/map/application.h"
#include "gis/map/extension_states.h"
#include "gis/ogr/gdal_environment.h"
#include "platform/ui/message_service.h"
#include "platform/ui/modal_dialog_service.h"
#include "qtui/event_loop_driver.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"

using namespace chronova;

namespace {

constexpr int kPoints = 1'000'000;
constexpr int kSteps = 1'000;
const QSize kWindow(1280, 800);

// Settings, data and projects in a temporary folder, with Chronova registered and switched on there.
class BenchFolder {
public:
    BenchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/chronova-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        folder_ = pattern;
        setenv("CHRONOVA_USER_SETTINGS", (folder_ / "user.jsonl").c_str(), 1);
        setenv("CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").c_str(), 1);
        setenv("CHRONOVA_ERROR_LOG", (folder_ / "error.log").c_str(), 1);
        RegisterExtensionProgIds();
        CategoryInstall().Install(true);
        gis::RememberExtensionState(kProgID_ChronovaExt, gis::ExtensionState::Enabled);
        sample_data::GenerateSampleData(folder_ / "demo");
        WriteMillionPoints();
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::filesystem::path Demo() const { return folder_ / "demo" / sample_data::kDemoProjectFileName; }
    std::filesystem::path Million() const { return folder_ / "million.chronova.json"; }

private:
    void WriteMillionPoints() const {
        gis::RegisterGdalDrivers();
        const std::string path = (folder_ / "points.gpkg").string();
        GDALDataset* dataset =
            GetGDALDriverManager()->GetDriverByName("GPKG")->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        OGRSpatialReference srs;
        srs.importFromEPSG(4326);
        OGRLayer* layer = dataset->CreateLayer("points", &srs, wkbPoint, nullptr);
        OGRFieldDefn when("WHEN", OFTDateTime);
        if (layer->CreateField(&when) != OGRERR_NONE || layer->StartTransaction() != OGRERR_NONE) {
            throw std::runtime_error("cannot write the points");
        }
        OGRFeature feature(layer->GetLayerDefn());
        for (int i = 0; i < kPoints; ++i) {
            const int step = i % kSteps; // hour of the step, from 1 January 2008 00:00
            feature.SetFID(OGRNullFID);
            feature.SetField(0, 2008, 1 + step / (24 * 31), 1 + (step / 24) % 31, step % 24, 0, 0.0F);
            // Scattered over a 20-degree square by a fixed hash, so every step covers the map.
            const uint64_t hash = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ULL;
            OGRPoint point(-100.0 + static_cast<double>(hash >> 44) / 1048576.0 * 20.0,
                           20.0 + static_cast<double>((hash >> 24) & 0xFFFFF) / 1048576.0 * 20.0);
            feature.SetGeometry(&point);
            if (layer->CreateFeature(&feature) != OGRERR_NONE) {
                throw std::runtime_error("cannot write a point");
            }
        }
        if (layer->CommitTransaction() != OGRERR_NONE) {
            throw std::runtime_error("cannot commit the points");
        }
        GDALClose(dataset);
        std::ofstream(folder_ / "million.chronova.json") << R"({
  "chronova_project": 1,
  "map": { "name": "A million points", "background": "#ffffff" },
  "layers": [ { "name": "Points", "kind": "feature", "source": { "workspace": "points.gpkg", "dataset": "points" },
                "symbology": { "color": "#c02020", "size": 4 }, "time": { "field": "WHEN" } } ],
  "display": { "type": "interval", "fill_gaps": false, "toc_labels": false, "loop": true },
  "time": { "interval": 60 }
})";
    }

    std::filesystem::path folder_;
};

const BenchFolder& Folder() {
    static const BenchFolder folder;
    return folder;
}

// The window with a project open, the slider window docked, message boxes and dialogs answered headlessly.
struct OpenWindow {
    platform::ui::RecordingMessageService messages;
    platform::ui::ScopedMessageService message_scope{messages};
    platform::ui::ScriptedModalDialogService dialogs;
    platform::ui::ScopedModalDialogService dialog_scope{dialogs};
    desktop::MainWindow window{desktop::DialogServices::Installed};

    explicit OpenWindow(const std::filesystem::path& project) {
        window.RememberRecentFiles(false);
        window.resize(kWindow);
        window.show();
        if (!window.OpenProject(project)) {
            throw std::runtime_error("cannot open " + project.string());
        }
        Settle();
    }
    ~OpenWindow() {
        window.close();
        ResetGlobals();
    }
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;

    static void Settle() {
        for (int round = 0; round < 10; ++round) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    frmSlider& Slider() const { return *g_pChronovaData->Slider(); }
};

// 0: the demo project; 1: the million points.
std::filesystem::path ProjectOf(int which) {
    return which == 0 ? Folder().Demo() : Folder().Million();
}

constexpr size_t kDefaultCacheBytes = size_t{256} * 1024 * 1024;

void WindowStep(benchmark::State& state, int which, size_t cache_bytes) {
    OpenWindow open(ProjectOf(which));
    frmSlider& slider = open.Slider();
    desktop::MapCanvas& canvas = *open.window.Canvas();
    canvas.FrameCacheBytes(cache_bytes);
    const int draws_before = canvas.DrawCount();

    int64_t steps = 0;
    for (auto _ : state) {
        slider.Step(1); // wraps at the end, as loop playback does
        QCoreApplication::sendPostedEvents();
        canvas.repaint(); // the frame reaches the window's backing store now, not at some later event
        ++steps;
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["draws/step"] = static_cast<double>(canvas.DrawCount() - draws_before) / static_cast<double>(steps);
    state.counters["cache_hits/step"] = static_cast<double>(canvas.Frames().Hits()) / static_cast<double>(steps);
}

void BM_WindowStep(benchmark::State& state, int which) {
    WindowStep(state, which, kDefaultCacheBytes);
}
BENCHMARK_CAPTURE(BM_WindowStep, demo, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_WindowStep, million_points, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowStepUncached(benchmark::State& state, int which) {
    WindowStep(state, which, 0);
}
BENCHMARK_CAPTURE(BM_WindowStepUncached, demo, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_WindowStepUncached, million_points, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowRevisit(benchmark::State& state, int which) {
    OpenWindow open(ProjectOf(which));
    frmSlider& slider = open.Slider();
    desktop::MapCanvas& canvas = *open.window.Canvas();
    canvas.FrameCacheBytes(state.range(0) != 0 ? kDefaultCacheBytes : 0);
    slider.Step(1); // both steps drawn once before the timing
    slider.Step(-1);
    const int64_t hits_before = canvas.Frames().Hits();
    int64_t steps = 0;
    for (auto _ : state) {
        slider.Step(steps % 2 == 0 ? 1 : -1);
        QCoreApplication::sendPostedEvents();
        canvas.repaint();
        ++steps;
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
    state.counters["cache_hits/step"] =
        static_cast<double>(canvas.Frames().Hits() - hits_before) / static_cast<double>(steps);
}
BENCHMARK_CAPTURE(BM_WindowRevisit, demo, 0)
    ->ArgName("cache")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_WindowRevisit, million_points, 1)
    ->ArgName("cache")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_CommandLineFrame(benchmark::State& state, int which) {
    OpenWindow open(ProjectOf(which));
    const QSize size = open.window.Canvas()->size();
    cli::FrameRenderer renderer(g_pApp->Document()->FocusMap(), *g_pChronovaData, size, Qt::white);
    const int32_t count = renderer.FrameCount();
    int32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.Render(position).constBits());
        position = (position + 1) % count;
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_CommandLineFrame, demo, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_CommandLineFrame, million_points, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A key press as the window system delivers it: made on another thread, stamped with the moment it was made.
class StampedKeyPress : public QKeyEvent {
public:
    explicit StampedKeyPress(std::chrono::steady_clock::time_point made)
        : QKeyEvent(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier), made_(made) {}
    std::chrono::steady_clock::time_point Made() const noexcept { return made_; }

private:
    std::chrono::steady_clock::time_point made_;
};

// Sends the canvas a key press every 5 ms from a thread of its own, so a press can arrive while the window is busy
// stepping or drawing, and records how long each waited before the canvas saw it.
class InputProbe : public QObject {
public:
    explicit InputProbe(QWidget& target) : target_(target) {
        target_.installEventFilter(this);
        sender_ = std::thread([this] {
            while (!stop_.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                QCoreApplication::postEvent(&target_, new StampedKeyPress(std::chrono::steady_clock::now()));
            }
        });
    }
    ~InputProbe() override {
        Stop();
        target_.removeEventFilter(this);
    }
    InputProbe(const InputProbe&) = delete;
    InputProbe& operator=(const InputProbe&) = delete;

    void Stop() {
        stop_.store(true);
        if (sender_.joinable()) {
            sender_.join();
        }
    }
    const std::vector<double>& Waits() const noexcept { return waits_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &target_ && event->type() == QEvent::KeyPress) {
            if (const auto* press = dynamic_cast<const StampedKeyPress*>(event)) {
                const auto waited = std::chrono::steady_clock::now() - press->Made();
                waits_.push_back(std::chrono::duration<double, std::milli>(waited).count());
            }
        }
        return false;
    }

private:
    QWidget& target_;
    std::atomic<bool> stop_{false};
    std::thread sender_;
    std::vector<double> waits_;
};

void BM_PlaybackInput(benchmark::State& state, int which) {
    OpenWindow open(ProjectOf(which));
    frmSlider& slider = open.Slider();
    open.window.Canvas()->FrameCacheBytes(state.range(0) != 0 ? kDefaultCacheBytes : 0);
    g_bLoopAnimation = true;
    std::vector<double> waits;
    int64_t steps = 0;
    double seconds = 0;
    for (auto _ : state) {
        InputProbe probe(*open.window.Canvas());
        int32_t last = slider.Slider1.Value();
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (slider.Slider1.Value() != last) {
                last = slider.Slider1.Value();
                ++steps;
            }
        });
        watch.start();
        QElapsedTimer clock;
        clock.start();
        slider.tb1_Click("ID_PLAY", 0, 0, true);
        open.window.Host().Driver().Reschedule();
        while (clock.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        slider.tb1_Click("ID_STOP", 0, 0, true);
        seconds += static_cast<double>(clock.nsecsElapsed()) / 1e9;
        probe.Stop();
        QCoreApplication::processEvents(); // the presses sent before the stop
        waits.insert(waits.end(), probe.Waits().begin(), probe.Waits().end());
    }
    std::sort(waits.begin(), waits.end());
    state.counters["steps/s"] = static_cast<double>(steps) / seconds;
    state.counters["input_wait_max_ms"] = waits.empty() ? 0.0 : waits.back();
    state.counters["input_wait_p99_ms"] = waits.empty() ? 0.0 : waits[waits.size() * 99 / 100];
    state.counters["inputs"] = static_cast<double>(waits.size());
}
BENCHMARK_CAPTURE(BM_PlaybackInput, demo, 0)
    ->ArgName("cache")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PlaybackInput, million_points, 1)
    ->ArgName("cache")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
