// The editing panel for one record and the hand-over of the working set to the registry on "Done".
#include "layerconfig/frm_timed_layers.h"

#include "datetime/mod_date_time.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "host/error_handling.h"
#include "layerconfig/layer_kinds.h"
#include "platform/conversions.h"
#include "platform/text.h"
#include "platform/ui/message_service.h"
#include "platform/ui/screen.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"
#include "timeapply/raster_side_files.h"

namespace chronova {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using layerconfig::FieldKind;
using platform::ui::CheckBox;

namespace {

constexpr std::string_view kModule = "frmTimedLayers";
// Information icon, OK button, top-most.
constexpr auto kInfoStyle = static_cast<platform::ui::MsgBoxStyle>(0x40040);
constexpr std::array<std::string_view, 3> kIntervalUnits{"d", "h", "n"};

std::string_view StoredOr(const std::string& stored, std::string_view candidates) {
    return stored.empty() ? candidates : std::string_view(stored);
}

bool EndsInMark(const std::string& text) {
    return !text.empty() && text.back() == '*';
}

// The raster's file with another extension: where its side files live.
std::string SideFile(const LayerData& record, std::string_view extension) {
    const auto raster = std::dynamic_pointer_cast<gis::RasterLayer>(record.TheLayer);
    std::string path = raster ? raster->FilePath() : record.Path;
    if (path.empty()) {
        return {};
    }
    modLayers::ChangeExtension(path, extension);
    return path;
}

// Takes the start, interval and unit from the raster's settings side file, when it has one.
void ReadRasterSideSettings(LayerData& record) {
    const std::string path = SideFile(record, "ini");
    if (path.empty()) {
        return;
    }
    if (const auto settings = ReadRasterSettings(path)) {
        record.RasterStartTime = settings->StartTime;
        record.RasterInterval = settings->Interval;
        record.RasterIntervalUnits = settings->IntervalUnits;
    }
}

bool HasRasterStepList(const LayerData& record) {
    const std::string path = SideFile(record, "xml");
    if (path.empty()) {
        return false;
    }
    return ReadRasterStepList(path).has_value();
}

void ShowDataError(std::string_view text, const std::shared_ptr<gis::ILayer>& layer) {
    platform::ui::MsgBox(std::string(text) + (layer ? layer->Name() : std::string()), kInfoStyle, "Data Error");
}

// Shows the hourglass while the registry works, and the normal pointer again however the work ends.
class HourglassPointer {
public:
    HourglassPointer() {
        platform::ui::TheScreen().MousePointer(static_cast<int32_t>(platform::ui::MousePointerShape::Hourglass));
    }
    ~HourglassPointer() {
        platform::ui::TheScreen().MousePointer(static_cast<int32_t>(platform::ui::MousePointerShape::Default));
    }
    HourglassPointer(const HourglassPointer&) = delete;
    HourglassPointer& operator=(const HourglassPointer&) = delete;
};

} // namespace

// ---- Showing a record ----

void frmTimedLayers::LoadLayerData(const std::shared_ptr<LayerData>& pLayerData) {
    if (!pLayerData) {
        return;
    }
    Trap("LoadLayerData ", kModule, TrapKind::TopLevelLog, [&] {
        LayerData& record = *pLayerData;
        struct Panel {
            std::string_view status;
            std::string_view speed;
            std::string_view direction;
            bool options_enabled;
            bool raster;
        };
        Panel panel{"This Is A GeoDatabase Feature Class.", "Speed Field", "Direction Field", true, false};
        if (record.IsShapefile) {
            panel = {"This Is A Shape File.", "Speed Field", "Direction Field", true, false};
        } else if (record.IsTimeLayer) {
            panel = {"This Is A Custom File.", "U/Speed Field", "V/Direction Field", true, false};
        } else if (record.IsRasterLayer) {
            panel = {"This Is A Raster Layer.", "", "", false, true};
        } else if (record.IsWMSLayer) {
            panel = {"This Is A WMS Layer", "", "", false, false};
        }
        lblLabel[0].Caption(panel.status);
        lblLabel[2].Caption(panel.speed);
        lblLabel[3].Caption(panel.direction);
        Frame1.Visible(!panel.raster);
        fraRaster.Visible(panel.raster);
        const bool geodatabase =
            !record.IsShapefile && !record.IsTimeLayer && !record.IsRasterLayer && !record.IsWMSLayer;
        optGDBJoined[0].Enabled(panel.options_enabled);
        optGDBJoined[1].Enabled(geodatabase);
        if (panel.options_enabled) {
            // Selecting an option enables its group of controls.
            const bool joined = geodatabase && !record.IncludesTimeSteps;
            optGDBJoined[joined ? 1 : 0].Value(true);
        }

        if (record.IsRasterLayer) {
            LoadRasterPanel(record);
        } else {
            LoadFieldPanel(record);
        }
        chkCache.Value(record.IsCached ? CheckBox::kChecked : CheckBox::kUnchecked);
    });
}

void frmTimedLayers::LoadRasterPanel(LayerData& record) {
    ReadRasterSideSettings(record);
    // A step list beside the raster gives the band times (or refuses them with its own message): nothing to set.
    fraRaster.Visible(!HasRasterStepList(record));
    lblTime.Caption(modDateTime::MinutesToText(record.RasterStartTime));
    fldInterval.Value(record.RasterInterval);
    int32_t unit = 2;
    for (size_t k = 0; k < kIntervalUnits.size(); ++k) {
        if (record.RasterIntervalUnits == kIntervalUnits[k]) {
            unit = static_cast<int32_t>(k);
        }
    }
    cmbInterval.ListIndex(unit);
}

void frmTimedLayers::LoadFieldPanel(LayerData& record) {
    const auto& layer = record.TheLayer;
    if (optGDBJoined[0].Value()) {
        LoadFieldCombo(layerconfig::FieldsOfLayer(layer), cboField[0],
                       StoredOr(record.TimeStepField, layerconfig::kTimeFieldNames), FieldKind::NumberDateOrText);
    } else if (optGDBJoined[1].Value()) {
        txtJoinName.Text(record.JoinName);
        const auto fields = layerconfig::FieldsOfLayer(layer);
        LoadFieldCombo(fields, cboField[0], StoredOr(record.TimeStepField, layerconfig::kTimeFieldNames),
                       FieldKind::NumberDateOrText);
        LoadFieldCombo(fields, cboField[3], record.HostKeyField, FieldKind::Any);
        // Selecting the stored table fills the table's lists.
        LoadGDBTableCombo(layer, cboTable, record.JoinTable, static_cast<int32_t>(gis::DatasetType::Table));
    }

    const auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer);
    const auto time_layer = std::dynamic_pointer_cast<ITimeLayer>(layer);
    bool vectors_possible = false;
    if (feature_layer) {
        const auto& feature_class = feature_layer->FeatureClass();
        vectors_possible = feature_class && (feature_class->ShapeType() == gis::GeometryType::Point ||
                                             feature_class->ShapeType() == gis::GeometryType::Multipoint);
        if (vectors_possible) {
            chkVector.Enabled(true);
            chkVector.Value(record.IsVectorized ? CheckBox::kChecked : CheckBox::kUnchecked);
        }
    } else if (time_layer) {
        vectors_possible = true;
        chkVector.Enabled(true);
        bool vectorized = record.IsVectorized;
        if (time_layer->ForceVectors()) {
            // The layer names its own speed and direction fields.
            time_layer->VectorFields(record.SpeedField, record.DirectionField);
            vectorized = true;
        }
        chkVector.Value(vectorized ? CheckBox::kChecked : CheckBox::kUnchecked);
    }
    if (!vectors_possible) {
        chkVector.Value(CheckBox::kUnchecked);
        chkVector.Enabled(false);
    }
    cboField[1].Enabled(vectors_possible);
    cboField[2].Enabled(vectors_possible);

    if (record.IsTimeLayer) {
        chkInclude[0].Enabled(record.ShowPrevious);
        if (record.ShowPrevious) {
            chkInclude[0].Value(record.IncludePreviousSteps ? CheckBox::kChecked : CheckBox::kUnchecked);
        }
    }
}

// ---- Storing the panel ----

void frmTimedLayers::SaveLayerData(const std::shared_ptr<LayerData>& pLayerData) {
    if (!pLayerData) {
        return;
    }
    Trap("SaveLayerData ", kModule, TrapKind::TopLevelLog, [&] {
        LayerData& record = *pLayerData;
        bool complete = true;
        if (record.IsRasterLayer) {
            record.TimeStepField.clear();
            record.IncludesTimeSteps = false;
            record.RasterStartTime = modDateTime::TextToMinutes(lblTime.Caption());
            record.RasterInterval = fldInterval.Value();
            const int32_t unit = cmbInterval.ListIndex();
            if (unit >= 0 && unit < static_cast<int32_t>(kIntervalUnits.size())) {
                record.RasterIntervalUnits = kIntervalUnits[static_cast<size_t>(unit)];
            }
        } else if (record.IsTimeLayer || record.IsShapefile) {
            record.TimeStepField = cboField[0].Text();
            complete = !record.TimeStepField.empty();
            record.IncludesTimeSteps = true;
        } else if (optGDBJoined[0].Value()) {
            record.TimeStepField = cboField[0].Text();
            complete = !record.TimeStepField.empty();
            record.IncludesTimeSteps = true;
            record.isJoined = false;
        } else {
            record.IncludesTimeSteps = false;
            record.isJoined = true;
            record.JoinName = txtJoinName.Text();
            std::string additional;
            for (int32_t entry = 0; entry < lstFields.ListCount(); ++entry) {
                if (lstFields.Selected(entry)) {
                    additional += (additional.empty() ? "" : ",") + lstFields.List(entry);
                }
            }
            record.AdditionalFields = additional;
            record.HostKeyField = cboField[3].Text();
            record.JoinTable = cboTable.Text();
            record.TimeStepField = cboField[6].Text();
            record.PrimaryKeyField = cboField[4].Text();
            record.ForeignKeyField = cboField[5].Text();
            complete = !record.JoinName.empty() && !record.HostKeyField.empty() && !record.JoinTable.empty() &&
                       !record.TimeStepField.empty() && !record.PrimaryKeyField.empty() &&
                       !record.ForeignKeyField.empty();
        }
        // A web map service layer needs no field: its steps are the hours around now. Left incomplete, its node
        // would keep the unconfigured mark and "Done" could never register it.
        if (record.IsWMSLayer) {
            complete = true;
        }

        record.IncludePreviousSteps = chkInclude[0].Value() == CheckBox::kChecked;
        if (chkVector.Value() == CheckBox::kChecked) {
            record.SpeedField = cboField[1].Text();
            record.DirectionField = cboField[2].Text();
            complete = complete && !record.SpeedField.empty() && !record.DirectionField.empty();
            record.IsVectorized = true;
        } else {
            record.IsVectorized = false;
        }

        const bool cached = chkCache.Value() == CheckBox::kChecked;
        if (cached && !record.IsCached) {
            record.IsCached = true;
            ++lCachedCount;
        } else if (!cached && record.IsCached) {
            record.IsCached = false;
            --lCachedCount;
        }

        if (!record.IsRasterLayer) {
            SaveNodeMark(complete);
        }
    });
}

void frmTimedLayers::SaveNodeMark(bool complete) {
    auto node = tv1.Nodes().Find(sCurrentKey);
    if (!node) {
        return;
    }
    const std::string& text = node->Text();
    if (complete && EndsInMark(text)) {
        node->Text(text.substr(0, text.size() - 1));
    } else if (!complete && !EndsInMark(text)) {
        node->Text(text + "*");
    }
}

std::shared_ptr<LayerData> frmTimedLayers::CopyLayerDataNode(const std::shared_ptr<LayerData>& pLayerData) {
    std::shared_ptr<LayerData> copy;
    Trap("CopyLayerDataNode ", kModule, TrapKind::TopLevelLog, [&] {
        if (!pLayerData) {
            return;
        }
        const LayerData& from = *pLayerData;
        auto to = std::make_shared<LayerData>();
        to->AdditionalFields = from.AdditionalFields;
        to->DirectionField = from.DirectionField;
        to->ForeignKeyField = from.ForeignKeyField;
        to->HostKeyField = from.HostKeyField;
        to->IncludesTimeSteps = from.IncludesTimeSteps;
        to->isJoined = from.isJoined;
        to->IsShapefile = from.IsShapefile;
        to->IsTimeLayer = from.IsTimeLayer;
        to->IsVectorized = from.IsVectorized;
        to->IsRasterLayer = from.IsRasterLayer;
        to->IsWMSLayer = from.IsWMSLayer;
        to->JoinName = from.JoinName;
        to->JoinTable = from.JoinTable;
        to->PrimaryKeyField = from.PrimaryKeyField;
        to->SpeedField = from.SpeedField;
        to->TheLayer = from.TheLayer;
        to->TimeStepField = from.TimeStepField;
        to->IncludePreviousSteps = from.IncludePreviousSteps;
        to->ShowPrevious = from.ShowPrevious;
        to->VectorFont = from.VectorFont;
        to->VectorChar = from.VectorChar;
        to->VectorMinSize = from.VectorMinSize;
        to->VectorMaxSize = from.VectorMaxSize;
        to->VectorsApplied = from.VectorsApplied;
        to->IsCached = from.IsCached;
        to->RasterBandCount = from.RasterBandCount;
        to->RasterInterval = from.RasterInterval;
        to->RasterIntervalUnits = from.RasterIntervalUnits;
        to->RasterStartTime = from.RasterStartTime;
        copy = std::move(to);
    });
    return copy;
}

// ---- Handing over to the registry ----

namespace {

// Whether the dialog's record asks for exactly the registration the registry holds. Vector font and sizes and the
// cache flag are not part of a registration.
bool SameRegistration(const LayerData& registered, const LayerData& edited) {
    const auto same_text = [](const std::string& a, const std::string& b) { return platform::IEquals(a, b); };
    return registered.TheLayer == edited.TheLayer && same_text(registered.AdditionalFields, edited.AdditionalFields) &&
           same_text(registered.DirectionField, edited.DirectionField) &&
           same_text(registered.ForeignKeyField, edited.ForeignKeyField) &&
           same_text(registered.HostKeyField, edited.HostKeyField) && same_text(registered.JoinName, edited.JoinName) &&
           same_text(registered.JoinTable, edited.JoinTable) &&
           same_text(registered.PrimaryKeyField, edited.PrimaryKeyField) &&
           same_text(registered.SpeedField, edited.SpeedField) &&
           same_text(registered.TimeStepField, edited.TimeStepField) &&
           registered.IncludePreviousSteps == edited.IncludePreviousSteps &&
           registered.IncludesTimeSteps == edited.IncludesTimeSteps &&
           registered.VectorsApplied == edited.VectorsApplied && registered.isJoined == edited.isJoined &&
           registered.IsShapefile == edited.IsShapefile && registered.IsVectorized == edited.IsVectorized &&
           registered.RasterStartTime == edited.RasterStartTime && registered.RasterInterval == edited.RasterInterval &&
           registered.RasterIntervalUnits == edited.RasterIntervalUnits;
}

} // namespace

void frmTimedLayers::ClearLayerData() {
    Trap("ClearLayerData ", kModule, TrapKind::TopLevelLog, [&] {
        if (!g_pApp || !g_Layers || g_Layers->Count() == 0 || !pLayerList) {
            return;
        }
        for (const auto& registered : g_Layers->NewEnum()) {
            std::shared_ptr<LayerData> edited;
            for (const auto& candidate : pLayerList->NewEnum()) {
                if (candidate->TheLayer == registered->TheLayer) {
                    edited = candidate;
                    break;
                }
            }
            if (edited && SameRegistration(*registered, *edited)) {
                // Unchanged: the registration stays as it is and is not made again.
                pLayerList->Remove(layerconfig::LayerIdentityText(*edited->TheLayer));
            } else {
                g_pChronovaData->RemoveLayer(registered->TheLayer);
            }
        }
    });
}

bool frmTimedLayers::ApplyLayers() {
    bool may_close = false;
    Trap("ApplyLayers ", kModule, TrapKind::TopLevel, [&] {
        if (!g_pChronovaData) {
            platform::RaiseError(platform::error::kObjectNotSet,
                                 "There is no time layer registry to hand the layers to.");
        }
        ChronovaData& registry = *g_pChronovaData;
        if (tv1.Nodes().Count() == 0) {
            registry.Clear();
            may_close = true;
            return;
        }
        g_dteUniqueTimes.assign(1, platform::Date());
        SaveLayerData(pCurrentData);
        bool any_checked = false;
        bool removed = false;
        lCachedCount = 0;

        for (int32_t index = 1; index <= tv1.Nodes().Count(); ++index) {
            const auto node = tv1.Nodes().Item(index);
            const std::string id = platform::Mid(node->Key(), 2);
            const bool leaf = node->Children() == 0;
            auto record = pLayerList->Item(id);
            if (!record && leaf && node->Checked() && !EndsInMark(node->Text())) {
                // A checked raster that was never selected is registered with what its panel would have shown.
                record = CreateLayerData(platform::CLng(platform::Variant(id)));
                if (record && record->IsRasterLayer) {
                    ReadRasterSideSettings(*record);
                }
            }
            if (record) {
                if (record->IsCached) {
                    ++lCachedCount;
                }
                if (record->TheLayer && record->TheLayer->Cached() != record->IsCached) {
                    record->TheLayer->Cached(record->IsCached);
                }
            }
            if (leaf && node->Checked()) {
                any_checked = true;
                if (EndsInMark(node->Text())) {
                    platform::ui::MsgBox("Please Setup All Unconfigured Checked Layers Marked With An *", kInfoStyle,
                                         "Input Error");
                    return;
                }
            } else if (leaf && record) {
                pLayerList->Remove(id);
                if (g_Layers && g_Layers->Count() > 0 && registry.FindLayer(record->TheLayer)) {
                    removed = true;
                }
            }
        }
        if (!any_checked) {
            registry.Clear();
            may_close = true;
            return;
        }

        HourglassPointer hourglass;
        bool added = false;
        ClearLayerData();
        for (const auto& record : pLayerList->NewEnum()) {
            const auto& layer = record->TheLayer;
            std::string_view failure;
            bool registered = false;
            if (record->IsTimeLayer) {
                registered = registry.AddCustomTimeLayer(layer, record->TimeStepField);
                failure = "Unable To Add The Custom Time Layer ";
            } else if (record->IsShapefile) {
                registered = registry.AddShapefileLayer(layer, record->TimeStepField);
                failure = "Unable To Add The Feature Class ";
            } else if (record->IsRasterLayer) {
                const auto seconds = platform::CLng(
                    platform::Variant(IntervalSeconds(record->RasterInterval, record->RasterIntervalUnits)));
                registered =
                    registry.AddRasterLayer(layer, "", record->RasterStartTime, seconds, record->RasterIntervalUnits);
                failure = "Unable To Add The Raster Layer ";
            } else if (record->IsWMSLayer) {
                registered = platform::CBool(registry.AddWMSLayer(layer));
            } else if (record->IncludesTimeSteps) {
                registered = registry.AddGeoDatabaseLayer(layer, record->TimeStepField);
                failure = "Unable To Add The GeoDatabase Feature Class ";
            } else if (record->isJoined) {
                registered = registry.AddGeoDatabaseJoinedLayer(
                    layer, record->HostKeyField, record->JoinName, record->JoinTable, record->PrimaryKeyField,
                    record->ForeignKeyField, record->TimeStepField, record->AdditionalFields);
                failure = "Unable To Add The GeoDatabase Feature Class ";
            }
            if (registered) {
                added = true;
            } else if (!failure.empty()) {
                ShowDataError(failure, layer);
            }

            if (record->IncludePreviousSteps && !platform::CBool(registry.ShowPreviousTimeSteps(layer))) {
                ShowDataError("Unable To Show Previous Time Steps For ", layer);
            }
            if (record->sqlWhere == "V" && !record->IsTimeLayer) {
                // The symbology the registry gave the layer before goes, so vectors start from a plain renderer.
                if (auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer)) {
                    ArcObjects::ApplySimpleRenderer(feature_layer);
                }
            }
            if (record->IsVectorized) {
                const bool vectors = record->VectorFont.empty()
                                         ? registry.MakeVectors(layer, record->SpeedField, record->DirectionField, 0, 0)
                                         : registry.MakeVectorsWithChar(
                                               layer, record->SpeedField, record->DirectionField, record->VectorFont,
                                               record->VectorChar, record->VectorMinSize, record->VectorMaxSize, 0, 0);
                if (!vectors) {
                    ShowDataError("Unable To Enable Vector Display For ", layer);
                }
            }
        }
        g_bFastRefresh = chkRefresh.Value() == CheckBox::kChecked && lCachedCount >= 1;
        if (added || removed) {
            registry.Update();
        }
        may_close = true;
    });
    return may_close;
}

void frmTimedLayers::lblTime_Click() {
    // A failing picker must not take the dialog down with it: the error is shown and the time stays.
    Trap("lblTime_Click ", kModule, TrapKind::TopLevel, [&] {
        int32_t minutes = modDateTime::TextToMinutes(lblTime.Caption());
        if (modDateTime::PickDateTime(minutes) > 0) {
            lblTime.Caption(platform::CStr(platform::Variant(modDateTime::MinutesToDate(minutes))));
        }
    });
}

double frmTimedLayers::IntervalSeconds(double dValue, std::string_view sUnits) {
    if (sUnits == "d") {
        return dValue * 86400.0;
    }
    if (sUnits == "h") {
        return dValue * 3600.0;
    }
    return dValue * 60.0;
}

} // namespace chronova
