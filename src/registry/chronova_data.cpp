#include "registry/chronova_data.h"

#include <memory>
#include <string>

#include "datetime/mod_date_time.h"
#include "gis/data/geometry_column.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/active_view.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/map.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/time_codes.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"
#include "timeapply/time_lookup.h"

namespace chronova {

namespace {

constexpr std::string_view kModule = "ChronovaData";
constexpr std::string_view kVectorFont = "ESRI North";
constexpr int16_t kVectorChar = 108;
constexpr double kVectorMinSize = 8.0;
constexpr double kVectorMaxSize = 24.0;
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

// The date of a step value as the records keep them: a date, a minute count, a date serial or a date text.
platform::Date StepDate(const platform::Variant& step) {
    switch (step.Type()) {
    case platform::VarType::Integer:
    case platform::VarType::Long:
        return modDateTime::MinutesToDate(platform::CLng(step));
    case platform::VarType::String:
        return modDateTime::MinutesToDate(modDateTime::TextToMinutes(platform::CStr(step)));
    default:
        return platform::CDate(step);
    }
}

void SetVectorDefaults(LayerData& record) {
    record.IsVectorized = true;
    record.VectorFont = kVectorFont;
    record.VectorChar = kVectorChar;
    record.VectorMinSize = kVectorMinSize;
    record.VectorMaxSize = kVectorMaxSize;
}

} // namespace

ChronovaData::ChronovaData(platform::ui::EventLoop& loop) {
    RegisterTimeLayerInterface();
    g_Layers = std::make_shared<LayerDataCollection>();
    m_frmSlider = std::make_unique<frmSlider>(loop);
    Trap("Class_Initialize", kModule, TrapKind::TopLevel, [&] {
        m_frmSlider->Load();
        if (g_pApp) {
            SubscribeDocument();
            SubscribeMap(g_pApp->Document()->FocusMap());
            SubscribeLayout(g_pApp->Document()->PageLayout());
        }
    });
}

ChronovaData::~ChronovaData() {
    doc_close_.Disconnect();
    doc_maps_changed_.Disconnect();
    doc_open_.Disconnect();
    map_item_deleted_.Disconnect();
    layout_focus_map_changed_.Disconnect();
    Trap("Class_Terminate", kModule, TrapKind::TopLevel, [&] {
        if (g_Layers) {
            g_Layers->Clear();
        }
        g_Layers.reset();
        m_frmSlider->Unload();
    });
    m_frmSlider.reset();
}

void ChronovaData::Register(const std::shared_ptr<LayerData>& record) {
    if (!g_Layers) {
        g_Layers = std::make_shared<LayerDataCollection>();
    }
    g_Layers->Add(record, record->IdentityKey());
}

bool ChronovaData::RegisterWithSteps(const std::shared_ptr<LayerData>& record) {
    if (!ArcObjects::RetrieveTimeInfo(record.get())) {
        return false;
    }
    Register(record);
    return true;
}

void ChronovaData::RemoveLayer(const std::shared_ptr<gis::ILayer>& pLayer) {
    Trap("RemoveLayer", kModule, TrapKind::Inner, [&] {
        if (!pLayer) {
            return;
        }
        if (pLayer->Cached()) {
            pLayer->Cached(false);
        }
        std::shared_ptr<LayerData> record;
        if (!g_Layers || !FindByLayer(pLayer, &record)) {
            return;
        }
        if (record->isInitialized) {
            modLayers::UnselectLayer(*record);
            if (record->IsTimeLayer) {
                if (auto custom = std::dynamic_pointer_cast<ITimeLayer>(record->TheLayer)) {
                    custom->ShowPrevious(record->ShowPrevious);
                }
            }
        }
        g_Layers->Remove(record->IdentityKey());
    });
}

void ChronovaData::Clear() {
    Trap("Clear", kModule, TrapKind::Inner, [&] {
        if (!g_pApp) {
            platform::RaiseError(91, "Object variable or With block variable not set");
        }
        const std::shared_ptr<gis::Map> map = g_pApp->Document()->FocusMap();
        if (g_Layers) {
            // Pass over the records until a pass removes nothing: a record whose layer is gone cannot be
            // removed by layer and must not keep the loop running.
            while (g_Layers->Count() > 0) {
                const int32_t before = g_Layers->Count();
                for (const auto& record : g_Layers->NewEnum()) {
                    RemoveLayer(record->TheLayer);
                }
                if (g_Layers->Count() == before) {
                    break;
                }
            }
            g_Layers->Clear();
        }
        if (m_frmSlider) {
            if (!DocumentClosing) {
                m_frmSlider->Update();
                if (g_iDisplayType == kDisplayUniquePoints) {
                    m_frmSlider->picDayNightBands.Cls();
                } else {
                    m_frmSlider->DrawDayNight();
                }
            } else {
                m_frmSlider->Clear();
            }
        }
        if (map) {
            map->PartialRefresh(gis::view_phase::kGeography, nullptr, std::nullopt);
        }
    });
}

bool ChronovaData::MakeVectors(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sSpeedField,
                               const std::string& sDirectionField, double MinRange, double MaxRange) {
    bool result = false;
    Trap("MakeVectors", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        if (std::dynamic_pointer_cast<ITimeLayer>(pLayer)) {
            // A custom layer draws its own vectors; the record only remembers the fields.
            if (FindByLayer(pLayer, &record)) {
                record->SpeedField = sSpeedField;
                record->DirectionField = sDirectionField;
                SetVectorDefaults(*record);
            }
            result = true;
            return;
        }
        auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(pLayer);
        if (!feature_layer || !feature_layer->FeatureClass()) {
            return;
        }
        const gis::GeometryType shape = feature_layer->FeatureClass()->ShapeType();
        if ((shape != gis::GeometryType::Point && shape != gis::GeometryType::Multipoint) ||
            !FindByLayer(pLayer, &record)) {
            return;
        }
        record->SpeedField = sSpeedField;
        record->DirectionField = sDirectionField;
        if (MinRange != 0.0 || MaxRange != 0.0) {
            record->MinRange = MinRange;
            record->MaxRange = MaxRange;
        } else {
            // Sets 0 to 1 itself when the field's range cannot be read.
            ArcObjects::LoadRangeMinMax(record.get(), sSpeedField);
        }
        if (record->MinRange == record->MaxRange) {
            record->MaxRange = record->MaxRange + 1.0;
        }
        SetVectorDefaults(*record);
        result = true;
    });
    return result;
}

bool ChronovaData::MakeVectorsWithChar(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sSpeedField,
                                       const std::string& sDirectionField, const std::string& sFont, int16_t iChar,
                                       double fMinSymSize, double fMaxSymSize, double MinRange, double MaxRange) {
    bool result = false;
    Trap("MakeVectorsWithChar", kModule, TrapKind::Inner, [&] {
        result = MakeVectors(pLayer, sSpeedField, sDirectionField, MinRange, MaxRange);
        std::shared_ptr<LayerData> record;
        if (!result || !FindByLayer(pLayer, &record)) {
            return;
        }
        if (!sFont.empty()) {
            record->VectorFont = sFont;
        }
        if (iChar > 0) {
            record->VectorChar = iChar;
        }
        if (fMinSymSize >= 0.0) {
            record->VectorMinSize = fMinSymSize;
        }
        if (fMaxSymSize > fMinSymSize) {
            record->VectorMaxSize = fMaxSymSize;
        }
    });
    return result;
}

platform::Variant ChronovaData::ShowPreviousTimeSteps(const std::shared_ptr<gis::ILayer>& pLayer) {
    platform::Variant result(false);
    Trap("ShowPreviousTimeSteps", kModule, TrapKind::Inner, [&] {
        if (!std::dynamic_pointer_cast<gis::FeatureLayer>(pLayer)) {
            return;
        }
        std::shared_ptr<LayerData> record;
        const bool found = FindByLayer(pLayer, &record);
        if (found) {
            record->IncludePreviousSteps = true;
        }
        result = platform::Variant(found);
    });
    return result;
}

bool ChronovaData::IsCached(const std::shared_ptr<gis::ILayer>& pLayer) {
    bool result = false;
    Trap("IsCached", kModule, TrapKind::Inner, [&] {
        if (!pLayer) {
            platform::RaiseError(91, "Object variable or With block variable not set");
        }
        result = pLayer->Cached();
        std::shared_ptr<LayerData> record;
        if (FindByLayer(pLayer, &record)) {
            record->IsCached = result;
        }
    });
    return result;
}

void ChronovaData::IsCached(const std::shared_ptr<gis::ILayer>& pLayer, bool value) {
    Trap("IsCached", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        if (FindByLayer(pLayer, &record)) {
            record->IsCached = value;
        }
    });
}

bool ChronovaData::FindByLayer(const std::shared_ptr<gis::ILayer>& pLayer, std::shared_ptr<LayerData>* pLayerData) {
    bool found = false;
    Trap("FindByLayer", kModule, TrapKind::Inner, [&] {
        if (!pLayer || !g_Layers) {
            return;
        }
        for (const auto& record : g_Layers->NewEnum()) {
            if (record->TheLayer == pLayer) {
                if (pLayerData != nullptr) {
                    *pLayerData = record;
                }
                found = true;
                return;
            }
        }
    });
    return found;
}

bool ChronovaData::FindLayer(const std::shared_ptr<gis::ILayer>& pLayer) {
    return FindByLayer(pLayer, nullptr);
}

bool ChronovaData::FindByPath(const std::string& sPath, std::shared_ptr<LayerData>* pLayerData) {
    bool found = false;
    Trap("FindByPath", kModule, TrapKind::Inner, [&] {
        if (!g_Layers) {
            return;
        }
        for (const auto& record : g_Layers->NewEnum()) {
            if (record->Path == sPath) {
                if (pLayerData != nullptr) {
                    *pLayerData = record;
                }
                found = true;
                return;
            }
        }
    });
    return found;
}

bool ChronovaData::FindLayerByPath(const std::string& sPath) {
    return FindByPath(sPath, nullptr);
}

bool ChronovaData::GetCurrentTimeByLayer(LayerData* pLayerData, platform::Date dteCurrentTime,
                                         platform::Variant& dteTime) {
    bool result = false;
    Trap("GetCurrentTimeByLayer", kModule, TrapKind::Inner,
         [&] { result = chronova::GetCurrentTimeByLayer(pLayerData, dteCurrentTime, dteTime); });
    return result;
}

bool ChronovaData::GetCurrentTimeByPath(const std::string& sPath, platform::Date dteCurrentTime,
                                        platform::Date& dteTime) {
    bool result = false;
    Trap("GetCurrentTimeByPath", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        if (!FindByPath(sPath, &record)) {
            return;
        }
        platform::Variant step;
        result = GetCurrentTimeByLayer(record.get(), dteCurrentTime, step);
        if (result) {
            dteTime = StepDate(step);
        }
    });
    return result;
}

} // namespace chronova
