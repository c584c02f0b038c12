// Drawing point layers into a 1024x768 frame: one time step of a large layer, a plain point layer, and
// vectors (rotated arrows sized by class). Each case runs beside its obvious baseline in the same run: a full
// redraw of every feature, and arrows drawn with QPainter glyph by glyph.
#include <benchmark/benchmark.h>

#include "gui_application.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "gis/drawing/feature_drawer.h"
#include "gis/drawing/marker_images.h"
#include "gis/drawing/view_transform.h"
#include "gis/layers/feature_layer.h"
#include "gis/symbology/renderers.h"
#include "support/memory_data.h"

using namespace chronova;

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kSteps = 1000;
// An upwards arrow of a font every Debian desktop has.
constexpr const char* kArrowFont = "DejaVu Sans";
constexpr int32_t kArrowCharacter = 0x2191;

// n points spread at random over the frame's extent, with a time step T (0..999), SPEED (0..10) and DIR
// (0..360 degrees) per point.
struct PointLayer {
    std::shared_ptr<testing::MemoryWorkspace> workspace = std::make_shared<testing::MemoryWorkspace>();
    std::shared_ptr<testing::MemoryTestFeatureClass> points;
    std::shared_ptr<gis::FeatureLayer> layer;

    explicit PointLayer(int64_t n) {
        points = std::make_shared<testing::MemoryTestFeatureClass>("POINTS", workspace);
        workspace->Add("POINTS", points);
        gis::Column& step = points->Columns().AddField({"T", "", gis::FieldType::Integer});
        gis::Column& speed = points->Columns().AddField({"SPEED", "", gis::FieldType::Double});
        gis::Column& direction = points->Columns().AddField({"DIR", "", gis::FieldType::Double});
        std::mt19937 random(11);
        std::uniform_real_distribution<double> x(0.0, kWidth);
        std::uniform_real_distribution<double> y(0.0, kHeight);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int64_t i = 0; i < n; ++i) {
            step.AppendInteger(static_cast<int32_t>(i % kSteps));
            speed.AppendReal(10.0 * unit(random));
            direction.AppendReal(360.0 * unit(random));
            points->AddPoint(x(random), y(random));
        }
        layer = std::make_shared<gis::FeatureLayer>(points, "Shapefile Feature Class", "Points");
    }
    const gis::GeometryColumn& Shapes() const { return *points->Shapes(); }
};

PointLayer& MillionPoints() {
    static PointLayer layer(1000000);
    return layer;
}

struct Frame {
    QImage image{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
    gis::ViewTransform transform{gis::Envelope{0.0, 0.0, kWidth, kHeight}, kWidth, kHeight};
};

void Draw(Frame& frame, const gis::FeatureLayer& layer, const gis::GeometryColumn& shapes) {
    frame.image.fill(Qt::white);
    QPainter painter(&frame.image);
    gis::DrawFeatureLayer(painter, frame.transform, layer, shapes);
}

// Class breaks on SPEED in 5 equal classes of character arrows from 8 to 24 points, rotated by DIR.
std::shared_ptr<gis::ClassBreaksRenderer> ArrowRenderer() {
    auto renderer = std::make_shared<gis::ClassBreaksRenderer>();
    renderer->Field = "SPEED";
    renderer->RotationField = "DIR";
    renderer->Rotation = gis::RotationType::Geographic;
    const auto breaks = gis::EqualIntervalBreaks(0.0, 10.0, 5);
    renderer->MinimumBreak = breaks.front();
    renderer->BreakCount(5);
    for (int32_t i = 0; i < 5; ++i) {
        auto arrow = std::make_shared<gis::CharacterMarkerSymbol>();
        arrow->FontName = kArrowFont;
        arrow->CharacterIndex = kArrowCharacter;
        arrow->MarkerColor = gis::Color{20, 60, 160, false};
        arrow->Size = 8.0 + 4.0 * i;
        renderer->Break(i, breaks[static_cast<size_t>(i) + 1]);
        renderer->Symbol(i, arrow);
    }
    return renderer;
}

// (a) One time step: the new definition expression, the features it lets through, the frame drawn.
void BM_DrawTimeStep(benchmark::State& state) {
    bench::EnsureGuiApplication();
    PointLayer& data = MillionPoints();
    data.layer->DefinitionExpression("T = 0");
    data.layer->VisibleFeatures(); // builds the field's index before timing
    Frame frame;
    int32_t step = 0;
    for (auto _ : state) {
        data.layer->DefinitionExpression("T = " + std::to_string(step++ % kSteps));
        Draw(frame, *data.layer, data.Shapes());
    }
    state.counters["features/step"] = static_cast<double>(data.layer->VisibleFeatures()->size());
    data.layer->DefinitionExpression("");
}
BENCHMARK(BM_DrawTimeStep)->Unit(benchmark::kMillisecond);

// Baseline of (a): the whole layer redrawn, as without a time filter.
void BM_DrawAllMillionPoints(benchmark::State& state) {
    bench::EnsureGuiApplication();
    PointLayer& data = MillionPoints();
    data.layer->DefinitionExpression("");
    Frame frame;
    for (auto _ : state) {
        Draw(frame, *data.layer, data.Shapes());
    }
}
BENCHMARK(BM_DrawAllMillionPoints)->Unit(benchmark::kMillisecond);

// (b) 100,000 points with the layer's default simple renderer.
void BM_DrawHundredThousandPoints(benchmark::State& state) {
    bench::EnsureGuiApplication();
    static PointLayer data(100000);
    Frame frame;
    for (auto _ : state) {
        Draw(frame, *data.layer, data.Shapes());
    }
}
BENCHMARK(BM_DrawHundredThousandPoints)->Unit(benchmark::kMillisecond);

// (c) 10,000 arrows in 5 size classes, each rotated by its direction.
PointLayer& TenThousandArrows() {
    static PointLayer data(10000);
    static bool rendered = [] {
        data.layer->Renderer(ArrowRenderer());
        return true;
    }();
    (void)rendered;
    return data;
}

void BM_DrawArrows(benchmark::State& state) {
    bench::EnsureGuiApplication();
    PointLayer& data = TenThousandArrows();
    Frame frame;
    for (auto _ : state) {
        Draw(frame, *data.layer, data.Shapes());
    }
}
BENCHMARK(BM_DrawArrows)->Unit(benchmark::kMillisecond);

// Baselines of (c): the same arrows drawn one by one, turned and scaled by the painter, as text and as the
// glyph's path.
template <bool kAsText>
void DrawArrowsOneByOne(benchmark::State& state) {
    bench::EnsureGuiApplication();
    PointLayer& data = TenThousandArrows();
    const auto& renderer = dynamic_cast<const gis::ClassBreaksRenderer&>(*data.layer->Renderer());
    const gis::ColumnTable& table = *data.points->Data();
    const gis::Column& speed = table.ColumnAt(static_cast<size_t>(table.FindField("SPEED")));
    const gis::Column& direction = table.ColumnAt(static_cast<size_t>(table.FindField("DIR")));
    const gis::GeometryColumn& shapes = data.Shapes();
    const QString arrow_text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&kArrowCharacter), 1);
    const QPainterPath arrow = gis::MarkerImages::ForThisThread()
                                   .GlyphPath(kArrowFont, kArrowCharacter)
                                   .value_or(gis::MarkerImages::ArrowPath());
    Frame frame;
    for (auto _ : state) {
        frame.image.fill(Qt::white);
        QPainter painter(&frame.image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QColor(20, 60, 160));
        painter.setBrush(QColor(20, 60, 160));
        for (size_t row = 0; row < shapes.FeatureCount(); ++row) {
            const int32_t symbol_class = renderer.ClassOf(speed.Real(row));
            if (symbol_class < 0) {
                continue;
            }
            const double pixels = gis::ViewTransform::PointsToPixels(8.0 + 4.0 * symbol_class);
            painter.save();
            painter.translate(frame.transform.ToPixelX(shapes.X[row]), frame.transform.ToPixelY(shapes.Y[row]));
            painter.rotate(direction.Real(row));
            if constexpr (kAsText) {
                QFont font(kArrowFont);
                font.setPixelSize(static_cast<int>(pixels));
                painter.setFont(font);
                painter.drawText(QRectF(-pixels, -pixels, 2 * pixels, 2 * pixels), Qt::AlignCenter, arrow_text);
            } else {
                painter.scale(pixels, pixels);
                painter.drawPath(arrow);
            }
            painter.restore();
        }
    }
}

void BM_DrawArrowsNaiveText(benchmark::State& state) {
    DrawArrowsOneByOne<true>(state);
}
BENCHMARK(BM_DrawArrowsNaiveText)->Unit(benchmark::kMillisecond);

void BM_DrawArrowsNaivePath(benchmark::State& state) {
    DrawArrowsOneByOne<false>(state);
}
BENCHMARK(BM_DrawArrowsNaivePath)->Unit(benchmark::kMillisecond);

} // namespace
