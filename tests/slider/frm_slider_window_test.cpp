// The slider form as a window: branding by the machine settings, the layout that follows the window's size, and
// the handlers of the time labels, the buttons and the logo.
#include "slider_fixture.h"

#include "datetime/date_time_picker.h"
#include "host/mod_registry.h"
#include "platform/desktop_opener.h"
#include "platform/settings_store.h"
#include "slider/layer_dialog_service.h"
#include "support/scratch_folder.h"

namespace chronova::testing {
namespace {

using platform::ui::kTwipsPerPixel;

class SliderWindowTest : public SliderTest {
protected:
    /// Loads the form again, so that it reads the machine settings written since.
    void Reload() {
        form_->Unload();
        form_->Load();
    }
    static void WriteMachine(std::string_view key, std::string_view name, std::string_view value) {
        ASSERT_TRUE(modRegistry::RegistryWriteString(platform::HKEY_LOCAL_MACHINE, key, name, value));
    }

    ScratchFolder folder_;
    ScopedEnvironment user_env_{"CHRONOVA_USER_SETTINGS", (folder_ / "user.jsonl").string()};
    ScopedEnvironment machine_env_{"CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string()};
};

TEST_F(SliderWindowTest, TheLogosShowUnlessModeIsOneInEitherMachineKey) {
    Reload();
    EXPECT_TRUE(form_->picPowered.Visible());
    EXPECT_TRUE(form_->picLogo.Visible());

    WriteMachine("SOFTWARE\\Veltrane Software", "Mode", "1");
    Reload();
    EXPECT_FALSE(form_->picPowered.Visible());
    EXPECT_FALSE(form_->picLogo.Visible());

    WriteMachine("SOFTWARE\\Veltrane Software", "Mode", "0");
    WriteMachine("Software\\Veltrane\\Chronova", "Mode", "1");
    Reload();
    EXPECT_FALSE(form_->picPowered.Visible());

    WriteMachine("Software\\Veltrane\\Chronova", "Mode", "2");
    Reload();
    EXPECT_TRUE(form_->picPowered.Visible());
}

TEST_F(SliderWindowTest, LayoutPutsTheBandUnderTheSliderTheFinishLabelRightAndTheLogoInTheCorner) {
    auto& form = *form_;
    const int32_t label_height = form.lblTime[0].Height();
    form.Picture1.Move(0, 0, 9000, 1800);
    // The first layout after loading leaves 50 twips above the slider, later ones the 5-pixel gap.
    EXPECT_EQ(form.Slider1.Top(), label_height + 50);
    form.Picture1.Width(12000);
    EXPECT_EQ(form.Slider1.Top(), label_height + 5 * kTwipsPerPixel);

    EXPECT_EQ(form.Slider1.Left(), 0);
    EXPECT_EQ(form.Slider1.Width(), 12000);
    EXPECT_EQ(form.picDayNightBands.Left(), form.Slider1.Left());
    EXPECT_EQ(form.picDayNightBands.Width(), form.Slider1.Width());
    EXPECT_EQ(form.picDayNightBands.Top(), form.Slider1.Top() + form.Slider1.Height());
    EXPECT_FALSE(form.picDayNight.Visible());
    EXPECT_EQ(form.fraCenterFrame.Top(), form.picDayNightBands.Top() + form.picDayNightBands.Height() + 10);
    EXPECT_EQ(form.fraCenterFrame.Left() * 2 + form.fraCenterFrame.Width(), 12000);
    EXPECT_EQ(form.lblTime[0].Left(), 0);
    EXPECT_EQ(form.lblTime[1].Left() + form.lblTime[1].Width(), 12000);
    EXPECT_EQ(form.picPowered.Left() + form.picPowered.Width(), 12000);
    EXPECT_EQ(form.picPowered.Top() + form.picPowered.Height(), 1800);

    // A window shrunk to nothing keeps the last layout.
    form.Picture1.Width(0);
    EXPECT_EQ(form.Slider1.Width(), 12000);
    EXPECT_EQ(form.lblTime[1].Left() + form.lblTime[1].Width(), 12000);
}

TEST_F(SliderWindowTest, ClickingATimeLabelPicksThatTimeAndCancellingLeavesIt) {
    AddTrack(March(1, 0), 25, 60);
    form_->Update();
    struct Picker : modDateTime::IDateTimePicker {
        explicit Picker(const bool& cancel) : cancel_(cancel) {}
        void ShowModal() override {
            modDateTime::Picker().bCancelled = cancel_;
            modDateTime::Picker().iHour = 6;
        }
        const bool& cancel_;
    };
    bool cancel = false;
    modDateTime::SetDateTimePickerFactory([&] { return std::make_unique<Picker>(cancel); });

    form_->lblTime[2].UserClick(); // current: 1 March 00:00 -> 06:00
    EXPECT_EQ(form_->CurrentTime(), MarchDate(1, 6));
    form_->lblTime[0].UserClick(); // start 00:00 -> 06:00
    EXPECT_EQ(form_->StartTime(), MarchDate(1, 6));

    cancel = true;
    const std::string finish = form_->lblTime[1].Caption();
    form_->lblTime[1].UserClick();
    EXPECT_EQ(form_->lblTime[1].Caption(), finish);
    modDateTime::ResetDateTimePicker();
}

TEST_F(SliderWindowTest, TheLogoOpensTheMakersLinkAndNothingWithoutOne) {
    platform::RecordingDesktopOpener opener;
    platform::ScopedDesktopOpener scope(opener);
    form_->picPowered.UserClick();
    EXPECT_TRUE(opener.Opened().empty());
    WriteMachine("Software\\Veltrane\\Chronova", "VeltraneLink", "https://example.org/chronova?a=1&b=2");
    form_->picPowered.UserClick();
    EXPECT_EQ(opener.Opened(), (std::vector<std::string>{"https://example.org/chronova?a=1&b=2"}));
}

TEST_F(SliderWindowTest, TheSelectLayersButtonRunsTheInstalledDialogAndReportsWhenThereIsNone) {
    int opened = 0;
    const auto previous = SetLayerDialogOpener([&] { ++opened; });
    form_->cmdSelectLayers.Press();
    EXPECT_EQ(opened, 1);
    SetLayerDialogOpener(nullptr);
    form_->cmdSelectLayers.Press();
    ASSERT_EQ(messages_.MessageBoxes().size(), 1U);
    EXPECT_NE(messages_.MessageBoxes()[0].text.find("cmdSelectLayers_Click"), std::string::npos);
    messages_.Clear();
    SetLayerDialogOpener(previous);
}

} // namespace
} // namespace chronova::testing
