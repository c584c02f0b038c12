#include "extension/time_toolbar.h"

#include <set>

#include "gis/map/map.h"
#include "host_fixture.h"
#include "layerconfig/frm_timed_layers.h"
#include "slider/frm_slider.h"
#include "slider/layer_dialog_service.h"
#include "support/drawn_features.h"
#include "support/error_number.h"

namespace chronova {
namespace {

using platform::Date;
using testing::Drawn;

const std::vector<std::string> kSixHourly = {"3/1/2008 0:00", "3/1/2008 6:00", "3/1/2008 12:00"};

class TimeToolbarTest : public testing::HostTest {
protected:
    /// A started host whose focus map holds two registered time layers, the window shown by enabling.
    void StartWithTimeLayers() {
        StartHost();
        first_ = AddTimeLayer(kSixHourly, "First");
        second_ = AddTimeLayer(kSixHourly, "Second");
        ASSERT_TRUE(g_pChronovaData->AddShapefileLayer(first_, "WHEN"));
        ASSERT_TRUE(g_pChronovaData->AddShapefileLayer(second_, "MINUTES"));
        g_pChronovaData->Update();
        Enable(true);
        g_pChronovaData->CurrentTime(Date::FromParts(2008, 3, 1, 6, 0));
    }

    bool Filtered() const { return first_->DefinitionExpression() != "" && second_->DefinitionExpression() != ""; }
    bool Unfiltered() const { return first_->DefinitionExpression() == "" && second_->DefinitionExpression() == ""; }

    std::shared_ptr<gis::FeatureLayer> first_;
    std::shared_ptr<gis::FeatureLayer> second_;
};

TEST_F(TimeToolbarTest, TheCommandIsEnabledInTheDataViewWithTheExtensionOnAndLayersToShow) {
    StartHost();
    Enable(true);
    EXPECT_FALSE(Command()->Enabled()); // the focus map is empty
    AddTimeLayer(kSixHourly, "Tracks");
    EXPECT_TRUE(Command()->Enabled());

    app_->Document()->ActivateLayoutView(true);
    EXPECT_FALSE(Command()->Enabled());
    app_->Document()->ActivateLayoutView(false);
    Enable(false);
    EXPECT_FALSE(Command()->Enabled());
    EXPECT_FALSE(app_->ClickCommand(gis::UID(kCLSID_TimeToolbar)));
}

TEST_F(TimeToolbarTest, TwoClicksShowThenHideTheWindowAndTheSecondLiftsEveryFilter) {
    StartWithTimeLayers();
    Window()->Show(false); // the user closed it
    app_->Document()->FocusMap()->Refresh();
    ASSERT_TRUE(Unfiltered());

    ASSERT_TRUE(app_->ClickCommand(gis::UID(kCLSID_TimeToolbar)));
    EXPECT_TRUE(Window()->IsVisible());
    EXPECT_TRUE(Command()->Checked());
    EXPECT_EQ(Command()->Message(), "Hide Time Toolbar");
    EXPECT_EQ(Drawn(*first_), std::vector<int32_t>{2});
    EXPECT_TRUE(Filtered());

    ASSERT_TRUE(app_->ClickCommand(gis::UID(kCLSID_TimeToolbar)));
    EXPECT_FALSE(Window()->IsVisible());
    EXPECT_FALSE(Command()->Checked());
    EXPECT_EQ(Command()->Message(), "Show Time Toolbar");
    EXPECT_TRUE(Unfiltered());
    EXPECT_EQ(Drawn(*second_), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(TimeToolbarTest, AWindowClosedOrOpenedByOtherMeansIsCaughtAtTheNextRefresh) {
    StartWithTimeLayers();
    EXPECT_TRUE(Filtered()); // the extension showed the window; the slider's refresh applied the time

    Window()->Show(false);
    EXPECT_TRUE(Filtered());
    app_->Document()->FocusMap()->PartialRefresh(gis::view_phase::kGeography, nullptr, std::nullopt);
    EXPECT_TRUE(Unfiltered());

    Window()->Show(true);
    app_->Document()->FocusMap()->Refresh();
    EXPECT_TRUE(Filtered());

    // A new document brings a new focus map, which the command follows.
    app_->NewDocument();
    const auto layer = AddTimeLayer(kSixHourly, "Later");
    ASSERT_TRUE(g_pChronovaData->AddShapefileLayer(layer, "WHEN"));
    g_pChronovaData->Update();
    g_pChronovaData->CurrentTime(Date::FromParts(2008, 3, 1, 6, 0));
    ASSERT_NE(layer->DefinitionExpression(), "");
    Window()->Show(false);
    app_->Document()->FocusMap()->Refresh();
    EXPECT_EQ(layer->DefinitionExpression(), "");
}

TEST_F(TimeToolbarTest, BothRolesShareOneRegistryThatTheWindowHandsOut) {
    StartHost();
    ASSERT_NE(g_pChronovaData, nullptr);
    const auto definition = Window()->Definition();
    EXPECT_EQ(Window()->UserData(), platform::ObjectRef(g_pChronovaData));
    EXPECT_EQ(definition->ChildHWND(), g_pChronovaData->hWnd());
    EXPECT_NE(definition->ChildHWND(), 0);
    EXPECT_EQ(Window()->Caption(), g_pChronovaData->Caption());
    EXPECT_EQ(Command()->Caption(), "Time Toolbar");
    EXPECT_EQ(Command()->Name(), "Chronova.TimeToolbar");
    EXPECT_EQ(definition->Name(), "Chronova.TimeToolbar");
    EXPECT_EQ(g_hWndOwner, 7);

    // A second command of the class finds the registry there and keeps it.
    const ChronovaData* registry = g_pChronovaData.get();
    app_->AddCommand(gis::UID("{00000000-0000-0000-0000-0000000000AA}"), std::make_shared<TimeToolbar>(loop_));
    EXPECT_EQ(g_pChronovaData.get(), registry);

    // Destroying the window ends the registry and the application reference.
    definition->OnDestroy();
    EXPECT_EQ(g_pChronovaData, nullptr);
    EXPECT_EQ(g_pApp, nullptr);
    EXPECT_EQ(definition->ChildHWND(), 0);
    EXPECT_EQ(definition->Caption(), "");
    EXPECT_EQ(Window()->UserData(), nullptr);
}

TEST_F(TimeToolbarTest, WithoutTheHostsApplicationNeitherRoleStartsAnything) {
    TimeToolbar toolbar(loop_);
    gis::ICommand& command = toolbar;
    gis::IDockableWindowDef& definition = toolbar;
    command.OnCreate(std::make_shared<gis::Map>());
    definition.OnCreate(nullptr);
    EXPECT_EQ(g_pChronovaData, nullptr);
    EXPECT_EQ(g_pApp, nullptr);

    // Created alone, before any window exists, the command has no window to show.
    command.OnCreate(gis::Application::Create());
    EXPECT_NE(g_pChronovaData, nullptr);
    EXPECT_EQ(command.Message(), "View Time Toolbar");
    EXPECT_FALSE(command.Checked());
    command.OnClick();
    EXPECT_EQ(command.Message(), "View Time Toolbar");
}

TEST_F(TimeToolbarTest, TheRegistrysCreatorInstallsTheLayerDialog) {
    SetLayerDialogOpener({});
    StartHost();
    bool shown = false;
    dialogs_.Then<frmTimedLayers>([&](frmTimedLayers&) { shown = true; });
    OpenLayerDialog();
    EXPECT_TRUE(shown);
    EXPECT_EQ(dialogs_.Pending(), 0u);
}

TEST_F(TimeToolbarTest, TheButtonPictureIs24By22InSixteenColours) {
    StartHost();
    const auto bitmap = Command()->Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width, 24);
    EXPECT_EQ(bitmap->Height, 22);
    ASSERT_EQ(bitmap->Pixels.size(), 24u * 22u);
    const std::set<uint32_t> colours(bitmap->Pixels.begin(), bitmap->Pixels.end());
    EXPECT_GE(colours.size(), 3u);
    EXPECT_LE(colours.size(), 16u);
    EXPECT_EQ(bitmap->Pixel(0, 0) >> 24, 0u);     // the corner lets the toolbar show through
    EXPECT_EQ(bitmap->Pixel(11, 7) >> 24, 0xFFu); // the clock's hub is drawn
    EXPECT_RAISES(bitmap->Pixel(24, 0), 9);
}

} // namespace
} // namespace chronova
