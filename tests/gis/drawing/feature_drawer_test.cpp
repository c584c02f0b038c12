#include "gis/drawing/feature_drawer.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gis/data/memory_table.h"
#include "gis/symbology/renderers.h"

namespace chronova::gis {
namespace {

using Part = std::vector<std::pair<double, double>>;

// Features of one shape type held in memory, numbered by an object id, with the columns a test adds.
class TestFeatures : public IFeatureClass {
public:
    explicit TestFeatures(GeometryType type, std::string name = "Features")
        : data_(std::make_shared<ColumnTable>(std::move(name))), shapes_(std::make_shared<GeometryColumn>()),
          ids_(&data_->AddField({"FID", "", FieldType::OID})) {
        shapes_->Type = type;
    }

    std::string Name() const override { return data_->Name(); }
    DatasetType Type() const override { return DatasetType::FeatureClass; }
    std::shared_ptr<IWorkspace> Workspace() const override { return nullptr; }
    std::shared_ptr<const ColumnTable> Data() const override { return data_; }
    GeometryType ShapeType() const override { return shapes_->Type; }
    std::string ShapeFieldName() const override { return "Shape"; }
    std::shared_ptr<const GeometryColumn> Shapes() const override { return shapes_; }

    Column& AddField(const std::string& name, FieldType type) { return data_->AddField({name, "", type}); }
    void Add(const std::vector<Part>& parts) {
        for (const Part& part : parts) {
            for (const auto& [x, y] : part) {
                shapes_->AddCoordinate(x, y);
            }
            shapes_->EndPart();
        }
        shapes_->EndFeature();
        ids_->AppendInteger(static_cast<int32_t>(ids_->Size()));
    }
    void AddPoint(double x, double y) { Add({{{x, y}}}); }

private:
    std::shared_ptr<ColumnTable> data_;
    std::shared_ptr<GeometryColumn> shapes_;
    Column* ids_;
};

constexpr QRgb kWhite = 0xffffffff;
constexpr Color kRed{200, 30, 30, false};
constexpr Color kBlue{20, 40, 180, false};
constexpr const char* kMissingFont = "Chronova No Such Font";

QRgb Rgb(Color color) {
    return qRgb(color.Red, color.Green, color.Blue);
}

// Draws the layer on white; map units are pixels, y upwards.
QImage Render(const FeatureLayer& layer, int width = 100, int height = 100) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(kWhite);
    QPainter painter(&image);
    DrawFeatureLayer(painter, ViewTransform(Envelope{0.0, 0.0, 1.0 * width, 1.0 * height}, width, height), layer,
                     *layer.FeatureClass()->Shapes());
    return image;
}

int PaintedCount(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixel(x, y) != kWhite ? 1 : 0;
        }
    }
    return count;
}

// The smallest rectangle holding every painted pixel of the area; empty when none is.
QRect PaintedBounds(const QImage& image, std::optional<QRect> within = std::nullopt) {
    const QRect area = within.value_or(image.rect());
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != kWhite) {
                bounds = bounds.united(QRect(x, y, 1, 1));
            }
        }
    }
    return bounds;
}

std::shared_ptr<IMarkerSymbol> Square(double size) {
    auto square = std::make_shared<SimpleMarkerSymbol>();
    square->Style = SimpleMarkerStyle::Square;
    square->Size = size;
    square->MarkerColor = kRed;
    return square;
}

std::shared_ptr<IMarkerSymbol> Arrow(double size, const std::string& font = kMissingFont, int32_t character = 65) {
    auto arrow = std::make_shared<CharacterMarkerSymbol>();
    arrow->FontName = font;
    arrow->CharacterIndex = character;
    arrow->Size = size;
    arrow->MarkerColor = kBlue;
    return arrow;
}

void UseSymbol(FeatureLayer& layer, std::shared_ptr<ISymbol> symbol) {
    auto renderer = std::make_shared<SimpleRenderer>();
    renderer->Symbol = std::move(symbol);
    layer.Renderer(renderer);
}

// Equal classes of `field` over 0..10 with copies of `marker` growing from 8 to 24 points.
std::shared_ptr<ClassBreaksRenderer> SizeClasses(const std::string& field, int32_t classes,
                                                 const std::shared_ptr<IMarkerSymbol>& marker) {
    auto renderer = std::make_shared<ClassBreaksRenderer>();
    renderer->Field = field;
    const auto breaks = EqualIntervalBreaks(0.0, 10.0, classes);
    renderer->BreakCount(classes);
    for (int32_t i = 0; i < classes; ++i) {
        auto symbol = std::dynamic_pointer_cast<IMarkerSymbol>(marker->Clone());
        symbol->Size = classes == 1 ? marker->Size : 8.0 + 16.0 * i / (classes - 1);
        renderer->Break(i, breaks[static_cast<size_t>(i) + 1]);
        renderer->Symbol(i, symbol);
    }
    return renderer;
}

TEST(FeatureDrawerTest, FeaturesTheDefinitionExpressionFiltersOutLeaveTheBackground) {
    auto points = std::make_shared<TestFeatures>(GeometryType::Point);
    auto& step = points->AddField("T", FieldType::Integer);
    for (const auto& [x, t] : {std::pair{25.0, 1}, {75.0, 2}}) {
        points->AddPoint(x, 50.0);
        step.AppendInteger(t);
    }
    FeatureLayer layer(points);
    UseSymbol(layer, Square(10.0));
    const auto expect = [&](const std::string& expression, bool left, bool right) {
        layer.DefinitionExpression(expression);
        const QImage image = Render(layer);
        EXPECT_EQ(PaintedCount(image, QRect(0, 0, 50, 100)) > 0, left) << expression;
        EXPECT_EQ(PaintedCount(image, QRect(50, 0, 50, 100)) > 0, right) << expression;
    };
    expect("", true, true);
    expect("T = 1", true, false);
    expect("T = 2", false, true);
    expect("T =", false, false);
}

TEST(FeatureDrawerTest, MarkersSitOnTheirPointsEvenOverTheImageEdge) {
    auto points = std::make_shared<TestFeatures>(GeometryType::Point);
    for (const auto& [x, y] : {std::pair{50.0, 30.0}, {-3.0, 50.0}, {50.0, 104.0}, {-500.0, 50.0}}) {
        points->AddPoint(x, y);
    }
    FeatureLayer layer(points);
    UseSymbol(layer, Square(15.0)); // 20 pixels
    const QImage image = Render(layer);
    EXPECT_EQ(PaintedBounds(image, QRect(20, 40, 60, 60)), QRect(40, 60, 20, 20));
    EXPECT_EQ(image.pixel(50, 70), Rgb(kRed));
    EXPECT_EQ(PaintedBounds(image, QRect(0, 30, 20, 40)), QRect(0, 40, 7, 20));
    EXPECT_EQ(PaintedBounds(image, QRect(30, 0, 40, 20)), QRect(40, 0, 20, 6));
}

// Where an elongated arrow drawn at the centre points, read from its wide head: the half of the image that
// holds clearly more of its pixels than the opposite half.
std::string Heading(const QImage& image) {
    const int up = PaintedCount(image, QRect(0, 0, 100, 50));
    const int down = PaintedCount(image, QRect(0, 50, 100, 50));
    const int right = PaintedCount(image, QRect(50, 0, 50, 100));
    const int left = PaintedCount(image, QRect(0, 0, 50, 100));
    if (std::abs(up - down) > std::abs(right - left)) {
        return up > down ? "up" : "down";
    }
    return right > left ? "right" : right < left ? "left" : "nothing";
}

// An arrow 40 pixels high at the centre, turned by its DIR field and its own angle.
QImage TurnedArrow(RotationType type, std::optional<double> direction, double angle = 0.0) {
    auto points = std::make_shared<TestFeatures>(GeometryType::Point);
    auto& speed = points->AddField("SPEED", FieldType::Double);
    auto& dir = points->AddField("DIR", FieldType::Double);
    points->AddPoint(50.0, 50.0);
    speed.AppendReal(5.0);
    direction ? dir.AppendReal(*direction) : dir.AppendNull();
    auto arrow = Arrow(30.0);
    arrow->Angle = angle;
    auto renderer = SizeClasses("SPEED", 1, arrow);
    renderer->RotationField = "DIR";
    renderer->Rotation = type;
    FeatureLayer layer(points);
    layer.Renderer(renderer);
    return Render(layer);
}

TEST(FeatureDrawerTest, DirectionsTurnMarkersAsTheRotationTypeSays) {
    const auto expect = [](RotationType type, std::optional<double> direction, double angle, const char* heading) {
        EXPECT_EQ(Heading(TurnedArrow(type, direction, angle)), heading)
            << static_cast<int>(type) << " " << direction.value_or(-1) << " " << angle;
    };
    const auto geographic = RotationType::Geographic;
    expect(geographic, 0.0, 0.0, "up");
    expect(geographic, 90.0, 0.0, "right");
    expect(geographic, 180.0, 0.0, "down");
    expect(geographic, -90.0, 0.0, "left");
    expect(geographic, 450.0, 0.0, "right");
    expect(geographic, std::nullopt, 0.0, "up");
    expect(geographic, 90.0, 90.0, "up"); // the symbol's angle adds counter-clockwise
    expect(RotationType::Arithmetic, 0.0, 0.0, "right");
    expect(RotationType::Arithmetic, 90.0, 0.0, "up");

    const QRect upright = PaintedBounds(TurnedArrow(geographic, 0.0));
    const QRect turned = PaintedBounds(TurnedArrow(geographic, 90.0));
    EXPECT_NEAR(upright.height(), 40, 2);
    EXPECT_GT(upright.height(), 2 * upright.width());
    EXPECT_GT(turned.width(), 2 * turned.height());
}

TEST(FeatureDrawerTest, MarkersGrowWithTheirClassAndOutsideEveryClassAreNotDrawn) {
    auto points = std::make_shared<TestFeatures>(GeometryType::Point);
    auto& speed = points->AddField("SPEED", FieldType::Double);
    auto& text = points->AddField("TEXT", FieldType::String);
    // SPEED 1, 3, 5, 7, 9 in the five classes, 40 pixels apart; then values in no class in the lower row.
    for (int i = 0; i < 5; ++i) {
        points->AddPoint(20.0 + 40.0 * i, 60.0);
        speed.AppendReal(1.0 + 2.0 * i);
    }
    for (const double value : {-1.0, 10.5, std::numeric_limits<double>::quiet_NaN()}) {
        points->AddPoint(50.0, 15.0);
        std::isnan(value) ? speed.AppendNull() : speed.AppendReal(value);
    }
    for (size_t i = 0; i < speed.Size(); ++i) {
        text.AppendText("5");
    }
    for (const auto& marker : {Arrow(8.0), Square(8.0)}) {
        FeatureLayer layer(points);
        layer.Renderer(SizeClasses("SPEED", 5, marker));
        const QImage image = Render(layer, 200, 80);
        int previous = 0;
        for (int i = 0; i < 5; ++i) {
            const int height = PaintedBounds(image, QRect(40 * i, 0, 40, 40)).height();
            EXPECT_GT(height, previous) << "class " << i;
            previous = height;
        }
        EXPECT_NEAR(previous, 32, 2); // 24 points
        EXPECT_EQ(PaintedBounds(image, QRect(0, 50, 200, 30)), QRect());
        // A text field holds no numbers to classify.
        layer.Renderer(SizeClasses("TEXT", 5, marker));
        EXPECT_EQ(PaintedBounds(Render(layer, 200, 80)), QRect());
    }
}

TEST(FeatureDrawerTest, AMissingFontOrGlyphDrawsTheUpwardArrow) {
    auto points = std::make_shared<TestFeatures>(GeometryType::Point);
    points->AddPoint(50.0, 50.0);
    FeatureLayer layer(points);
    UseSymbol(layer, Arrow(30.0));
    const QImage fallback = Render(layer);
    EXPECT_EQ(Heading(fallback), "up");
    if (!QFontDatabase::families().contains("DejaVu Sans")) {
        GTEST_SKIP() << "DejaVu Sans is not installed";
    }
    // An installed font draws its own glyph; one without a glyph for the character (no CJK) draws the arrow.
    UseSymbol(layer, Arrow(30.0, "dejavu sans", 65));
    EXPECT_NE(Render(layer), fallback);
    UseSymbol(layer, Arrow(30.0, "DejaVu Sans", 0x4E00));
    EXPECT_EQ(Render(layer), fallback);
}

TEST(FeatureDrawerTest, LinesAndPolygonsPaintWhereTheirShapesAre) {
    auto lines = std::make_shared<TestFeatures>(GeometryType::Polyline);
    lines->Add({{{10.0, 50.0}, {90.0, 50.0}}, {{50.0, 10.0}, {50.0, 30.0}}});
    FeatureLayer line_layer(lines);
    auto line = std::make_shared<SimpleLineSymbol>();
    line->LineColor = kRed;
    line->Width = 3.0;
    UseSymbol(line_layer, line);
    QImage image = Render(line_layer);
    for (const auto& [x, y, painted] :
         {std::tuple{12, 50, true}, {88, 50, true}, {50, 75, true}, {50, 45, false}, {5, 50, false}, {50, 60, false}}) {
        EXPECT_EQ(image.pixel(x, y) == Rgb(kRed), painted) << x << "," << y;
    }

    // The hole turns the same way as the outer ring: filling goes by crossings, not by direction.
    auto polygons = std::make_shared<TestFeatures>(GeometryType::Polygon);
    polygons->Add({{{20.0, 20.0}, {80.0, 20.0}, {80.0, 80.0}, {20.0, 80.0}, {20.0, 20.0}},
                   {{40.0, 40.0}, {60.0, 40.0}, {60.0, 60.0}, {40.0, 60.0}, {40.0, 40.0}}});
    polygons->Add({{{-1000.0, -1000.0}, {10.0, -1000.0}, {10.0, 1000.0}, {-1000.0, 1000.0}}});
    FeatureLayer polygon_layer(polygons);
    auto fill = std::make_shared<SimpleFillSymbol>();
    fill->FillColor = kBlue;
    fill->Outline = line;
    UseSymbol(polygon_layer, fill);
    image = Render(polygon_layer);
    for (const auto& [x, y, color] : {std::tuple{30, 30, Rgb(kBlue)},
                                      {70, 50, Rgb(kBlue)},
                                      {50, 50, kWhite},
                                      {20, 50, Rgb(kRed)},
                                      {40, 50, Rgb(kRed)},
                                      {5, 5, Rgb(kBlue)},
                                      {90, 90, kWhite}}) {
        EXPECT_EQ(image.pixel(x, y), color) << x << "," << y;
    }
    fill->Style = SimpleFillStyle::Null;
    image = Render(polygon_layer);
    EXPECT_EQ(image.pixel(30, 30), kWhite);
    EXPECT_EQ(image.pixel(20, 50), Rgb(kRed));
}

TEST(FeatureDrawerTest, AJoinedLayerClassifiesByTheJoinedFieldOfEachFeature) {
    auto ships = std::make_shared<TestFeatures>(GeometryType::Point, "Ships");
    auto& key = ships->AddField("KEY", FieldType::Integer);
    auto& own_speed = ships->AddField("SPEED", FieldType::Double); // the ships' own would swap the sizes
    for (const auto& [x, k, s] : {std::tuple{15.0, 1, 9.0}, {50.0, 9, 9.0}, {85.0, 2, 1.0}}) {
        ships->AddPoint(x, 50.0);
        key.AppendInteger(k);
        own_speed.AppendReal(s);
    }
    // Rows in another order than the ships', and none for the ship with key 9.
    auto observations = std::make_shared<ColumnTable>("OBS_QUERY");
    auto& key_ref = observations->AddField({"KEY_REF", "", FieldType::Integer});
    auto& speed = observations->AddField({"SPEED", "", FieldType::Double});
    for (const auto& [k, s] : {std::pair{2, 8.0}, {1, 2.0}}) {
        key_ref.AppendInteger(k);
        speed.AppendReal(s);
    }
    auto relationship = std::make_shared<MemoryRelationshipClass>();
    relationship->Origin = ships;
    relationship->OriginKey = "KEY";
    relationship->Destination = std::make_shared<MemoryTable>(observations);
    relationship->DestinationKey = "KEY_REF";
    FeatureLayer layer(ships);
    layer.DisplayRelationshipClass(relationship, JoinType::InnerJoin);
    layer.Renderer(SizeClasses("OBS_QUERY.SPEED", 2, Square(8.0)));
    const QImage image = Render(layer);
    EXPECT_NEAR(PaintedBounds(image, QRect(0, 0, 35, 100)).height(), 11, 1);  // speed 2: 8 points
    EXPECT_EQ(PaintedBounds(image, QRect(35, 0, 30, 100)), QRect());          // not joined
    EXPECT_NEAR(PaintedBounds(image, QRect(65, 0, 35, 100)).height(), 32, 1); // speed 8: 24 points
}

} // namespace
} // namespace chronova::gis
