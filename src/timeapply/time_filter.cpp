#include <memory>
#include <string>

#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "host/error_handling.h"
#include "platform/conversions.h"
#include "platform/text.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "timeapply/arc_objects.h"
#include "timeapply/host_view.h"
#include "timeapply/mod_layers.h"
#include "timeapply/step_label.h"
#include "timeapply/step_literal.h"
#include "timeapply/time_lookup.h"
#include "timeapply/time_window.h"
#include "timeapply/track_fixes.h"

namespace chronova::modLayers {

namespace {

constexpr std::string_view kModule = "modLayers";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

// The layer's feature layer when it can take a definition expression on a feature class.
std::shared_ptr<gis::FeatureLayer> FilterableFeatureLayer(const LayerData& record) {
    auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer);
    return layer && layer->FeatureClass() ? layer : nullptr;
}

// Writes the step into the layer's name, or strips a step written earlier.
void LabelLayerName(gis::ILayer& layer, const platform::Variant& step) {
    const std::string name = layer.Name();
    const long pos = platform::InStr(name, "[");
    if (g_bFillGaps && g_bUpdateTOC) {
        DebugOut("modLayers g_bFillGaps is True");
        const std::string base = pos == 0 ? name : platform::Left(name, pos - 1);
        layer.Name(platform::Trim(base) + " [" + StepLabel(step) + "]");
    } else if (pos > 0) {
        layer.Name(platform::Trim(platform::Left(name, pos - 1)));
    }
}

} // namespace

bool UpdateLayer(LayerData& pLayerData, platform::Date dteCurrentTime, std::optional<platform::Date> slider_next) {
    bool result = false;
    Trap("UpdateLayer", kModule, TrapKind::Inner, [&] {
        platform::Variant step;
        // A window or a track shows what lies around the current time itself, never the step fill-gaps picks,
        // and shows nothing rather than hiding the layer when nothing lies there.
        const bool own_features = pLayerData.IncludesTimeSteps && FilterableFeatureLayer(pLayerData);
        if (own_features && pLayerData.Track.IsSet()) {
            step = dteCurrentTime;
            SelectTrackFixes(pLayerData, dteCurrentTime);
        } else if (own_features && pLayerData.Window.IsSet()) {
            step = dteCurrentTime;
            SelectLayerFeaturesByWindow(pLayerData, dteCurrentTime, WindowEnd(pLayerData, dteCurrentTime, slider_next));
        } else if (!GetCurrentTimeByLayer(&pLayerData, dteCurrentTime, step)) {
            return;
            // Features with their own steps come first, before any other kind a record also claims, as in the classic
            // order of these checks; the same call ends the chain for any other layer.
            // NOLINTNEXTLINE(bugprone-branch-clone)
        } else if (pLayerData.IncludesTimeSteps) {
            SelectLayerFeaturesByTimeStep(pLayerData, step);
        } else if (pLayerData.IsRasterLayer) {
            SelectRasterBandByTimeStep(pLayerData, step);
        } else if (pLayerData.IsWMSLayer) {
            SelectWMSLayerByTimeStep(pLayerData, step);
        } else if (pLayerData.isJoined) {
            JoinLayerFeaturesByTimeStep(pLayerData, step);
        } else {
            SelectLayerFeaturesByTimeStep(pLayerData, step);
        }

        if (pLayerData.IsVectorized && !pLayerData.VectorsApplied) {
            const std::string prefix = pLayerData.sqlTable.empty() ? std::string() : pLayerData.sqlTable + ".";
            if (!pLayerData.IsTimeLayer) {
                ArcObjects::ApplyGraduatedCharacterSymbolRenderer(
                    std::dynamic_pointer_cast<gis::FeatureLayer>(pLayerData.TheLayer), pLayerData.VectorFont,
                    pLayerData.VectorChar, prefix + pLayerData.SpeedField, prefix + pLayerData.DirectionField, 5,
                    pLayerData.MinRange, pLayerData.MaxRange, pLayerData.VectorMinSize, pLayerData.VectorMaxSize);
            }
            pLayerData.VectorsApplied = true;
            RefreshActiveView();
        }

        if (pLayerData.TheLayer) {
            LabelLayerName(*pLayerData.TheLayer, step);
        }
        result = true;
    });
    return result;
}

void SelectLayerFeaturesByTimeStep(LayerData& pLayerData, const platform::Variant& vTimeStep) {
    Trap("SelectLayerFeaturesByTimeStep", kModule, TrapKind::Inner, [&] {
        if (auto time_layer = std::dynamic_pointer_cast<ITimeLayer>(pLayerData.TheLayer)) {
            if (time_layer->TimeStepCount() > 0) {
                time_layer->ShowPrevious(pLayerData.IncludePreviousSteps);
                time_layer->CurrentTimeStep(vTimeStep);
            }
            return;
        }
        auto layer = FilterableFeatureLayer(pLayerData);
        if (!layer) {
            return;
        }
        const std::string op = pLayerData.IncludePreviousSteps ? " <= " : " = ";
        // Showing every step up to the current one, a step forward only adds features: drawn oldest first, the
        // new ones go over the last image.
        layer->FollowsGrowth(pLayerData.IncludePreviousSteps);
        if (auto literal = StepLiteral(pLayerData.TimeFieldType, vTimeStep)) {
            layer->DefinitionExpression(pLayerData.TimeStepField + op + *literal);
        }
    });
}

void SelectWMSLayerByTimeStep(LayerData& /*pLayerData*/, const platform::Variant& /*vTimeStep*/) {}

void HideLayer(LayerData& pLayerData) {
    Trap("HideLayer", kModule, TrapKind::Inner, [&] {
        const platform::Variant no_step_date = platform::Date(-1.0);
        if (pLayerData.IsShapefile || pLayerData.IsTimeLayer) {
            platform::Variant hide_value;
            switch (pLayerData.TimeFieldType) {
            case kTimeFieldDate:
                hide_value = no_step_date;
                break;
            case kTimeFieldText:
            case kTimeFieldDateTimeGroup:
                hide_value = std::string();
                break;
            case kTimeFieldLong:
            case kTimeFieldYear:
                hide_value = int32_t{-1};
                break;
            case kTimeFieldDouble:
                hide_value = -1.0;
                break;
            default:
                break;
            }
            SelectLayerFeaturesByTimeStep(pLayerData, hide_value);
        } else if (pLayerData.IsRasterLayer) {
            SelectRasterBandByTimeStep(pLayerData, no_step_date);
        } else {
            DebugOut("Hide Feature data");
            if (pLayerData.isJoined) {
                JoinLayerFeaturesByTimeStep(pLayerData, no_step_date);
            } else {
                SelectLayerFeaturesByTimeStep(pLayerData, no_step_date);
            }
        }
    });
}

void UnselectLayer(LayerData& pLayerData) {
    Trap("UnselectLayer", kModule, TrapKind::Inner, [&] {
        // As in UpdateLayer: own steps win over a join, and the same call ends the chain.
        // NOLINTNEXTLINE(bugprone-branch-clone)
        if (pLayerData.IncludesTimeSteps) {
            UnselectLayerFeatures(pLayerData);
        } else if (pLayerData.isJoined) {
            UnjoinLayerFeatures(pLayerData);
        } else {
            UnselectLayerFeatures(pLayerData);
        }
        if (pLayerData.IsVectorized && pLayerData.VectorsApplied) {
            if (!pLayerData.IsTimeLayer) {
                ArcObjects::ApplySimpleRenderer(std::dynamic_pointer_cast<gis::FeatureLayer>(pLayerData.TheLayer));
            }
            pLayerData.VectorsApplied = false;
            RefreshActiveView();
        }
    });
}

void UnselectLayerFeatures(LayerData& pLayerData) {
    Trap("UnselectLayerFeatures", kModule, TrapKind::Inner, [&] {
        if (auto time_layer = std::dynamic_pointer_cast<ITimeLayer>(pLayerData.TheLayer)) {
            if (time_layer->TimeStepCount() > 0) {
                time_layer->CurrentTimeStep(pLayerData.TimeSteps(1));
            }
            return;
        }
        if (auto layer = FilterableFeatureLayer(pLayerData)) {
            layer->FollowsGrowth(false);
            layer->DefinitionExpression(std::string());
            ClearTrackFixes(pLayerData);
        }
    });
}

} // namespace chronova::modLayers
