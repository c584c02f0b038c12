// The dialog's frame and its tree: opening and closing, which layers get a node and how, the working set of
// records, and the tree's events.
#include "layerconfig/frm_timed_layers.h"

#include "gis/interface_ids.h"
#include "gis/layers/layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "gis/uid.h"
#include "host/error_handling.h"
#include "layerconfig/layer_kinds.h"
#include "platform/conversions.h"
#include "platform/text.h"
#include "platform/ui/message_service.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"

#include <unordered_set>

namespace chronova {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::ui::CheckBox;
using platform::ui::TreeNodePtr;
using platform::ui::TreeRelationship;

namespace {

constexpr std::string_view kModule = "frmTimedLayers";
constexpr std::string_view kRootKey = "Temporary";
// Information icon, OK button, top-most.
constexpr auto kInfoStyle = static_cast<platform::ui::MsgBoxStyle>(0x40040);

std::shared_ptr<gis::Map> FocusMapOf(const std::shared_ptr<gis::Application>& app) {
    if (!app || !app->Document()) {
        return nullptr;
    }
    return app->Document()->FocusMap();
}

} // namespace

frmTimedLayers::frmTimedLayers() : Form("Select Map Layers For Timeline") {
    DesignCaptions();
    ConnectControls();
}

frmTimedLayers::~frmTimedLayers() = default;

void frmTimedLayers::DesignCaptions() {
    Window.Move(0, 0, 9600, 7200);
    tv1.Checkboxes(true);
    cmdButton[0].Caption("Done");
    cmdButton[1].Caption("Cancel");
    chkRefresh.Caption("Use Fast Refresh");
    chkCache.Caption("Layer Is Cached");
    lblCache.Caption("Note: For best performance it is recommended that the base layer(s) of the map be cached.");
    Frame1.Caption("Layer Settings");
    constexpr std::array<std::string_view, 11> kLabels{
        "This Layer Is A GeoDatabase Feature Class.",
        "Date/Time Field",
        "Speed Field",
        "Direction Field",
        "Layer Key Field",
        "Table",
        "Table Primary Key Field",
        "Table Key Field",
        "Join Name",
        "Date/Time Field",
        "Additional Fields",
    };
    for (size_t k = 0; k < kLabels.size(); ++k) {
        lblLabel[k].Caption(kLabels[k]);
    }
    chkVector.Caption("Layer Contains Vectors");
    optGDBJoined[0].Caption("Layer Is Not Joined To A Table");
    optGDBJoined[1].Caption("Layer Is Joined To A Table");
    chkInclude[0].Caption("Show Previous Time Steps");
    chkInclude[1].Caption("Show Previous Time Steps");
    fraRaster.Caption("Raster Settings");
    lblStartTimeCap.Caption("Start Time");
    lblInterval.Caption("Interval");
    fldInterval.Range(0, std::numeric_limits<int32_t>::max());
}

void frmTimedLayers::ConnectControls() {
    connections_.emplace_back(tv1.NodeClick.Connect([this](const TreeNodePtr& node) { tv1_NodeClick(node); }));
    connections_.emplace_back(tv1.NodeCheck.Connect([this](const TreeNodePtr& node) { tv1_NodeCheck(node); }));
    connections_.emplace_back(tv1.Collapse.Connect([this](const TreeNodePtr& node) { tv1_Collapse(node); }));
    for (int16_t k = 0; k < 2; ++k) {
        const auto index = static_cast<size_t>(k);
        connections_.emplace_back(cmdButton[index].Click.Connect([this, k] { cmdButton_Click(k); }));
        connections_.emplace_back(optGDBJoined[index].Click.Connect([this, k] { optGDBJoined_Click(k); }));
        connections_.emplace_back(chkInclude[index].Click.Connect([this, k] { chkInclude_Click(k); }));
    }
    for (int16_t k = 0; k < static_cast<int16_t>(cboField.size()); ++k) {
        connections_.emplace_back(cboField[static_cast<size_t>(k)].Click.Connect([this, k] { cboField_Click(k); }));
    }
    connections_.emplace_back(cboTable.Click.Connect([this] { cboTable_Click(); }));
    connections_.emplace_back(chkVector.Click.Connect([this] { chkVector_Click(); }));
    connections_.emplace_back(lblTime.Click.Connect([this] { lblTime_Click(); }));
}

// ---- Opening and closing ----

void frmTimedLayers::Form_Load() {
    Trap("Form_Load ", kModule, TrapKind::TopLevelLog, [&] {
        // Messages shown while the dialog is open belong to it.
        lPrevOwner = g_hWndOwner;
        g_hWndOwner = hWnd();
        lCachedCount = 0;
        Window.CenterOnScreen();
        Window.OwnerWindow(g_pApp ? g_pApp->hWnd() : 0);
        cmbInterval.Clear();
        cmbInterval.AddItem("Days");
        cmbInterval.AddItem("Hours");
        cmbInterval.AddItem("Minutes");
        pLayerList = std::make_shared<LayerDataCollection>();
        ClearControls();
        chkRefresh.Value(g_bFastRefresh ? CheckBox::kChecked : CheckBox::kUnchecked);
        LoadLayerTree(nullptr, "");
        CopyRegisteredRecords();
    });
}

// The registered records come in as copies, checked in the tree and without the unconfigured mark. A record
// whose layer left the map is dropped, and a second record of one layer is skipped: the working set holds one
// record per layer.
void frmTimedLayers::CopyRegisteredRecords() {
    if (!g_Layers || g_Layers->Count() == 0) {
        return;
    }
    for (const auto& registered : g_Layers->NewEnum()) {
        auto copy = CopyLayerDataNode(registered);
        if (!copy) {
            continue;
        }
        if (copy->IsVectorized) {
            // The layer carries the registry's vector symbology; registering it again starts from a plain one.
            copy->sqlWhere = "V";
        }
        if (!copy->TheLayer || !LayerInFocusMap(copy->TheLayer)) {
            continue;
        }
        const std::string id = layerconfig::LayerIdentityText(*copy->TheLayer);
        if (pLayerList->Item(id)) {
            continue;
        }
        pLayerList->Add(copy, id);
        if (auto node = tv1.Nodes().Find("L" + id)) {
            if (platform::Right(node->Text(), 1) == "*") {
                node->Text(platform::Left(node->Text(), static_cast<long>(node->Text().size()) - 1));
            }
            node->Checked(true);
        }
    }
}

void frmTimedLayers::Form_Unload() {
    pLayerList.reset();
    pCurrentData.reset();
    sCurrentKey.clear();
    g_hWndOwner = lPrevOwner;
}

void frmTimedLayers::cmdButton_Click(int16_t Index) {
    Trap("cmdButton_Click ", kModule, TrapKind::TopLevelLog, [&] {
        if (Index == 0) {
            if (ApplyLayers()) {
                Unload();
            }
        } else {
            // Cancel: the working set is dropped with the dialog.
            Unload();
        }
    });
}

// ---- The tree ----

void frmTimedLayers::LoadLayerTree(const std::shared_ptr<gis::ILayer>& pGroupLayer, const std::string& sParentKey) {
    if (!g_pApp) {
        return;
    }
    std::string relative_key;
    auto relationship = static_cast<int16_t>(TreeRelationship::Child);
    if (auto group = std::dynamic_pointer_cast<gis::ICompositeLayer>(pGroupLayer)) {
        relative_key = sParentKey;
        for (int32_t index = 0; index < group->Count(); ++index) {
            AddLayerNode(group->Layer(index), relative_key, relationship);
        }
        return;
    }
    const auto map = FocusMapOf(g_pApp);
    if (!map) {
        return;
    }
    // The top-level layers go after a temporary root, which then leaves: they stay as roots in map order.
    tv1.Nodes().Clear();
    tv1.Nodes().Add(std::string_view{}, TreeRelationship::Last, kRootKey, "Layers");
    relative_key = kRootKey;
    relationship = static_cast<int16_t>(TreeRelationship::Next);
    for (int32_t index = 0; index < map->LayerCount(); ++index) {
        AddLayerNode(map->Layer(index), relative_key, relationship);
    }
    tv1.Nodes().Remove(kRootKey);
}

void frmTimedLayers::AddLayerNode(const std::shared_ptr<gis::ILayer>& pLayer, std::string& sRelativeKey,
                                  int16_t& iRelationship) {
    if (!pLayer) {
        return;
    }
    const auto kind = layerconfig::ClassifyCandidate(*pLayer);
    if (kind == layerconfig::CandidateKind::None) {
        return;
    }
    const std::string key = layerconfig::LayerNodeKey(*pLayer);
    const auto relationship = static_cast<TreeRelationship>(iRelationship);
    if (kind == layerconfig::CandidateKind::Group) {
        auto node = tv1.Nodes().Add(sRelativeKey, relationship, key, pLayer->Name());
        node->Expanded(true);
        sRelativeKey = key;
        iRelationship = static_cast<int16_t>(TreeRelationship::Next);
        LoadLayerTree(pLayer, key);
        return;
    }
    if (pLayer->Cached()) {
        ++lCachedCount;
    }
    const std::string text = pLayer->Name() + (layerconfig::StartsUnconfigured(kind) ? "*" : "");
    auto node = tv1.Nodes().Add(sRelativeKey, relationship, key, text);
    node->Expanded(true);
    sRelativeKey = key;
    iRelationship = static_cast<int16_t>(TreeRelationship::Next);
}

bool frmTimedLayers::LayerInFocusMap(const std::shared_ptr<gis::ILayer>& pLayer) {
    const auto map = pLayer ? FocusMapOf(g_pApp) : nullptr;
    if (!map) {
        return false;
    }
    // A geo-feature layer is looked for among the geo-feature layers only, as the host enumerates by interface.
    const bool geo_feature = gis::SupportsInterface(*pLayer, gis::UID(gis::iid::kGeoFeatureLayer));
    const gis::UID filter(geo_feature ? gis::iid::kGeoFeatureLayer : gis::iid::kLayer);
    for (const auto& layer : map->Layers(geo_feature ? &filter : nullptr, true)) {
        if (layer == pLayer) {
            return true;
        }
    }
    return false;
}

std::shared_ptr<gis::ILayer> frmTimedLayers::FindLayerById(int32_t lLayerId) {
    const auto map = FocusMapOf(g_pApp);
    if (!map) {
        return nullptr;
    }
    for (const auto& layer : map->Layers(nullptr, true)) {
        if (layerconfig::LayerIdentity(*layer) == lLayerId) {
            return layer;
        }
    }
    return nullptr;
}

std::shared_ptr<LayerData> frmTimedLayers::CreateLayerData(int32_t lLayerId) {
    std::shared_ptr<LayerData> record;
    Trap("CreateLayerData ", kModule, TrapKind::TopLevelLog, [&] {
        auto layer = FindLayerById(lLayerId);
        if (!layer) {
            return;
        }
        auto fresh = std::make_shared<LayerData>();
        fresh->TheLayer = layer;
        layerconfig::ClassifyRecord(*fresh, layer);
        fresh->JoinName = "Join_" + layer->Name();
        fresh->IsCached = layer->Cached();
        pLayerList->Add(fresh, std::to_string(lLayerId));
        record = std::move(fresh);
    });
    return record;
}

void frmTimedLayers::ClearControls() {
    for (auto& combo : cboField) {
        combo.Clear();
        combo.Enabled(false);
    }
    cboTable.Clear();
    cboTable.Enabled(false);
    lstFields.Clear();
    lstFields.Enabled(false);
    txtJoinName.Text("");
    txtJoinName.Enabled(false);
    lblLabel[0].Caption("No Layer Selected.");
    for (auto& option : optGDBJoined) {
        option.Value(false);
        option.Enabled(false);
    }
    chkVector.Value(CheckBox::kUnchecked);
    chkVector.Enabled(false);
    chkInclude[0].Value(CheckBox::kUnchecked);
    chkInclude[0].Enabled(false);
    chkInclude[1].Enabled(false);
    chkCache.Value(CheckBox::kUnchecked);
    chkRefresh.Enabled(lCachedCount >= 1);
}

// ---- Tree events ----

// The selected node is shown, which is the clicked one: a click selects before it is raised.
void frmTimedLayers::tv1_NodeClick(const TreeNodePtr& /*Node*/) {
    Trap("tv1_NodeClick ", kModule, TrapKind::TopLevelLog, [&] {
        SaveLayerData(pCurrentData);
        ClearControls();
        const auto selected = tv1.SelectedItem();
        std::shared_ptr<gis::ILayer> layer;
        int32_t layer_id = 0;
        if (selected) {
            layer_id = platform::CLng(platform::Variant(platform::Mid(selected->Key(), 2)));
            layer = FindLayerById(layer_id);
        }
        const bool composite = selected && selected->Children() > 0 && !(layer && layerconfig::IsWmsLayer(*layer));
        if (!selected || composite) {
            pCurrentData.reset();
            sCurrentKey.clear();
            if (composite) {
                lblLabel[0].Caption("This Is A Composite Layer.");
            }
            return;
        }
        auto record = pLayerList->Item(platform::Mid(selected->Key(), 2));
        if (!record) {
            record = CreateLayerData(layer_id);
        }
        if (!record) {
            platform::ui::MsgBox("Unable To Access Layer Data.", kInfoStyle, "Layer Data Error");
        }
        pCurrentData = record;
        sCurrentKey = selected->Key();
        LoadLayerData(pCurrentData);
    });
}

void frmTimedLayers::tv1_NodeCheck(const TreeNodePtr& Node) {
    Trap("tv1_NodeCheck ", kModule, TrapKind::TopLevelLog, [&] {
        // Only the direct children follow: a check set in code raises no NodeCheck, so grandchildren keep theirs.
        for (auto child = Node->Child(); child; child = child->Next()) {
            child->Checked(Node->Checked());
        }
        tv1.SelectedItem(Node);
        tv1.Refresh();
    });
    tv1_NodeClick(Node);
}

void frmTimedLayers::tv1_Collapse(const TreeNodePtr& Node) {
    // The tree always shows every layer.
    Trap("tv1_Collapse ", kModule, TrapKind::TopLevelLog, [&] { Node->Expanded(true); });
}

} // namespace chronova
