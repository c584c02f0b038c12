#include "gis/layers/feature_layer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gis/data/memory_table.h"
#include "gis/host_errors.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

// Points held in memory: enough of a feature class for a layer.
class TestPoints : public IFeatureClass {
public:
    TestPoints(std::shared_ptr<const ColumnTable> data, std::shared_ptr<const GeometryColumn> shapes)
        : data_(std::move(data)), shapes_(std::move(shapes)) {}

    std::string Name() const override { return data_->Name(); }
    DatasetType Type() const override { return DatasetType::FeatureClass; }
    std::shared_ptr<IWorkspace> Workspace() const override { return nullptr; }
    std::shared_ptr<const ColumnTable> Data() const override { return data_; }
    GeometryType ShapeType() const override { return GeometryType::Point; }
    std::string ShapeFieldName() const override { return "Shape"; }
    std::shared_ptr<const GeometryColumn> Shapes() const override { return shapes_; }

private:
    std::shared_ptr<const ColumnTable> data_;
    std::shared_ptr<const GeometryColumn> shapes_;
};

// Six points "Ships": TIME 10, 20, ... 60 and KEY 100 ... 105, at (i, 2i).
std::shared_ptr<TestPoints> Ships() {
    auto data = std::make_shared<ColumnTable>("Ships");
    auto& time = data->AddField({"TIME", "Time", FieldType::Integer});
    auto& key = data->AddField({"KEY", "Key", FieldType::Integer});
    auto shapes = std::make_shared<GeometryColumn>();
    shapes->Type = GeometryType::Point;
    shapes->SpatialReference = "GEOGCS[\"WGS 84\"]";
    for (int32_t i = 0; i < 6; ++i) {
        time.AppendInteger(10 * (i + 1));
        key.AppendInteger(100 + i);
        shapes->AddCoordinate(i, 2.0 * i);
        shapes->EndPart();
        shapes->EndFeature();
    }
    return std::make_shared<TestPoints>(std::move(data), std::move(shapes));
}

// A time table: a speed for the ships with keys 101, 103, 105, and one for no ship.
std::shared_ptr<ITable> Steps(std::string name = "STEPS") {
    auto data = std::make_shared<ColumnTable>(std::move(name));
    auto& key = data->AddField({"KEY_REF", "", FieldType::Integer});
    auto& speed = data->AddField({"SPD", "", FieldType::Double});
    for (const auto& [k, s] : {std::pair{101, 1.0}, {103, 2.0}, {105, 3.0}, {999, 9.0}}) {
        key.AppendInteger(k);
        speed.AppendReal(s);
    }
    return std::make_shared<MemoryTable>(std::move(data));
}

std::shared_ptr<const MemoryRelationshipClass> Relate(std::shared_ptr<ITable> origin, std::string origin_key,
                                                      std::shared_ptr<ITable> destination) {
    auto relationship = std::make_shared<MemoryRelationshipClass>();
    relationship->Name = "Join_Ships";
    relationship->Origin = std::move(origin);
    relationship->OriginKey = std::move(origin_key);
    relationship->Destination = std::move(destination);
    relationship->DestinationKey = "KEY_REF";
    return relationship;
}

RowIds Visible(const FeatureLayer& layer) {
    return *layer.VisibleFeatures();
}

class FeatureLayerTest : public ::testing::Test {
protected:
    void SetUp() override { ClearHostErrors(); }
    FeatureLayer layer{Ships(), "Shapefile Feature Class"};
};

TEST_F(FeatureLayerTest, TheDefinitionExpressionPicksTheFeaturesDrawn) {
    const std::pair<std::string, RowIds> cases[] = {
        {"", {0, 1, 2, 3, 4, 5}}, {"TIME <= 30", {0, 1, 2}},
        {"TIME = 45", {}},        {"TIME IN (20, 60) OR KEY = 103", {1, 3, 5}},
        {"NOT TIME > 10", {0}},
    };
    for (const auto& [expression, expected] : cases) {
        layer.DefinitionExpression(expression);
        EXPECT_EQ(Visible(layer), expected) << expression;
        EXPECT_EQ(layer.DefinitionError(), "") << expression;
    }
    EXPECT_TRUE(RecentHostErrors().empty());
}

TEST_F(FeatureLayerTest, AnExpressionThatDoesNotWorkDrawsNothingAndIsReported) {
    for (const std::string expression : {"TIME <=", "NO_SUCH_FIELD = 1", "TIME = 'ten' AND"}) {
        ClearHostErrors();
        EXPECT_NO_THROW(layer.DefinitionExpression(expression));
        EXPECT_EQ(layer.DefinitionExpression(), expression);
        EXPECT_TRUE(Visible(layer).empty()) << expression;
        EXPECT_NE(layer.DefinitionError(), "") << expression;
        ASSERT_EQ(RecentHostErrors().size(), 1u) << expression;
        EXPECT_NE(RecentHostErrors()[0].find(expression), std::string::npos);
    }
    layer.DefinitionExpression("TIME = 10");
    EXPECT_EQ(Visible(layer), (RowIds{0}));
    EXPECT_EQ(layer.DefinitionError(), "");
}

TEST_F(FeatureLayerTest, AnInnerJoinKeepsOnlyFeaturesWithARecord) {
    layer.DisplayRelationshipClass(Relate(layer.FeatureClass(), "KEY", Steps()), JoinType::InnerJoin);
    EXPECT_EQ(Visible(layer), (RowIds{1, 3, 5}));
    EXPECT_EQ(layer.DisplayTable()->Name(), "STEPS");
    EXPECT_EQ(layer.DisplayFeatureClass()->Shapes(), layer.FeatureClass()->Shapes());

    layer.DefinitionExpression("TIME <= 40");
    EXPECT_EQ(Visible(layer), (RowIds{1, 3}));
    // Fields the join brought in are found in the joined data.
    layer.DefinitionExpression("STEPS.SPD >= 2");
    EXPECT_EQ(Visible(layer), (RowIds{3, 5}));

    layer.RemoveAllJoins();
    EXPECT_EQ(layer.DisplayTable(), std::static_pointer_cast<ITable>(layer.FeatureClass()));
    EXPECT_TRUE(Visible(layer).empty());
    EXPECT_NE(layer.DefinitionError(), "");
    layer.DefinitionExpression("");
    EXPECT_EQ(Visible(layer).size(), 6u);
}

TEST_F(FeatureLayerTest, JoinsStackOnTheTableTheyStartFrom) {
    const auto fc = layer.FeatureClass();
    layer.DisplayRelationshipClass(Relate(fc, "KEY", Steps()), JoinType::LeftOuterJoin);
    EXPECT_EQ(Visible(layer).size(), 6u);
    layer.DisplayRelationshipClass(Relate(layer.DisplayTable(), "Ships.KEY", Steps("MORE")), JoinType::InnerJoin);
    EXPECT_EQ(layer.Joins().size(), 2u);
    EXPECT_EQ(Visible(layer), (RowIds{1, 3, 5}));

    // A relationship on the feature class itself replaces the whole chain.
    layer.DisplayRelationshipClass(Relate(fc, "KEY", Steps()), JoinType::LeftOuterJoin);
    EXPECT_EQ(layer.Joins().size(), 1u);

    const uint64_t revision = layer.DataRevision();
    layer.DisplayRelationshipClass(nullptr, JoinType::InnerJoin);
    EXPECT_RAISES(layer.DisplayRelationshipClass(Relate(Ships(), "KEY", Steps()), JoinType::InnerJoin), 5);
    EXPECT_THROW(layer.DisplayRelationshipClass(Relate(fc, "NO_KEY", Steps()), JoinType::InnerJoin),
                 platform::AutomationError);
    EXPECT_EQ(layer.Joins().size(), 1u);
    EXPECT_EQ(layer.DataRevision(), revision);
}

TEST_F(FeatureLayerTest, KeepsTheVisibleFeaturesUntilWhatItDrawsChanges) {
    const auto first = layer.VisibleFeatures();
    EXPECT_EQ(layer.VisibleFeatures(), first);
    uint64_t revision = layer.DataRevision();

    const auto expect_change = [&](bool changed, const char* what) {
        EXPECT_EQ(layer.DataRevision() != revision, changed) << what;
        revision = layer.DataRevision();
    };
    layer.DefinitionExpression("TIME > 30");
    expect_change(true, "new expression");
    EXPECT_EQ(Visible(layer), (RowIds{3, 4, 5}));
    layer.DefinitionExpression("TIME > 30");
    expect_change(false, "same expression");
    layer.RemoveAllJoins();
    expect_change(false, "no joins to remove");
    layer.DisplayRelationshipClass(Relate(layer.FeatureClass(), "KEY", Steps()), JoinType::InnerJoin);
    expect_change(true, "join");
    layer.FeatureClass(Ships());
    expect_change(true, "new feature class");
    EXPECT_TRUE(layer.Joins().empty());
    EXPECT_EQ(Visible(layer), (RowIds{3, 4, 5}));
    layer.Name("Renamed");
    layer.Visible(false);
    expect_change(false, "name and visibility");
}

// Ships reported as another shape type, for the renderer a layer starts with.
class TestShapes : public TestPoints {
public:
    explicit TestShapes(GeometryType type) : TestPoints(Ships()->Data(), Ships()->Shapes()), type_(type) {}
    GeometryType ShapeType() const override { return type_; }

private:
    GeometryType type_;
};

template <class Symbol>
bool StartsWith(const FeatureLayer& shown) {
    const auto* simple = dynamic_cast<const SimpleRenderer*>(shown.Renderer().get());
    return simple != nullptr && dynamic_cast<const Symbol*>(simple->Symbol.get()) != nullptr;
}

TEST_F(FeatureLayerTest, StartsWithASimpleSymbolThatSuitsItsShapes) {
    EXPECT_TRUE(StartsWith<SimpleMarkerSymbol>(layer));
    EXPECT_TRUE(StartsWith<SimpleMarkerSymbol>(FeatureLayer(std::make_shared<TestShapes>(GeometryType::Multipoint))));
    EXPECT_TRUE(StartsWith<SimpleLineSymbol>(FeatureLayer(std::make_shared<TestShapes>(GeometryType::Polyline))));
    EXPECT_EQ(FeatureLayer().Renderer(), nullptr);
    // New shapes replace a symbol that cannot draw them, but not a renderer chosen for the data.
    layer.FeatureClass(std::make_shared<TestShapes>(GeometryType::Polygon));
    EXPECT_TRUE(StartsWith<SimpleFillSymbol>(layer));
    const auto class_breaks = std::make_shared<ClassBreaksRenderer>();
    layer.Renderer(class_breaks);
    layer.FeatureClass(Ships());
    EXPECT_EQ(layer.Renderer(), class_breaks);
}

TEST_F(FeatureLayerTest, TheDrawRevisionFollowsTheRendererAndTheData) {
    uint64_t data = layer.DataRevision();
    uint64_t draw = layer.DrawRevision();
    const auto expect = [&](bool data_changed, bool draw_grew, const char* what) {
        EXPECT_EQ(layer.DataRevision() != data, data_changed) << what;
        EXPECT_EQ(layer.DrawRevision() > draw, draw_grew) << what;
        data = layer.DataRevision();
        draw = layer.DrawRevision();
    };
    auto renderer = std::make_shared<ClassBreaksRenderer>();
    layer.Renderer(renderer);
    expect(true, true, "new renderer");
    layer.Renderer(renderer);
    expect(false, false, "same renderer");
    for (int32_t i = 1; i <= 5; ++i) {
        renderer->BreakCount(i);
    }
    expect(false, true, "renderer settings");
    // A fresh renderer counts from 0 again; the layer's value must still grow.
    layer.Renderer(std::make_shared<SimpleRenderer>());
    expect(true, true, "fresh renderer");
    layer.DefinitionExpression("TIME > 10");
    expect(true, true, "expression");
}

} // namespace
} // namespace chronova::gis
