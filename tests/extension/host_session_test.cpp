// The host driven as a user drives it: start-up finds the extension through the categories, the user switches it
// on, the command shows and hides the slider window, and what lasts is there again in the next session, also in
// another process.

#include <cstdio>
#include <filesystem>
#include <memory>

#include "datetime/calendar_form.h"
#include "datetime/date_time_picker.h"
#include "gis/host_errors.h"
#include "host_fixture.h"
#include "layerconfig/frm_timed_layers.h"
#include "platform/ui/modal_dialog_service.h"
#include "records/process_state.h"
#include "slider/frm_slider.h"
#include "slider/layer_dialog_service.h"
#include "support/drawn_features.h"

namespace chronova {
namespace {

namespace fs = std::filesystem;
using platform::Date;
using testing::Drawn;

// The second-process tool, found where CTest says or beside this test program's build folder.
fs::path ToolPath() {
    if (const char* folder = std::getenv("CHRONOVA_TEST_TOOLS"); folder != nullptr && *folder != '\0') {
        return fs::path(folder) / "host_session_tool";
    }
    return fs::read_symlink("/proc/self/exe").parent_path() / ".." / "bin" / "host_session_tool";
}

// Runs a session in another process (with this process's environment) and returns what it reported.
std::string RunSession(const std::string& actions) {
    const std::string command = "'" + ToolPath().string() + "' " + actions;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        output += buffer;
    }
    return output;
}

class HostSessionTest : public testing::HostTest {};

TEST_F(HostSessionTest, AUserSwitchesTheExtensionOnAndUsesTheCommand) {
    StartHost();
    ASSERT_NE(app_->FindExtensionByName("Chronova.ChronovaExt"), nullptr);
    ASSERT_NE(Command(), nullptr);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->UserData(), platform::ObjectRef(g_pChronovaData));
    EXPECT_FALSE(CommandOnToolbar());

    const auto tracks = AddTimeLayer({"3/1/2008 0:00", "3/1/2008 6:00", "3/1/2008 12:00"}, "Tracks");
    ASSERT_TRUE(g_pChronovaData->AddShapefileLayer(tracks, "WHEN"));
    g_pChronovaData->Update();
    EXPECT_FALSE(Command()->Enabled());

    Enable(true);
    EXPECT_TRUE(CommandOnToolbar());
    EXPECT_TRUE(Window()->IsVisible());
    EXPECT_TRUE(Command()->Enabled());
    g_pChronovaData->CurrentTime(Date::FromParts(2008, 3, 1, 6, 0));
    EXPECT_EQ(Drawn(*tracks), std::vector<int32_t>{2});

    ASSERT_TRUE(app_->ClickCommand(gis::UID(kCLSID_TimeToolbar)));
    EXPECT_FALSE(Window()->IsVisible());
    EXPECT_EQ(Drawn(*tracks), (std::vector<int32_t>{1, 2, 3}));

    // The next session starts switched on, with the command and the window in place.
    app_->Shutdown();
    EXPECT_EQ(g_pChronovaData, nullptr);
    StartHost();
    EXPECT_EQ(Extension().State(), 1);
    EXPECT_TRUE(CommandOnToolbar());
    EXPECT_TRUE(Window()->IsVisible());
}

TEST_F(HostSessionTest, TheSliderWindowOpensTheLayerDialogAndThePickerOfTheRunningHost) {
    StartHost();
    Enable(true);
    messages_.Clear(); // the one-time hint of a first session
    const auto tracks = AddTimeLayer({"3/1/2008 0:00", "3/1/2008 6:00", "3/1/2008 12:00"}, "Tracks");
    platform::ui::ScriptedModalDialogService dialogs;
    platform::ui::ScopedModalDialogService scope(dialogs);
    dialogs.Then<frmTimedLayers>([](frmTimedLayers& dialog) {
        dialog.tv1.UserCheck(dialog.tv1.Nodes().Item(1));
        dialog.cmdButton[0].Press();
    });
    frmSlider& slider = *g_pChronovaData->Slider();
    slider.cmdSelectLayers.Press();
    ASSERT_TRUE(g_pChronovaData->FindLayer(tracks));

    // The start label opens the picker, owned by the host's main window; the user sets 03:00.
    dialogs.Then<Calendarform>([&](Calendarform& picker) {
        EXPECT_EQ(picker.Window.OwnerWindow(), app_->hWnd());
        picker.HourControl.UserFocus();
        picker.HourControl.UserEnter(3);
        picker.Ok.Press();
    });
    slider.lblTime[0].UserClick();
    EXPECT_EQ(g_pChronovaData->StartTime(), Date::FromParts(2008, 3, 1, 3, 0));
    EXPECT_EQ(dialogs.Shown().size(), 2U);
    for (const auto& box : messages_.MessageBoxes()) {
        ADD_FAILURE() << box.title << ": " << box.text;
    }
    SetLayerDialogOpener({});
    modDateTime::ResetDateTimePicker();
}

TEST_F(HostSessionTest, AClassTheCategoriesNameButNobodyServesIsReportedAndTheRestLoads) {
    gis::ComponentCategoryManager categories;
    categories.SetupObject("gone", gis::UID("{00000000-0000-0000-0000-00000000F001}"),
                           gis::UID(gis::catid::kExtensions), true);
    categories.SetupObject("here", gis::UID(kCLSID_ChronovaExt), gis::UID(gis::catid::kCommands), true);
    gis::ClearHostErrors();
    StartHost();
    const auto errors = gis::RecentHostErrors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("{00000000-0000-0000-0000-00000000F001}"), std::string::npos);
    EXPECT_NE(errors[1].find("is not a command"), std::string::npos);
    EXPECT_EQ(app_->StatusBar().Message(0), errors[1]);
    EXPECT_NE(app_->FindExtensionByName(kProgID_ChronovaExt), nullptr);
    EXPECT_NE(Command(), nullptr);
}

TEST_F(HostSessionTest, TheHintAppearsOncePerUserAcrossProcesses) {
    ASSERT_TRUE(fs::exists(ToolPath())) << ToolPath();
    const std::string first = RunSession("");
    EXPECT_NE(first.find("message: Chronova Extension Must Be Enabled Under Tools->Extensions\n"), std::string::npos)
        << first;
    EXPECT_NE(first.find("state: 2\ntoolbar: no\nwindow: hidden\n"), std::string::npos) << first;

    EXPECT_EQ(RunSession("enable disable").find("message:"), std::string::npos);

    // Nor in this process, which has not shown it yet.
    StartHost();
    Enable(false);
    EXPECT_TRUE(messages_.MessageBoxes().empty());
}

TEST_F(HostSessionTest, AnotherProcessLoadsTheSettingsThisOneStored) {
    ASSERT_TRUE(fs::exists(ToolPath())) << ToolPath();
    ASSERT_TRUE(WriteSetting(platform::HKEY_LOCAL_MACHINE, testing::kProductKey, "Mode", "1"));
    ASSERT_TRUE(WriteSetting(platform::HKEY_CURRENT_USER, testing::kProductKey, "Display_Type", "1"));
    ASSERT_TRUE(WriteSetting(platform::HKEY_CURRENT_USER, testing::kProductKey, "Loop_Animation", "True"));
    const std::string report = RunSession("enable");
    EXPECT_NE(report.find("state: 1\ntoolbar: yes\nwindow: shown\ndisplay: 1 1 0 1\n"), std::string::npos) << report;
}

} // namespace
} // namespace chronova
