#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "extension/category_install.h"
#include "extension/class_ids.h"
#include "extension/server.h"
#include "gis/class_factory.h"
#include "gis/component_categories.h"
#include "gis/layers/feature_layer.h"
#include "gis/map/application.h"
#include "gis/map/component_loader.h"
#include "host/error_log.h"
#include "host/mod_registry.h"
#include "platform/locale.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/message_service.h"
#include "platform/ui/modal_dialog_service.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "support/scratch_folder.h"
#include "timeapply/test_layers.h"

namespace chronova::testing {

inline constexpr std::string_view kProductKey = "Software\\Veltrane\\Chronova";

/// A host as the desktop starts it, over settings files of the test's own: the extension's classes registered
/// in the categories, the application loading what the categories name. Message boxes and modal dialogs are
/// recorded instead of shown.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        host::ErrorLog::ResetInstance();
        RegisterExtensionClasses(classes_, loop_);
        ASSERT_EQ(CategoryInstall().Install(true), 0);
    }
    void TearDown() override {
        if (app_) {
            app_->Shutdown();
        }
        app_.reset();
        ResetGlobals();
        host::ErrorLog::ResetInstance();
    }

    /// Starts the host (the extension loads switched off until the user switches it on) with a new document.
    gis::Application& StartHost() {
        app_ = gis::Application::Create(7);
        gis::LoadComponents(*app_, classes_, gis::ComponentCategoryManager());
        app_->NewDocument();
        return *app_;
    }

    void Enable(bool enabled) { app_->EnableExtension(kProgID_ChronovaExt, enabled); }

    gis::IExtensionConfig& Extension() {
        return dynamic_cast<gis::IExtensionConfig&>(*app_->FindExtensionByName(kProgID_ChronovaExt));
    }
    std::shared_ptr<gis::ICommand> Command() { return app_->FindCommand(gis::UID(kCLSID_TimeToolbar)); }
    std::shared_ptr<gis::DockableWindow> Window() {
        return app_->DockableWindowManager().GetDockableWindow(gis::UID(kProgID_TimeToolbar));
    }
    /// Whether the time command sits on the host's standard toolbar.
    bool CommandOnToolbar() {
        return app_->Document()
                   ->CommandBars()
                   .Find(gis::UID(gis::kStandardToolbarId))
                   ->Find(gis::UID(kProgID_TimeToolbar)) != nullptr;
    }

    /// A shapefile layer with one point per time, added to the focus map and registered as a time layer.
    std::shared_ptr<gis::FeatureLayer> AddTimeLayer(const std::vector<std::string>& times, const std::string& name) {
        data_.push_back(TimeTable(times, "Shapefile Feature Class"));
        data_.back().layer->Name(name);
        app_->Document()->FocusMap()->AddLayer(data_.back().layer);
        return data_.back().layer;
    }

    static bool WriteSetting(platform::Hive root, std::string_view key, std::string_view name, std::string_view text) {
        return modRegistry::RegistryWriteString(root, key, name, text);
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : messages_.MessageBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }

    ScratchFolder folder_;
    ScopedEnvironment user_{"CHRONOVA_USER_SETTINGS", (folder_ / "user.jsonl").string()};
    ScopedEnvironment machine_{"CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string()};
    ScopedEnvironment log_{"CHRONOVA_ERROR_LOG", (folder_ / "error.log").string()};
    platform::ScopedLocale us_{"en-US"};
    platform::ui::RecordingMessageService messages_;
    platform::ui::ScopedMessageService message_scope_{messages_};
    platform::ui::ScriptedModalDialogService dialogs_;
    platform::ui::ScopedModalDialogService dialog_scope_{dialogs_};
    platform::ui::EventLoop loop_;
    gis::ClassRegistry classes_;
    std::vector<TimeData> data_;
    std::shared_ptr<gis::Application> app_;
};

} // namespace chronova::testing
