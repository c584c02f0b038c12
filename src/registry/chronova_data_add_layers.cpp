// Registration of time layers: each add operation checks the layer, fills a record, lets the time step
// discovery read its steps and registers it when that succeeds.

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "gis/data/raster_dataset.h"
#include "gis/data/table.h"
#include "gis/interface_ids.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/symbology/renderers.h"
#include "gis/uid.h"
#include "host/error_handling.h"
#include "platform/conversions.h"
#include "platform/debug_output.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "registry/shapefile_date_warning.h"
#include "timeapply/arc_objects.h"
#include "timeapply/host_view.h"
#include "timeapply/mod_layers.h"
#include "timeapply/raster_side_files.h"

namespace chronova {

namespace {

constexpr std::string_view kModule = "ChronovaData";
constexpr std::string_view kShapefileSource = "Shapefile Feature Class";
constexpr std::string_view kGeodatabaseSource = "Personal Geodatabase Feature Class";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

// The feature layer when its data source type is exactly the given text and its feature class has at least
// one feature.
std::shared_ptr<gis::FeatureLayer> FeatureLayerOfSource(const std::shared_ptr<gis::ILayer>& layer,
                                                        std::string_view source_type) {
    auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer);
    if (!feature_layer || feature_layer->DataSourceType() != source_type || !feature_layer->FeatureClass()) {
        return nullptr;
    }
    return feature_layer->FeatureClass()->HasRows() ? feature_layer : nullptr;
}

// A geodatabase feature layer whose workspace is a feature workspace of a geodatabase.
std::shared_ptr<gis::FeatureLayer> GeodatabaseFeatureLayer(const std::shared_ptr<gis::ILayer>& layer) {
    auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer);
    if (!feature_layer || feature_layer->DataSourceType() != kGeodatabaseSource || !feature_layer->FeatureClass()) {
        return nullptr;
    }
    const auto workspace = feature_layer->FeatureClass()->Workspace();
    if (!workspace || !std::dynamic_pointer_cast<gis::IFeatureWorkspace>(workspace) ||
        !gis::SupportsInterface(*workspace, gis::UID(gis::iid::kGeodatabaseWorkspace))) {
        return nullptr;
    }
    return feature_layer->FeatureClass()->HasRows() ? feature_layer : nullptr;
}

// A number in the "#.000" form: three decimals and no zero before the decimal point.
std::string FormatThreeDecimals(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.3f", value);
    std::string text = buffer;
    if (text.starts_with("0.")) {
        text.erase(0, 1);
    } else if (text.starts_with("-0.")) {
        text.erase(1, 1);
    }
    return text;
}

} // namespace

bool ChronovaData::AddCustomTimeLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField) {
    bool result = false;
    Trap("AddCustomTimeLayer", kModule, TrapKind::Inner, [&] {
        auto custom = std::dynamic_pointer_cast<ITimeLayer>(pLayer);
        if (sTimeField.empty() || !pLayer || !custom) {
            return;
        }
        auto record = std::make_shared<LayerData>();
        record->IsTimeLayer = true;
        record->IncludesTimeSteps = true;
        record->IncludePreviousSteps = custom->ShowPrevious();
        record->ShowPrevious = custom->ShowPrevious();
        record->Path = custom->Path();
        record->TheLayer = pLayer;
        record->TimeStepField = sTimeField;
        result = RegisterWithSteps(record);
    });
    return result;
}

platform::Variant ChronovaData::AddWMSLayer(const std::shared_ptr<gis::ILayer>& pLayer) {
    // Errors are not trapped here: they reach the caller as they are.
    auto record = std::make_shared<LayerData>();
    record->IsWMSLayer = true;
    record->IncludesTimeSteps = true;
    record->TheLayer = pLayer;
    record->TimeStepField = "NotUsed";
    RegisterWithSteps(record);
    return platform::Variant(true);
}

bool ChronovaData::AddShapefileLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField) {
    bool result = false;
    Trap("AddShapefileLayer", kModule, TrapKind::Inner, [&] {
        if (sTimeField.empty() || !pLayer || !FeatureLayerOfSource(pLayer, kShapefileSource)) {
            return;
        }
        auto record = std::make_shared<LayerData>();
        record->IsShapefile = true;
        record->IncludesTimeSteps = true;
        record->Path = modLayers::FeatureLayerFileName(pLayer, "");
        record->TheLayer = pLayer;
        record->TimeStepField = sTimeField;
        result = RegisterWithSteps(record);
        if (result) {
            record->DataWarning =
                ShapefileDateWarning(*std::dynamic_pointer_cast<gis::FeatureLayer>(pLayer), sTimeField);
            if (!record->DataWarning.empty()) {
                platform::DebugOutput("warning: " + record->DataWarning);
            }
        }
    });
    return result;
}

bool ChronovaData::AddGeoDatabaseLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sTimeField) {
    bool result = false;
    Trap("AddGeoDatabaseLayer", kModule, TrapKind::Inner, [&] {
        if (sTimeField.empty() || !pLayer || !GeodatabaseFeatureLayer(pLayer)) {
            return;
        }
        auto record = std::make_shared<LayerData>();
        record->isJoined = false;
        record->IsShapefile = false;
        record->IncludesTimeSteps = true;
        record->Path = modLayers::FeatureLayerFileName(pLayer, "");
        record->TimeStepField = sTimeField;
        record->TheLayer = pLayer;
        result = RegisterWithSteps(record);
    });
    return result;
}

bool ChronovaData::AddGeoDatabaseJoinedLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sKeyField,
                                             const std::string& sJoinName, const std::string& sTable,
                                             const std::string& sPrimaryKey, const std::string& sKeyField2,
                                             const std::string& sTimeField, const std::string& sOtherFields) {
    bool result = false;
    Trap("AddGeoDatabaseJoinedLayer", kModule, TrapKind::Inner, [&] {
        if (!pLayer || sKeyField.empty() || sTable.empty() || sKeyField2.empty() || sTimeField.empty() ||
            !GeodatabaseFeatureLayer(pLayer)) {
            return;
        }
        auto record = std::make_shared<LayerData>();
        record->IsShapefile = false;
        record->isJoined = true;
        record->IncludesTimeSteps = false;
        record->JoinName = sJoinName;
        record->JoinTable = sTable;
        record->PrimaryKeyField = sPrimaryKey;
        record->HostKeyField = sKeyField;
        record->ForeignKeyField = sKeyField2;
        record->AdditionalFields = sOtherFields;
        record->Path = modLayers::FeatureLayerFileName(pLayer, "");
        record->TheLayer = pLayer;
        record->TimeStepField = sTimeField;
        result = RegisterWithSteps(record);
    });
    return result;
}

bool ChronovaData::AddRasterLayer(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& /*sTimeField*/,
                                  int32_t RStartTime, int32_t RInterval, const std::string& RIntervalUnits) {
    bool result = false;
    Trap("AddRasterLayer", kModule, TrapKind::Inner,
         [&] { result = AddRasterLayerWithUnits(pLayer, RStartTime, RInterval, RIntervalUnits, false); });
    return result;
}

bool ChronovaData::AddCalendarRasterLayer(const std::shared_ptr<gis::ILayer>& pLayer, int32_t RStartTime,
                                          int32_t RCount, const std::string& RUnits) {
    bool result = false;
    Trap("AddCalendarRasterLayer", kModule, TrapKind::Inner, [&] {
        if ((RUnits != "m" && RUnits != "yyyy") || RCount < 1) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "A calendar raster steps by a count of 1 or more \"m\" (months) or \"yyyy\" (years).");
        }
        result = AddRasterLayerWithUnits(pLayer, RStartTime, RCount, RUnits, true);
    });
    return result;
}

bool ChronovaData::AddRasterLayerWithUnits(const std::shared_ptr<gis::ILayer>& pLayer, int32_t RStartTime,
                                           int32_t RInterval, const std::string& RIntervalUnits, bool calendar_units) {
    bool result = false;
    // The checks end the work early with a plain return.
    [&] {
        auto raster_layer = std::dynamic_pointer_cast<gis::RasterLayer>(pLayer);
        if (!raster_layer) {
            return;
        }
        const int32_t band_count = raster_layer->BandCount();
        std::shared_ptr<LayerData> record = band_count > 0 ? std::make_shared<LayerData>() : nullptr;

        // Months ("m") and years ("yyyy") have no fixed length: their interval is a count of units, not seconds.
        const bool calendar = calendar_units && (RIntervalUnits == "m" || RIntervalUnits == "yyyy");
        const std::string units =
            calendar || RIntervalUnits == "d" || RIntervalUnits == "h" ? RIntervalUnits : std::string("n");
        const double seconds_per_unit = calendar ? 1.0 : units == "d" ? 86400.0 : units == "h" ? 3600.0 : 60.0;
        const int32_t interval = platform::CLng(platform::Variant(RInterval / seconds_per_unit));

        // One colour scale for every band: stretch between the smallest minimum and the largest maximum.
        double largest_max = 0.0;
        double smallest_min = 0.0;
        for (int32_t band = 0; band < band_count; ++band) {
            const gis::BandStatistics stats = raster_layer->Raster()->Statistics(band + 1);
            if (band == 0 || stats.Maximum > largest_max) {
                largest_max = stats.Maximum;
            }
            if (band == 0 || stats.Minimum < smallest_min) {
                smallest_min = stats.Minimum;
            }
        }
        auto renderer = std::dynamic_pointer_cast<gis::RasterStretchColorRampRenderer>(raster_layer->Renderer());
        if (!renderer) {
            renderer = std::make_shared<gis::RasterStretchColorRampRenderer>();
        }
        renderer->Stretch = gis::StretchType::MinimumMaximum;
        if (!renderer->UseCustomStretchMinMax) {
            renderer->UseCustomStretchMinMax = true;
            renderer->Raster = raster_layer->Raster();
            renderer->Update();
            renderer->CustomStretchMin = smallest_min;
            renderer->CustomStretchMax = largest_max;
            renderer->LabelHigh = FormatThreeDecimals(largest_max);
            renderer->LabelMedium.clear();
            renderer->LabelLow = FormatThreeDecimals(smallest_min);
        }
        renderer->Raster = raster_layer->Raster();
        renderer->Update();
        raster_layer->Renderer(renderer);
        raster_layer->RendererBandIndex(0);
        if (g_pApp) {
            g_pApp->Document()->UpdateContents();
        }
        RefreshActiveView();
        std::string settings_path = raster_layer->FilePath();
        modLayers::ChangeExtension(settings_path, "ini");

        if (!record) {
            return;
        }
        record->IsRasterLayer = true;
        record->IncludesTimeSteps = false;
        record->TheLayer = pLayer;
        record->TimeStepField = "NotNeeded";
        record->RasterBandCount = band_count;
        record->RasterStartTime = RStartTime;
        record->RasterInterval = interval;
        record->RasterIntervalUnits = units;
        record->Path = settings_path;
        if (ArcObjects::RetrieveTimeInfo(record.get())) {
            // The side file is written before the record is registered, so a raster whose settings cannot be
            // saved is not left registered behind a failed call. Bands timed by a step list have no start and
            // interval of their own: settings written beside them would hold times nobody gave.
            std::string step_list = settings_path;
            modLayers::ChangeExtension(step_list, "xml");
            if (!ReadRasterStepList(step_list)) {
                WriteRasterSettings(settings_path, RasterSettings{RStartTime, interval, units});
            }
            Register(record);
            result = true;
        }
    }();
    return result;
}

} // namespace chronova
