// The dialog's tree: which layers of the focus map get a node, how nodes are named, marked, keyed and checked,
// and what a click on a node shows.
#include "dialog_fixture.h"

#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "host/error_handling.h"
#include "timeapply/test_layers.h"

namespace chronova::testing {
namespace {

using platform::ui::CheckBox;

std::shared_ptr<gis::FeatureLayer> Shapefile(const std::string& name) {
    auto layer = TimeTable({"3/1/2008 6:00", "3/1/2008 7:00"}, "Shapefile Feature Class").layer;
    layer->Name(name);
    return layer;
}

std::shared_ptr<gis::RasterLayer> Raster(const std::string& name) {
    return std::make_shared<gis::RasterLayer>(std::make_shared<BandNumberRaster>(3), name);
}

// Every node as "text" nested by indentation, with [x] for a checked node, in tree order.
std::string Outline(const platform::ui::TreeView& tree) {
    std::string text;
    const auto walk = [&](auto&& self, const platform::ui::TreeNodePtr& first, int depth) -> void {
        for (auto node = first; node; node = node->Next()) {
            text += std::string(static_cast<size_t>(depth) * 2, ' ') + (node->Checked() ? "[x] " : "") + node->Text() +
                    (node->Expanded() ? "" : " (collapsed)") + "\n";
            self(self, node->Child(), depth + 1);
        }
    };
    if (tree.Nodes().Count() > 0) {
        walk(walk, tree.Nodes().Item(1)->Root()->FirstSibling(), 0);
    }
    return text;
}

TEST_F(DialogTest, OpensWithItsCaptionAnEmptyPanelAndNoTreeForAnEmptyMap) {
    auto& dialog = Open();
    EXPECT_EQ(dialog.Caption(), "Select Map Layers For Timeline");
    EXPECT_EQ(dialog.tv1.Nodes().Count(), 0);
    EXPECT_FALSE(dialog.tv1.Nodes().Find("Temporary"));
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "No Layer Selected.");
    EXPECT_EQ(Entries(dialog.cmbInterval), (std::vector<std::string>{"Days", "Hours", "Minutes"}));
    EXPECT_FALSE(dialog.chkRefresh.Enabled());
    EXPECT_EQ(g_hWndOwner, dialog.hWnd());
    EXPECT_EQ(dialog.Window.OwnerWindow(), g_pApp->hWnd());
    EXPECT_EQ(dialog.Window.Left() * 2 + dialog.Window.Width(), platform::ui::DialogScreen().width);
    dialog.cmdButton[1].Press();
    EXPECT_FALSE(dialog.Loaded());
    EXPECT_NE(g_hWndOwner, dialog.hWnd());
}

TEST_F(DialogTest, TreeNestsGroupsMarksUnconfiguredLeavesAndLeavesOutWhatCannotCarryTime) {
    auto group = std::make_shared<gis::GroupLayer>("Fleet");
    auto inner = std::make_shared<gis::GroupLayer>("Buoys");
    inner->Add(Shapefile("Drifters"));
    group->Add(Shapefile("Ships"));
    group->Add(inner);
    auto unsupported = std::make_shared<gis::GroupLayer>("Basemap");
    unsupported->Add(TimeTable({"3/1/2008"}, "Coverage Feature Class").layer); // another kind of data
    FocusMap().AddLayerAt(group, 0);
    FocusMap().AddLayerAt(Raster("Rain"), 1);
    FocusMap().AddLayerAt(unsupported, 2);
    FocusMap().AddLayerAt(std::make_shared<CustomTimeLayer>("Wind", std::vector<std::pair<std::string, int16_t>>{}), 3);
    FocusMap().AddLayerAt(std::make_shared<gis::WmsMapLayer>("https://wms.example.org", "Radar"), 4);

    auto& dialog = Open();
    EXPECT_EQ(Outline(dialog.tv1), "Fleet\n"
                                   "  Ships*\n"
                                   "  Buoys\n"
                                   "    Drifters*\n"
                                   "Rain\n"
                                   "Basemap\n"
                                   "Wind*\n"
                                   "Radar\n");
    // Nodes stay open: collapsing one opens it again.
    auto fleet = Node(*group);
    dialog.tv1.UserExpand(fleet, false);
    EXPECT_TRUE(fleet->Expanded());
}

TEST_F(DialogTest, LayersOfTheSameNameGetTheirOwnNodesAndRecords) {
    auto first = Shapefile("Tracks");
    auto second = Shapefile("Tracks");
    FocusMap().AddLayer(first);
    FocusMap().AddLayer(second);
    auto& dialog = Open();
    ASSERT_NE(Node(*first), nullptr);
    ASSERT_NE(Node(*second), nullptr);
    EXPECT_NE(Node(*first)->Key(), Node(*second)->Key());
    Click(*first);
    Click(*second);
    EXPECT_EQ(dialog.LayerList()->Count(), 2);
    EXPECT_EQ(dialog.CurrentData()->TheLayer, second);
}

TEST_F(DialogTest, CheckingAGroupChecksItsDirectChildrenOnlyAndShowsTheCompositeMessage) {
    auto group = std::make_shared<gis::GroupLayer>("Fleet");
    auto inner = std::make_shared<gis::GroupLayer>("Buoys");
    auto drifters = Shapefile("Drifters");
    auto ships = Shapefile("Ships");
    inner->Add(drifters);
    group->Add(ships);
    group->Add(inner);
    FocusMap().AddLayer(group);
    auto& dialog = Open();

    Check(*group);
    EXPECT_TRUE(Node(*ships)->Checked());
    EXPECT_TRUE(Node(*inner)->Checked());
    EXPECT_FALSE(Node(*drifters)->Checked());
    EXPECT_EQ(dialog.tv1.SelectedItem(), Node(*group));
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "This Is A Composite Layer.");
    EXPECT_EQ(dialog.CurrentData(), nullptr);
    EXPECT_EQ(dialog.CurrentKey(), "");
}

TEST_F(DialogTest, AClickedLayerGetsARecordOfItsKindOnceAndThePanelOfThatKind) {
    auto ships = Shapefile("Ships");
    auto rain = Raster("Rain");
    auto wind = std::make_shared<CustomTimeLayer>("Wind", std::vector<std::pair<std::string, int16_t>>{{"TIME", 7}});
    wind->show_previous = true;
    auto radar = std::make_shared<gis::WmsMapLayer>("https://wms.example.org", "Radar");
    const JoinData join = StationsWithObservations(); // keeps the workspace alive
    auto stations = join.layer;
    stations->DataSourceType("Personal Geodatabase Feature Class");
    for (const std::shared_ptr<gis::ILayer>& layer :
         std::vector<std::shared_ptr<gis::ILayer>>{ships, rain, wind, radar, stations}) {
        FocusMap().AddLayerAt(layer, FocusMap().LayerCount());
    }
    auto& dialog = Open();

    Click(*ships);
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "This Is A Shape File.");
    EXPECT_TRUE(dialog.CurrentData()->IsShapefile);
    EXPECT_EQ(dialog.CurrentData()->JoinName, "Join_Ships");
    EXPECT_TRUE(dialog.optGDBJoined[0].Value());
    EXPECT_FALSE(dialog.optGDBJoined[1].Enabled());
    EXPECT_TRUE(dialog.Frame1.Visible());
    EXPECT_FALSE(dialog.fraRaster.Visible());

    Click(*rain);
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "This Is A Raster Layer.");
    EXPECT_TRUE(dialog.CurrentData()->IsRasterLayer);
    EXPECT_FALSE(dialog.Frame1.Visible());
    EXPECT_TRUE(dialog.fraRaster.Visible());
    EXPECT_FALSE(dialog.optGDBJoined[0].Enabled());

    Click(*wind);
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "This Is A Custom File.");
    EXPECT_EQ(dialog.lblLabel[2].Caption(), "U/Speed Field");
    EXPECT_TRUE(dialog.CurrentData()->IsTimeLayer);
    EXPECT_TRUE(dialog.CurrentData()->ShowPrevious);
    EXPECT_TRUE(dialog.chkInclude[0].Enabled());

    Click(*radar);
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "This Is A WMS Layer");
    EXPECT_TRUE(dialog.CurrentData()->IsWMSLayer);

    Click(*stations);
    EXPECT_EQ(dialog.lblLabel[0].Caption(), "This Is A GeoDatabase Feature Class.");
    EXPECT_FALSE(dialog.CurrentData()->IncludesTimeSteps); // no time-like field of its own
    EXPECT_TRUE(dialog.optGDBJoined[1].Value());
    EXPECT_TRUE(dialog.cboTable.Enabled());
    EXPECT_TRUE(dialog.txtJoinName.Enabled());

    Click(*ships); // the record made at the first click is shown again, not a new one
    EXPECT_EQ(dialog.LayerList()->Count(), 5);
}

TEST_F(DialogTest, ALayerThatLeftTheMapCannotBeShownAndSaysSo) {
    auto ships = Shapefile("Ships");
    FocusMap().AddLayer(ships);
    auto& dialog = Open();
    auto node = Node(*ships);
    FocusMap().DeleteLayer(ships);
    dialog.tv1.UserClick(node);
    EXPECT_EQ(dialog.CurrentData(), nullptr);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Layer Data Error: Unable To Access Layer Data."}));
    EXPECT_EQ(messages_.MessageBoxes()[0].style, static_cast<platform::ui::MsgBoxStyle>(0x40040));
}

TEST_F(DialogTest, FastRefreshIsOfferedOnlyWithACachedLayerInTheTree) {
    auto ships = Shapefile("Ships");
    auto coast = Shapefile("Coast");
    FocusMap().AddLayer(ships);
    FocusMap().AddLayer(coast);
    {
        auto& dialog = Open();
        Click(*ships);
        EXPECT_FALSE(dialog.chkRefresh.Enabled());
        dialog.Unload();
    }
    coast->Cached(true);
    auto& dialog = Open();
    EXPECT_EQ(dialog.CachedCount(), 1);
    Click(*ships);
    EXPECT_TRUE(dialog.chkRefresh.Enabled());
    EXPECT_EQ(dialog.chkCache.Value(), CheckBox::kUnchecked);
    Click(*coast);
    EXPECT_EQ(dialog.chkCache.Value(), CheckBox::kChecked);
}

} // namespace
} // namespace chronova::testing
