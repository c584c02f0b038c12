#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gis/layers/feature_layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "support/drawn_features.h"
#include "timeapply/test_layers.h"

namespace chronova::testing {

/// A host application with an enabled extension and the registry on it, as the toolbar command sets them up;
/// message boxes are recorded instead of shown.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        g_pApp = gis::Application::Create();
        g_pApp->AddExtension(std::make_shared<gis::Extension>("Chronova.ChronovaExt"));
        g_pChronovaData = std::make_shared<ChronovaData>(loop_);
    }
    void TearDown() override { ResetGlobals(); }

    ChronovaData& Registry() { return *g_pChronovaData; }
    frmSlider& Slider() { return *g_pChronovaData->Slider(); }
    gis::Map& FocusMap() { return *g_pApp->Document()->FocusMap(); }

    /// A point layer of the given data source type with one feature per time, added to the focus map.
    std::shared_ptr<gis::FeatureLayer> AddTimeLayer(const std::vector<std::string>& times,
                                                    const std::string& source_type = "Shapefile Feature Class",
                                                    const std::string& name = "Tracks") {
        data_.push_back(TimeTable(times, source_type));
        data_.back().layer->Name(name);
        FocusMap().AddLayer(data_.back().layer);
        return data_.back().layer;
    }

    static int32_t LayerCount() { return g_Layers ? g_Layers->Count() : 0; }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    std::vector<TimeData> data_;
};

} // namespace chronova::testing
