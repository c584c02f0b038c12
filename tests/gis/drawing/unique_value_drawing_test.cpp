// Features coloured by the distinct values of a field: each class's colour at the right features, for every kind
// of field and for a joined one.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gis/data/joined_table.h"
#include "gis/data/memory_table.h"
#include "gis/drawing/feature_drawer.h"
#include "gis/symbology/palettes.h"
#include "gis/symbology/renderers.h"
#include "platform/ole_date.h"

namespace chronova::gis {
namespace {

using Part = std::vector<std::pair<double, double>>;

constexpr QRgb kWhite = 0xffffffff;

// Features held in memory with the columns a test adds; every feature appends one value to each column.
class CategorisedFeatures : public IFeatureClass {
public:
    CategorisedFeatures(GeometryType type, std::string name)
        : data_(std::make_shared<ColumnTable>(std::move(name))), shapes_(std::make_shared<GeometryColumn>()) {
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
    void Add(const Part& part) {
        for (const auto& [x, y] : part) {
            shapes_->AddCoordinate(x, y);
        }
        shapes_->EndPart();
        shapes_->EndFeature();
    }

private:
    std::shared_ptr<ColumnTable> data_;
    std::shared_ptr<GeometryColumn> shapes_;
};

// Four 25-pixel columns side by side over a 100 by 40 map; column k is feature k.
Part Cell(int k) {
    const double left = 25.0 * k;
    return {{left, 0.0}, {left, 40.0}, {left + 25.0, 40.0}, {left + 25.0, 0.0}, {left, 0.0}};
}
QPoint CentreOf(int k) {
    return {25 * k + 12, 20};
}

QRgb Rgb(Color color) {
    return qRgb(color.Red, color.Green, color.Blue);
}

std::shared_ptr<ISymbol> FillOf(Color color) {
    auto fill = std::make_shared<SimpleFillSymbol>();
    fill->FillColor = color;
    fill->Outline = nullptr;
    return fill;
}

QImage Render(const FeatureLayer& layer) {
    QImage image(100, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(kWhite);
    QPainter painter(&image);
    DrawFeatureLayer(painter, ViewTransform(Envelope{0.0, 0.0, 100.0, 40.0}, 100, 40), layer,
                     *layer.FeatureClass()->Shapes());
    return image;
}

// Colours from tab10, one per value in order.
std::shared_ptr<UniqueValueRenderer> ByValue(const std::string& field, const std::vector<std::string>& values) {
    auto renderer = std::make_shared<UniqueValueRenderer>();
    renderer->Field = field;
    const ColorRamp& palette = ColorRampNamed("tab10");
    for (size_t i = 0; i < values.size(); ++i) {
        renderer->AddValue(values[i], FillOf(palette.Colors[i]));
    }
    return renderer;
}

Color Tab10(size_t index) {
    return ColorRampNamed("tab10").Colors[index];
}

void ExpectColours(const QImage& image, const std::vector<QRgb>& expected) {
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(image.pixel(CentreOf(static_cast<int>(k))), expected[k]) << "feature " << k;
    }
}

TEST(UniqueValueDrawingTest, EachPolygonTakesTheColourOfItsText) {
    auto parcels = std::make_shared<CategorisedFeatures>(GeometryType::Polygon, "Parcels");
    Column& use = parcels->AddField("LANDUSE", FieldType::String);
    for (const auto& [k, value] : {std::pair{0, "water"}, {1, "residential"}, {2, "water"}, {3, "forest"}}) {
        parcels->Add(Cell(k));
        use.AppendText(value);
    }
    FeatureLayer layer(parcels);
    auto renderer = ByValue("landuse", {"residential", "water"});
    layer.Renderer(renderer);
    ExpectColours(Render(layer), {Rgb(Tab10(1)), Rgb(Tab10(0)), Rgb(Tab10(1)), kWhite});

    // A value not listed takes the default symbol once there is one.
    renderer->DefaultSymbol = FillOf({10, 10, 10, false});
    renderer->Touch();
    ExpectColours(Render(layer), {Rgb(Tab10(1)), Rgb(Tab10(0)), Rgb(Tab10(1)), qRgb(10, 10, 10)});

    // Changing a class's symbol shows on the next drawing.
    renderer->Symbol(1, FillOf({0, 0, 0, false}));
    ExpectColours(Render(layer), {qRgb(0, 0, 0), Rgb(Tab10(0)), qRgb(0, 0, 0), qRgb(10, 10, 10)});
}

TEST(UniqueValueDrawingTest, NumbersAndDatesMatchTheirTextAndNullsTakeTheDefault) {
    auto parcels = std::make_shared<CategorisedFeatures>(GeometryType::Polygon, "Parcels");
    Column& zone = parcels->AddField("ZONE", FieldType::Integer);
    Column& ratio = parcels->AddField("RATIO", FieldType::Double);
    Column& built = parcels->AddField("BUILT", FieldType::Date);
    const double day = platform::Date::FromParts(2024, 5, 1).Serial();
    for (int k = 0; k < 4; ++k) {
        parcels->Add(Cell(k));
    }
    for (const int value : {3, 7, 3}) {
        zone.AppendInteger(value);
    }
    zone.AppendNull();
    for (const double value : {2.5, 1.0, 2.5, 4.0}) {
        ratio.AppendReal(value);
    }
    for (const double value : {day, day + 0.25, day + 1.0, day}) {
        built.AppendReal(value);
    }
    FeatureLayer layer(parcels);

    auto by_zone = ByValue("ZONE", {"7", "3"});
    by_zone->DefaultSymbol = FillOf({10, 10, 10, false});
    layer.Renderer(by_zone);
    ExpectColours(Render(layer), {Rgb(Tab10(1)), Rgb(Tab10(0)), Rgb(Tab10(1)), qRgb(10, 10, 10)});

    layer.Renderer(ByValue("RATIO", {"2.5", "1"}));
    ExpectColours(Render(layer), {Rgb(Tab10(0)), Rgb(Tab10(1)), Rgb(Tab10(0)), kWhite});

    layer.Renderer(ByValue("BUILT", {"2024-05-01", "2024-05-01 06:00:00"}));
    ExpectColours(Render(layer), {Rgb(Tab10(0)), Rgb(Tab10(1)), kWhite, Rgb(Tab10(0))});
}

TEST(UniqueValueDrawingTest, PointsAndLinesAreColouredToo) {
    auto points = std::make_shared<CategorisedFeatures>(GeometryType::Point, "Points");
    Column& kind = points->AddField("KIND", FieldType::String);
    for (const auto& [k, value] : {std::pair{0, "a"}, {1, "b"}}) {
        points->Add({{25.0 * k + 12.0, 20.0}});
        kind.AppendText(value);
    }
    FeatureLayer point_layer(points);
    auto renderer = std::make_shared<UniqueValueRenderer>();
    renderer->Field = "KIND";
    for (const auto& [value, color] : {std::pair{"a", Color{200, 0, 0, false}}, {"b", Color{0, 0, 200, false}}}) {
        auto marker = std::make_shared<SimpleMarkerSymbol>();
        marker->Style = SimpleMarkerStyle::Square;
        marker->Size = 6;
        marker->MarkerColor = color;
        renderer->AddValue(value, marker);
    }
    point_layer.Renderer(renderer);
    ExpectColours(Render(point_layer), {qRgb(200, 0, 0), qRgb(0, 0, 200), kWhite});

    auto lines = std::make_shared<CategorisedFeatures>(GeometryType::Polyline, "Lines");
    Column& road = lines->AddField("ROAD", FieldType::String);
    for (const auto& [k, value] : {std::pair{0, "main"}, {1, "track"}}) {
        lines->Add({{25.0 * k + 12.0, 0.0}, {25.0 * k + 12.0, 40.0}});
        road.AppendText(value);
    }
    FeatureLayer line_layer(lines);
    auto by_road = std::make_shared<UniqueValueRenderer>();
    by_road->Field = "ROAD";
    auto line = std::make_shared<SimpleLineSymbol>();
    line->Width = 4;
    line->LineColor = {0, 150, 0, false};
    by_road->AddValue("track", line);
    line_layer.Renderer(by_road);
    ExpectColours(Render(line_layer), {kWhite, qRgb(0, 150, 0)});
}

TEST(UniqueValueDrawingTest, AJoinedTextFieldColoursEachFeatureByItsJoinedRow) {
    auto parcels = std::make_shared<CategorisedFeatures>(GeometryType::Polygon, "Parcels");
    Column& key = parcels->AddField("KEY", FieldType::Integer);
    Column& own = parcels->AddField("USE", FieldType::String); // the parcels' own would colour them otherwise
    for (const auto& [k, id] : {std::pair{0, 1}, {1, 9}, {2, 2}}) {
        parcels->Add(Cell(k));
        key.AppendInteger(id);
        own.AppendText("water");
    }
    auto uses = std::make_shared<ColumnTable>("USES");
    Column& key_ref = uses->AddField({"KEY_REF", "", FieldType::Integer});
    Column& use = uses->AddField({"USE", "", FieldType::String});
    for (const auto& [id, value] : {std::pair{2, "forest"}, {1, "residential"}}) {
        key_ref.AppendInteger(id);
        use.AppendText(value);
    }
    auto relationship = std::make_shared<MemoryRelationshipClass>();
    relationship->Origin = parcels;
    relationship->OriginKey = "KEY";
    relationship->Destination = std::make_shared<MemoryTable>(uses);
    relationship->DestinationKey = "KEY_REF";
    FeatureLayer layer(parcels);
    layer.DisplayRelationshipClass(relationship, JoinType::LeftOuterJoin);
    auto renderer = ByValue("USES.USE", {"residential", "forest", "water"});
    renderer->DefaultSymbol = FillOf({10, 10, 10, false});
    layer.Renderer(renderer);
    // The parcel with key 9 has no joined row: no value, the default symbol.
    ExpectColours(Render(layer), {Rgb(Tab10(0)), qRgb(10, 10, 10), Rgb(Tab10(1))});
}

} // namespace
} // namespace chronova::gis
