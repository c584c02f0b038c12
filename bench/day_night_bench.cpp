// The slider's longest axis, 32,767 ticks (hourly over almost four years), drawn under the window: the day/night
// band, which samples the sun at every tick, and the slider itself with a tick mark per position. Beside each,
// the obvious baseline: the sun's times worked out anew for every tick, and a tick mark drawn for every tick even
// where many share a pixel column (the same painting with a mark added for every tick).
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QImage>
#include <memory>

#include "datetime/mod_date_time.h"
#include "gis/drawing/control_images.h"
#include "gis/drawing/image_canvas.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "platform/ui/event_loop.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "slider/mod_sunup.h"
#include "timeapply/test_layers.h"

using namespace chronova;

namespace {

constexpr int32_t kPositions = 32766; // 32,767 ticks, the most the axis has
constexpr int32_t kWidth = 1000;

// A custom layer over New York, in geographic coordinates.
class PlacedLayer : public testing::ScriptedTimeLayer {
public:
    PlacedLayer() : ScriptedTimeLayer({platform::Variant(int32_t{1})}) {}
    gis::Envelope AreaOfInterest() const override { return {-75, 40, -73, 42}; }
    std::string SpatialReference() const override { return "EPSG:4326"; }
};

// A loaded slider form whose axis has kPositions hourly positions from 1 March 2008.
struct LongAxis {
    platform::ui::EventLoop loop;
    std::unique_ptr<frmSlider> form;
    int32_t start = modDateTime::DateToMinutes(platform::Date::FromParts(2008, 3, 1));

    LongAxis() {
        ResetGlobals();
        g_pApp = gis::Application::Create();
        g_Layers = std::make_shared<LayerDataCollection>();
        auto layer = std::make_shared<PlacedLayer>();
        g_pApp->Document()->FocusMap()->AddLayer(layer);
        auto record = std::make_shared<LayerData>();
        testing::MakeCustomRecord(*record, layer);
        record->StartTime = start;
        record->FinishTime = start + kPositions * 60;
        record->Interval = 60;
        g_Layers->Add(record, record->IdentityKey());
        form = std::make_unique<frmSlider>(loop);
        form->Load();
        form->Update();
        form->Slider1.Move(0, 0, kWidth * platform::ui::kTwipsPerPixel, 30 * platform::ui::kTwipsPerPixel);
    }
    ~LongAxis() {
        form->Unload();
        form.reset();
        ResetGlobals();
    }
};

void BM_DayNightBand(benchmark::State& state) {
    LongAxis axis;
    for (auto _ : state) {
        axis.form->DrawDayNight();
        benchmark::DoNotOptimize(axis.form->picDayNightBands.Operations().size());
    }
    state.counters["ticks"] = axis.form->Slider1.GetNumTicks();
    state.counters["stretches"] = static_cast<double>(axis.form->picDayNightBands.Operations().size());
}
BENCHMARK(BM_DayNightBand)->Unit(benchmark::kMillisecond);

void BM_DayNightBandBaselineSunPerTick(benchmark::State& state) {
    LongAxis axis;
    const int32_t ticks = axis.form->Slider1.GetNumTicks();
    for (auto _ : state) {
        int32_t nights = 0;
        for (int32_t i = 1; i <= ticks + 1; ++i) {
            const platform::Date moment = modDateTime::MinutesToDate(axis.start + i * 60);
            float rise = 0;
            float set = 0;
            const int32_t status = modSunup::SunTimes(moment, -74.0F, 41.0F, rise, set);
            nights += modSunup::IsDaytime(moment, rise, set, status) ? 0 : 1;
        }
        benchmark::DoNotOptimize(nights);
    }
}
BENCHMARK(BM_DayNightBandBaselineSunPerTick)->Unit(benchmark::kMillisecond);

void BM_SliderPainted(benchmark::State& state) {
    bench::EnsureGuiApplication();
    LongAxis axis;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gis::RenderSlider(axis.form->Slider1));
    }
}
BENCHMARK(BM_SliderPainted)->Unit(benchmark::kMicrosecond);

void BM_SliderPaintedBaselineMarkEveryTick(benchmark::State& state) {
    bench::EnsureGuiApplication();
    LongAxis axis;
    const platform::ui::Slider& slider = axis.form->Slider1;
    for (auto _ : state) {
        QImage image = gis::RenderSlider(slider);
        gis::ImageCanvas canvas(image);
        const int32_t top = slider.ClientRect().bottom - 5;
        for (int32_t value = slider.Min(); value <= slider.Max(); ++value) {
            const int32_t x = slider.ValueX(value);
            canvas.FillRect({x, top, x + 1, top + 4}, 0x000000, platform::ui::draw_mode::kCopyPen);
        }
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_SliderPaintedBaselineMarkEveryTick)->Unit(benchmark::kMicrosecond);

} // namespace
