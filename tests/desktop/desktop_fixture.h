#pragma once

// The desktop window over settings files of the test's own: Chronova registered in the host's categories and
// switched on as a user would have left it, message boxes and modal dialogs recorded instead of shown, the sample
// data generated once per program, and a small project of three red dots for pixel checks.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "apps/desktop/main_window.h"
#include "extension/category_install.h"
#include "extension/class_ids.h"
#include "extension/server.h"
#include "generator/sample_data.h"
#include "gis/map/extension_states.h"
#include "host/error_log.h"
#include "platform/locale.h"
#include "platform/ui/message_service.h"
#include "platform/ui/modal_dialog_service.h"
#include "registry/globals.h"
#include "support/gdal_fixtures.h"
#include "support/scratch_folder.h"

namespace chronova::testing {

class DesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!samples_) {
            samples_ = std::make_unique<ScratchFolder>(); // kept for the whole program: generating takes a while
            sample_data::GenerateSampleData(samples_->Path());
        }
    }

    void SetUp() override {
        ResetGlobals();
        host::ErrorLog::ResetInstance();
        Register(true);
        gis::RememberExtensionState(kProgID_ChronovaExt, gis::ExtensionState::Enabled);
    }
    void TearDown() override {
        window_.reset();
        ResetGlobals();
        host::ErrorLog::ResetInstance();
    }

    static void Register(bool install) {
        RegisterExtensionProgIds();
        ASSERT_EQ(CategoryInstall().Install(install), 0);
    }

    /// A new window, shown (offscreen) and laid out.
    desktop::MainWindow& OpenWindow() {
        window_.reset();
        window_ = std::make_unique<desktop::MainWindow>(desktop::DialogServices::Installed);
        window_->resize(1000, 700);
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        return *window_;
    }

    /// A program of the build (chronova, chronova-desktop).
    static std::filesystem::path Tool(const std::string& name) {
        const char* tools = std::getenv("CHRONOVA_TEST_TOOLS");
        return std::filesystem::path(tools != nullptr && *tools != '\0' ? tools : CHRONOVA_TOOLS_DIR) / name;
    }

    static std::filesystem::path DemoProject() { return samples_->Path() / sample_data::kDemoProjectFileName; }
    static std::filesystem::path SampleFile(const std::string& name) { return samples_->Path() / name; }

    /// Three points in a row at 00:00, 01:00 and 02:00 on 1 March 2008, drawn as large red squares.
    std::filesystem::path WriteDotsProject() {
        FixtureLayer dots{"dots", wkbPoint, {{"ID", OFTInteger}, {"WHEN", OFTString, OFSTNone, 20}}, {}};
        for (int i = 0; i < 3; ++i) {
            const std::string dtg = "010" + std::to_string(i) + "00Z MAR 2008";
            dots.rows.push_back(PointRow(i * 10.0, 0.0, {int64_t{i + 1}, dtg}));
        }
        WriteShapefile(folder_.Path(), dots);
        std::filesystem::path file = folder_ / "dots.chronova.json";
        std::ofstream(file) << R"({
  "chronova_project": 1,
  "map": { "extent": [-5, -5, 25, 5], "background": "#ffffff" },
  "layers": [ { "name": "Dots", "kind": "feature", "source": { "workspace": ".", "dataset": "dots" },
                "symbology": { "color": "#ff0000", "size": 12, "marker": "square" },
                "time": { "field": "WHEN" } } ]
})";
        return file;
    }

    static int RedPixels(const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor color = image.pixelColor(x, y);
                count += color.red() > 200 && color.green() < 60 && color.blue() < 60 ? 1 : 0;
            }
        }
        return count;
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : messages_.MessageBoxes()) {
            texts.push_back(box.title + ": " + box.text);
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
    std::unique_ptr<desktop::MainWindow> window_;

    static inline std::unique_ptr<ScratchFolder> samples_;
};

} // namespace chronova::testing
