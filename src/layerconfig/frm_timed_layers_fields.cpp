// The dialog's field lists: which fields each list offers and proposes, the table list of a geodatabase, and the
// handlers by which the panel's controls enable and fill one another.
#include "layerconfig/frm_timed_layers.h"

#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"
#include "platform/text.h"
#include "records/layer_data.h"

namespace chronova {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using layerconfig::FieldKind;
using platform::ui::CheckBox;

namespace {

constexpr std::string_view kModule = "frmTimedLayers";

// The stored field name when there is one, else the candidate names.
std::string_view StoredOr(const std::string& stored, std::string_view candidates) {
    return stored.empty() ? candidates : std::string_view(stored);
}

// The dataset a layer shows: the layer itself when it is one, else a feature layer's feature class.
std::shared_ptr<gis::IDataset> DatasetOf(const std::shared_ptr<gis::ILayer>& layer) {
    if (auto dataset = std::dynamic_pointer_cast<gis::IDataset>(layer)) {
        return dataset;
    }
    if (auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer)) {
        return feature_layer->FeatureClass();
    }
    return nullptr;
}

} // namespace

void frmTimedLayers::LoadFieldCombo(const std::vector<layerconfig::SourceField>& fields,
                                    platform::ui::ComboBox& cboCombo, std::string_view sNames, FieldKind iKind) {
    const auto choices = layerconfig::ProposeField(fields, sNames, iKind);
    for (const auto& field : choices.Entries) {
        cboCombo.AddItem(field.Name);
        cboCombo.ItemData(cboCombo.ListCount() - 1, layerconfig::ItemDataOf(field));
    }
    if (choices.Proposed >= 0) {
        cboCombo.ListIndex(choices.Proposed);
    }
    cboCombo.Enabled(true);
}

void frmTimedLayers::LoadFieldList(const std::vector<layerconfig::SourceField>& fields, platform::ui::ListBox& lstList,
                                   std::string_view sSelected, FieldKind iKind) {
    const std::string framed = "," + platform::UCase(sSelected) + ",";
    for (const auto& field : fields) {
        if (!layerconfig::OfferedInFieldList(field, iKind)) {
            continue;
        }
        lstList.AddItem(field.Name);
        const int32_t entry = lstList.ListCount() - 1;
        lstList.ItemData(entry, field.Index);
        if (framed.find("," + platform::UCase(field.Name) + ",") != std::string::npos) {
            lstList.Selected(entry, true);
        }
    }
    lstList.Enabled(true);
}

void frmTimedLayers::LoadGDBTableCombo(const std::shared_ptr<gis::ILayer>& pLayer, platform::ui::ComboBox& cboCombo,
                                       std::string_view sSelect, int32_t lDatasetType) {
    const auto dataset = DatasetOf(pLayer);
    const auto workspace = dataset ? dataset->Workspace() : nullptr;
    if (!workspace) {
        return;
    }
    const std::string select = platform::UCase(sSelect);
    for (const auto& name : workspace->DatasetNames(static_cast<gis::DatasetType>(lDatasetType))) {
        cboCombo.AddItem(name);
        if (!name.empty() && select.find(platform::UCase(name)) != std::string::npos) {
            cboCombo.ListIndex(cboCombo.ListCount() - 1);
        }
    }
    cboCombo.Enabled(cboCombo.ListCount() > 0);
}

std::shared_ptr<gis::ILayer> frmTimedLayers::CurrentLayer() const {
    return pCurrentData ? pCurrentData->TheLayer : nullptr;
}

std::vector<layerconfig::SourceField> frmTimedLayers::ChosenTableFields() {
    const auto dataset = DatasetOf(CurrentLayer());
    auto workspace = std::dynamic_pointer_cast<gis::IFeatureWorkspace>(dataset ? dataset->Workspace() : nullptr);
    if (!workspace) {
        platform::RaiseError(platform::error::kObjectNotSet, "The layer's data has no workspace to open tables from.");
    }
    return layerconfig::FieldsOf(*workspace->OpenTable(cboTable.Text()));
}

void frmTimedLayers::cboTable_Click() {
    Trap("cboTable_Click ", kModule, TrapKind::TopLevelLog, [&] {
        if (!optGDBJoined[1].Value() || !std::dynamic_pointer_cast<gis::FeatureLayer>(CurrentLayer())) {
            return;
        }
        const auto fields = ChosenTableFields();
        // Another table may have been chosen before: its fields leave the lists first.
        for (const size_t index : {6, 4, 5, 1, 2}) {
            cboField[index].Clear();
        }
        lstFields.Clear();
        LoadFieldCombo(fields, cboField[6], StoredOr(pCurrentData->TimeStepField, layerconfig::kTimeFieldNames),
                       FieldKind::NumberDateOrText);
        LoadFieldCombo(fields, cboField[4], StoredOr(pCurrentData->PrimaryKeyField, layerconfig::kKeyFieldNames),
                       FieldKind::Number);
        const std::string layer_key = cboField[3].Text();
        LoadFieldCombo(fields, cboField[5], StoredOr(pCurrentData->ForeignKeyField, layer_key), FieldKind::Any);
        LoadFieldList(fields, lstFields, pCurrentData->AdditionalFields, FieldKind::Any);
        const bool custom = pCurrentData->IsTimeLayer;
        LoadFieldCombo(fields, cboField[1], StoredOr(pCurrentData->SpeedField, layerconfig::SpeedFieldNames(custom)),
                       FieldKind::Number);
        LoadFieldCombo(fields, cboField[2],
                       StoredOr(pCurrentData->DirectionField, layerconfig::DirectionFieldNames(custom)),
                       FieldKind::Number);
    });
}

void frmTimedLayers::chkVector_Click() {
    Trap("chkVector_Click ", kModule, TrapKind::TopLevelLog, [&] {
        const bool on = chkVector.Value() == CheckBox::kChecked;
        for (const size_t index : {2, 3}) {
            lblLabel[index].Enabled(on);
        }
        for (const size_t index : {1, 2}) {
            cboField[index].Enabled(on);
            cboField[index].Clear();
        }
        if (!on || !pCurrentData) {
            return;
        }
        std::vector<layerconfig::SourceField> fields;
        if (cboTable.ListIndex() >= 0) {
            if (!std::dynamic_pointer_cast<gis::FeatureLayer>(CurrentLayer())) {
                return;
            }
            fields = ChosenTableFields();
        } else {
            fields = layerconfig::FieldsOfLayer(CurrentLayer());
        }
        const bool custom = pCurrentData->IsTimeLayer;
        LoadFieldCombo(fields, cboField[1], StoredOr(pCurrentData->SpeedField, layerconfig::SpeedFieldNames(custom)),
                       FieldKind::Number);
        LoadFieldCombo(fields, cboField[2],
                       StoredOr(pCurrentData->DirectionField, layerconfig::DirectionFieldNames(custom)),
                       FieldKind::Number);
    });
}

void frmTimedLayers::cboField_Click(int16_t Index) {
    Trap("cboField_Click ", kModule, TrapKind::TopLevelLog, [&] {
        // Only the two date/time lists decide whether previous steps can be shown.
        if (Index != 0 && Index != 6) {
            return;
        }
        const auto& combo = cboField[static_cast<size_t>(Index)];
        if (combo.ListIndex() < 0) {
            return;
        }
        if (combo.ItemData(combo.ListIndex()) == layerconfig::kTextItemData) {
            // A text time field compares as text, so "every step up to this one" cannot be asked of it.
            chkInclude[0].Value(CheckBox::kUnchecked);
            chkInclude[0].Enabled(false);
            chkInclude[1].Enabled(false);
        } else if (pCurrentData && !pCurrentData->IsTimeLayer) {
            chkInclude[1].Enabled(optGDBJoined[1].Value());
            chkInclude[0].Enabled(optGDBJoined[0].Value());
            chkInclude[0].Value(pCurrentData->IncludePreviousSteps ? CheckBox::kChecked : CheckBox::kUnchecked);
        }
    });
}

void frmTimedLayers::optGDBJoined_Click(int16_t Index) {
    Trap("optGDBJoined_Click ", kModule, TrapKind::TopLevelLog, [&] {
        // The two options are one group: selecting one clears the other.
        optGDBJoined[Index == 0 ? 1 : 0].Value(false);
        const bool not_joined = optGDBJoined[0].Value();
        lblLabel[1].Enabled(not_joined);
        cboField[0].Enabled(not_joined);
        for (size_t index = 4; index <= 10; ++index) {
            lblLabel[index].Enabled(!not_joined);
        }
        for (size_t index = 3; index <= 6; ++index) {
            cboField[index].Enabled(!not_joined);
        }
        txtJoinName.Enabled(!not_joined);
        cboTable.Enabled(!not_joined);
        lstFields.Enabled(!not_joined);
    });
}

void frmTimedLayers::chkInclude_Click(int16_t Index) {
    // The copy raises this handler once more, which finds the same value and stops.
    chkInclude[Index == 0 ? 1 : 0].Value(chkInclude[Index == 0 ? 0 : 1].Value());
}

} // namespace chronova
