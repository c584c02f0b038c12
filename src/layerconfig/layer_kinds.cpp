#include "layerconfig/layer_kinds.h"

#include "gis/data/table.h"
#include "gis/interface_ids.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/uid.h"
#include "layerconfig/field_detection.h"
#include "platform/text.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"

namespace chronova::layerconfig {
namespace {

bool IsGeodatabaseFeatureClass(const gis::FeatureLayer& layer) {
    if (layer.DataSourceType() != kGeodatabaseSourceType || !layer.FeatureClass()) {
        return false;
    }
    const auto workspace = layer.FeatureClass()->Workspace();
    return dynamic_cast<const gis::IFeatureWorkspace*>(workspace.get()) != nullptr &&
           dynamic_cast<const gis::IGeodatabaseWorkspace*>(workspace.get()) != nullptr;
}

} // namespace

CandidateKind ClassifyCandidate(const gis::ILayer& layer) {
    if (dynamic_cast<const gis::ICompositeLayer*>(&layer) != nullptr) {
        return CandidateKind::Group;
    }
    if (dynamic_cast<const ITimeLayer*>(&layer) != nullptr) {
        return CandidateKind::Custom;
    }
    if (const auto* feature_layer = dynamic_cast<const gis::FeatureLayer*>(&layer)) {
        if (feature_layer->DataSourceType() == kShapefileSourceType) {
            return CandidateKind::Shapefile;
        }
        return IsGeodatabaseFeatureClass(*feature_layer) ? CandidateKind::Geodatabase : CandidateKind::None;
    }
    if (dynamic_cast<const gis::RasterLayer*>(&layer) != nullptr) {
        return CandidateKind::Raster;
    }
    return CandidateKind::None;
}

bool StartsUnconfigured(CandidateKind kind) noexcept {
    return kind == CandidateKind::Custom || kind == CandidateKind::Shapefile || kind == CandidateKind::Geodatabase;
}

bool IsWmsLayer(const gis::ILayer& layer) {
    return gis::SupportsInterface(layer, gis::UID(gis::iid::kWmsMapLayer));
}

void ClassifyRecord(LayerData& record, const std::shared_ptr<gis::ILayer>& layer) {
    if (!layer) {
        return;
    }
    if (IsWmsLayer(*layer)) {
        record.IsWMSLayer = true;
        return;
    }
    if (auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer)) {
        record.IsShapefile = platform::LCase(feature_layer->DataSourceType()) == "shapefile feature class";
        if (const auto& feature_class = feature_layer->FeatureClass()) {
            record.IncludesTimeSteps = !FirstTimeLikeField(FieldsOf(*feature_class)).empty();
        }
        return;
    }
    if (auto time_layer = std::dynamic_pointer_cast<ITimeLayer>(layer)) {
        record.IsTimeLayer = true;
        record.ShowPrevious = time_layer->ShowPrevious();
        return;
    }
    if (dynamic_cast<const gis::RasterLayer*>(layer.get()) != nullptr) {
        record.IsRasterLayer = true;
    }
}

int32_t LayerIdentity(const gis::ILayer& layer) noexcept {
    return static_cast<int32_t>(layer.LayerId());
}

std::string LayerIdentityText(const gis::ILayer& layer) {
    return std::to_string(LayerIdentity(layer));
}

std::string LayerNodeKey(const gis::ILayer& layer) {
    return "L" + LayerIdentityText(layer);
}

} // namespace chronova::layerconfig
