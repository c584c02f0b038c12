#pragma once

#include "gis/layers/group_layer.h"
#include "gis/layers/layer.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "layerconfig/frm_timed_layers.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace chronova::testing {

/// A custom time layer of another component: hourly steps, fields it names itself, and optionally its own
/// speed and direction fields.
class CustomTimeLayer : public gis::LayerBase, public TimeLayer {
public:
    CustomTimeLayer(std::string name, std::vector<std::pair<std::string, int16_t>> fields)
        : gis::LayerBase(std::move(name)), fields_(std::move(fields)) {}

    std::string Path() override { return "/memory/" + Name() + ".custom"; }
    int32_t TimeStepCount() override { return 3; }
    platform::Variant TimeStep(int32_t lIndex) override {
        return platform::Variant(platform::Date::FromParts(2008, 3, 1, lIndex - 1, 0));
    }
    platform::Variant CurrentTimeStep() override { return current_; }
    void CurrentTimeStep(const platform::Variant& value) override { current_ = value; }
    int32_t FieldsCount() override { return static_cast<int32_t>(fields_.size()); }
    void Fields(int32_t lIndex, std::string& sName, int16_t& iType) override {
        sName = fields_.at(static_cast<size_t>(lIndex - 1)).first;
        iType = fields_.at(static_cast<size_t>(lIndex - 1)).second;
    }
    bool ShowPrevious() override { return show_previous; }
    void ShowPrevious(bool value) override { show_previous = value; }
    bool ForceVectors() override { return force_vectors; }
    void VectorFields(std::string& sSpeed, std::string& sDirection) override {
        sSpeed = "WIND_SPEED";
        sDirection = "WIND_DIR";
    }

    bool show_previous = false;
    bool force_vectors = false;

private:
    std::vector<std::pair<std::string, int16_t>> fields_;
    platform::Variant current_;
};

/// A host application with the extension and the registry, an empty focus map, and the dialog; message boxes
/// are recorded instead of shown.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        RegisterTimeLayerInterface();
        g_pApp = gis::Application::Create();
        g_pApp->AddExtension(std::make_shared<gis::Extension>("Chronova.ChronovaExt"));
        g_pChronovaData = std::make_shared<ChronovaData>(loop_);
    }
    void TearDown() override {
        if (dialog_.Loaded()) {
            dialog_.Unload();
        }
        ResetGlobals();
    }

    ChronovaData& Registry() { return *g_pChronovaData; }
    gis::Map& FocusMap() { return *g_pApp->Document()->FocusMap(); }
    static int32_t RegisteredCount() { return g_Layers ? g_Layers->Count() : 0; }

    /// Opens the dialog as the slider's button does; the test then acts as the user.
    frmTimedLayers& Open() {
        dialog_.Load();
        return dialog_;
    }

    platform::ui::TreeNodePtr Node(const gis::ILayer& layer) {
        return dialog_.tv1.Nodes().Find("L" + std::to_string(static_cast<int32_t>(layer.LayerId())));
    }
    /// The user clicks a layer's node.
    void Click(const gis::ILayer& layer) { dialog_.tv1.UserClick(Node(layer)); }
    /// The user ticks or unticks a layer's check box.
    void Check(const gis::ILayer& layer) { dialog_.tv1.UserCheck(Node(layer)); }
    /// The user picks an entry of a drop-down list by its text.
    static void Pick(platform::ui::ComboBox& combo, const std::string& text) {
        for (int32_t k = 0; k < combo.ListCount(); ++k) {
            if (combo.List(k) == text) {
                combo.ListIndex(k);
                return;
            }
        }
        ADD_FAILURE() << "no entry " << text;
    }
    static std::vector<std::string> Entries(const platform::ui::ComboBox& combo) {
        std::vector<std::string> entries;
        for (int32_t k = 0; k < combo.ListCount(); ++k) {
            entries.push_back(combo.List(k));
        }
        return entries;
    }
    /// The user presses "Done".
    void Done() { dialog_.cmdButton[0].Press(); }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : messages_.MessageBoxes()) {
            texts.push_back(box.title + ": " + box.text);
        }
        return texts;
    }

    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::EventLoop loop_;
    frmTimedLayers dialog_;
};

} // namespace chronova::testing
