#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "datetime/mod_date_time.h"
#include "gis/map/application.h"
#include "platform/date_text.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "support/drawn_features.h"
#include "timeapply/arc_objects.h"
#include "timeapply/test_layers.h"

// A loaded slider form in a host application with a focus map and a fresh registry, for the slider tests.
namespace chronova::testing {

/// The minute number of a time in March 2008.
inline int32_t March(int day, int hour, int minute = 0) {
    return modDateTime::DateToMinutes(platform::Date::FromParts(2008, 3, day, hour, minute));
}

inline platform::Date MarchDate(int day, int hour, int minute = 0) {
    return platform::Date::FromParts(2008, 3, day, hour, minute);
}

/// A custom time layer whose area and spatial reference a test chooses; it records every step it is told.
class PlacedTimeLayer : public ScriptedTimeLayer {
public:
    // One step of its own, so that the layer update hands it the current time.
    PlacedTimeLayer() : ScriptedTimeLayer({platform::Variant(int32_t{1})}) {}
    gis::Envelope AreaOfInterest() const override { return area; }
    std::string SpatialReference() const override { return spatial_reference; }

    gis::Envelope area;
    std::string spatial_reference;
};

class SliderTest : public ::testing::Test {
protected:
    /// A registered point layer: one feature (OBJECTID row + 1) per time, times found on its WHEN field.
    struct Track {
        std::shared_ptr<LayerData> record;
        std::shared_ptr<gis::FeatureLayer> layer;
    };
    /// A registered custom layer whose start, finish and interval were set by hand.
    struct Custom {
        std::shared_ptr<LayerData> record;
        std::shared_ptr<PlacedTimeLayer> layer;
    };

    void SetUp() override {
        ResetGlobals();
        g_pApp = gis::Application::Create();
        g_Layers = std::make_shared<LayerDataCollection>();
        form_ = std::make_unique<frmSlider>(loop_);
        form_->Load();
    }

    void TearDown() override {
        form_->Unload();
        form_.reset();
        EXPECT_TRUE(messages_.MessageBoxes().empty()) << messages_.MessageBoxes().front().text;
        ResetGlobals();
    }

    /// count steps from first_minute, step minutes apart.
    Track AddTrack(int32_t first_minute, int32_t count, int32_t step, const std::string& name = "Tracks") {
        std::vector<std::string> times;
        for (int32_t i = 0; i < count; ++i) {
            times.push_back(platform::DateToText(modDateTime::MinutesToDate(first_minute + i * step)));
        }
        TimeData data = TimeTable(times);
        data.layer->Name(name);
        auto record = std::make_shared<LayerData>();
        MakeFeatureRecord(*record, data.layer, "WHEN");
        EXPECT_TRUE(ArcObjects::RetrieveTimeInfo(record.get()));
        Register(record, data.layer);
        tables_.push_back(data);
        return {record, data.layer};
    }

    Custom AddCustom(int32_t start, int32_t finish, int32_t interval, const std::string& name = "Custom",
                     std::shared_ptr<PlacedTimeLayer> layer = nullptr) {
        if (!layer) {
            layer = std::make_shared<PlacedTimeLayer>();
        }
        layer->Name(name);
        auto record = std::make_shared<LayerData>();
        MakeCustomRecord(*record, layer);
        record->StartTime = start;
        record->FinishTime = finish;
        record->Interval = interval;
        Register(record, layer);
        return {record, layer};
    }

    void Register(const std::shared_ptr<LayerData>& record, const std::shared_ptr<gis::ILayer>& layer) {
        Map().AddLayer(layer);
        g_Layers->Add(record, record->IdentityKey());
    }

    /// The OBJECTIDs a feature layer draws.
    static std::vector<int32_t> Drawn(const gis::FeatureLayer& layer) { return testing::Drawn(layer); }

    /// The minute numbers a custom layer was told, in order.
    static std::vector<int32_t> Told(const PlacedTimeLayer& layer) {
        std::vector<int32_t> minutes;
        for (const platform::Variant& step : layer.current_steps) {
            minutes.push_back(modDateTime::DateToMinutes(platform::CDate(step)));
        }
        return minutes;
    }

    gis::Map& Map() { return *g_pApp->Document()->FocusMap(); }
    gis::Document& Document() { return *g_pApp->Document(); }
    int32_t Position() const { return form_->Slider1.Value(); }
    const std::string& CurrentLabel() const { return form_->lblTime[2].Caption(); }
    /// Every run of the change handler that applied a time ends with one table-of-contents refresh.
    int32_t Applications() { return Document().ContentsUpdateCount(); }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    std::unique_ptr<frmSlider> form_;
    std::vector<TimeData> tables_;
};

} // namespace chronova::testing
