#pragma once

#include "layerconfig/field_detection.h"
#include "platform/event.h"
#include "platform/ui/check_box.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/list_box.h"
#include "platform/ui/number_box.h"
#include "platform/ui/option_button.h"
#include "platform/ui/text_box.h"
#include "platform/ui/tree_view.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace chronova {

class LayerData;
class LayerDataCollection;

namespace gis {
class ILayer;
} // namespace gis

/// The layer configuration dialog: a tree of the focus map's layers that can carry time, each with a check box,
/// and an editing panel for the selected layer's time settings. It edits copies of the time layer records and
/// hands them to the registry only when the user presses "Done"; "Cancel" or closing the window changes nothing.
/// The form is headless; the desktop window shows its controls through widgets.
class frmTimedLayers : public platform::ui::Form {
public:
    frmTimedLayers();
    frmTimedLayers(const frmTimedLayers&) = delete;
    frmTimedLayers& operator=(const frmTimedLayers&) = delete;
    ~frmTimedLayers() override;

    /// The dialog's place on the screen and its owner, the host's main window.
    platform::ui::DialogWindow Window;

    // Controls, named as the form names them.
    platform::ui::TreeView tv1;
    /// "Done" (0) and "Cancel" (1).
    std::array<platform::ui::CommandButton, 2> cmdButton;
    platform::ui::CheckBox chkRefresh;
    platform::ui::CheckBox chkCache;
    platform::ui::Label lblCache;
    platform::ui::Frame Frame1;
    /// 0 is the panel's status line; 1 to 10 caption the field controls below.
    std::array<platform::ui::Label, 11> lblLabel;
    /// Layer time field (0), speed (1), direction (2), layer key (3), table primary key (4), table key (5) and
    /// table time field (6).
    std::array<platform::ui::ComboBox, 7> cboField;
    platform::ui::CheckBox chkVector;
    /// "Layer Is Not Joined To A Table" (0) and "Layer Is Joined To A Table" (1).
    std::array<platform::ui::OptionButton, 2> optGDBJoined;
    platform::ui::ComboBox cboTable;
    platform::ui::TextBox txtJoinName;
    platform::ui::ListBox lstFields;
    /// Two "Show Previous Time Steps" boxes, one per join option, that always agree.
    std::array<platform::ui::CheckBox, 2> chkInclude;
    platform::ui::Frame fraRaster;
    platform::ui::Label lblStartTimeCap;
    /// The raster start time as text; clicking it opens the date-time picker.
    platform::ui::Label lblTime;
    platform::ui::Label lblInterval;
    platform::ui::NumberBox fldInterval;
    platform::ui::ComboBox cmbInterval;

    // The tree (layer tree and classification).
    /// Adds the children of a group layer below the node with the parent key, or the focus map's layers as root
    /// nodes when no group is given.
    void LoadLayerTree(const std::shared_ptr<gis::ILayer>& pGroupLayer, const std::string& sParentKey);
    /// Adds one layer (a group with its subtree) relative to the node with sRelativeKey. When a node was added,
    /// sRelativeKey becomes its key and iRelationship "next", so the following layer lands after it.
    void AddLayerNode(const std::shared_ptr<gis::ILayer>& pLayer, std::string& sRelativeKey, int16_t& iRelationship);
    /// Whether the layer object is still somewhere in the focus map.
    bool LayerInFocusMap(const std::shared_ptr<gis::ILayer>& pLayer);
    /// The focus map's layer (group layers included) with the identity number, or null.
    std::shared_ptr<gis::ILayer> FindLayerById(int32_t lLayerId);
    /// Makes, classifies and keeps a fresh record for the layer with the identity number; null when the layer
    /// is gone.
    std::shared_ptr<LayerData> CreateLayerData(int32_t lLayerId);
    /// Resets the editing panel.
    void ClearControls();

    // Tree events.
    void tv1_NodeClick(const platform::ui::TreeNodePtr& Node);
    void tv1_NodeCheck(const platform::ui::TreeNodePtr& Node);
    void tv1_Collapse(const platform::ui::TreeNodePtr& Node);
    void cmdButton_Click(int16_t Index);

    // Field lists (field detection).
    /// Adds the fields of the kind, proposes one for the names text and enables the list; the caller cleared it.
    void LoadFieldCombo(const std::vector<layerconfig::SourceField>& fields, platform::ui::ComboBox& cboCombo,
                        std::string_view sNames, layerconfig::FieldKind iKind);
    /// Adds the fields of the kind and selects those named, as whole items, in the comma-separated text.
    void LoadFieldList(const std::vector<layerconfig::SourceField>& fields, platform::ui::ListBox& lstList,
                       std::string_view sSelected, layerconfig::FieldKind iKind);
    /// Adds the names of the layer's workspace datasets of the type and selects the one named.
    void LoadGDBTableCombo(const std::shared_ptr<gis::ILayer>& pLayer, platform::ui::ComboBox& cboCombo,
                           std::string_view sSelect, int32_t lDatasetType);
    void cboField_Click(int16_t Index);
    void cboTable_Click();
    void chkVector_Click();
    void optGDBJoined_Click(int16_t Index);
    void chkInclude_Click(int16_t Index);

    // The panel and the hand-over to the registry (settings editing and apply).
    /// Shows a record in the panel; nothing for null.
    void LoadLayerData(const std::shared_ptr<LayerData>& pLayerData);
    /// Stores the panel into a record and marks its node complete or incomplete; nothing for null.
    void SaveLayerData(const std::shared_ptr<LayerData>& pLayerData);
    /// A new record with the record's settings (not its steps, times or query state).
    std::shared_ptr<LayerData> CopyLayerDataNode(const std::shared_ptr<LayerData>& pLayerData);
    /// Removes from the registry every registered layer whose dialog record is missing or differs, and drops the
    /// dialog's records that equal their registration.
    void ClearLayerData();
    /// Checks the tree and registers the checked layers; true when the dialog may close.
    bool ApplyLayers();
    /// Lets the user pick the raster start time.
    void lblTime_Click();
    /// An interval in seconds: "d" days, "h" hours, anything else minutes.
    static double IntervalSeconds(double dValue, std::string_view sUnits);

    // The dialog's state, readable for the desktop window and tests.
    const std::shared_ptr<LayerDataCollection>& LayerList() const noexcept { return pLayerList; }
    const std::shared_ptr<LayerData>& CurrentData() const noexcept { return pCurrentData; }
    const std::string& CurrentKey() const noexcept { return sCurrentKey; }
    int32_t CachedCount() const noexcept { return lCachedCount; }

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void ConnectControls();
    void DesignCaptions();
    void CopyRegisteredRecords();
    void SelectJoinOption(int16_t Index);
    std::shared_ptr<gis::ILayer> CurrentLayer() const;
    /// The fields of the table chosen in cboTable, opened from the current layer's workspace.
    std::vector<layerconfig::SourceField> ChosenTableFields();
    void LoadRasterPanel(LayerData& record);
    void LoadFieldPanel(LayerData& record);
    /// Adds or removes the unconfigured mark of the node shown in the panel.
    void SaveNodeMark(bool complete);

    std::shared_ptr<LayerDataCollection> pLayerList;
    std::shared_ptr<LayerData> pCurrentData;
    std::string sCurrentKey;
    int32_t lCachedCount = 0;
    int32_t lPrevOwner = 0;
    std::vector<platform::ScopedConnection> connections_;
};

} // namespace chronova
