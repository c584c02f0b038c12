// The display options dialog driven as a user would, opened from a slider with registered layers: the interval
// in days, hours and minutes, "Calculate", the settings put in force and stored for the next process, "Cancel"
// and the close box, and what the dialog does to the pointer and the owner of messages while it is open.
#include "slider/frm_display_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/error_handling.h"
#include "platform/settings_store.h"
#include "platform/ui/modal_dialog_service.h"
#include "platform/ui/screen.h"
#include "records/time_codes.h"
#include "slider/slider_fixture.h"
#include "support/scratch_folder.h"

namespace chronova {
namespace {

using platform::ui::CheckBox;
using platform::ui::FormShow;
using testing::March;

constexpr std::string_view kSettingsKey = "Software\\Veltrane\\Chronova";

class DisplayOptionsDialogTest : public testing::SliderTest {
protected:
    using UserAction = std::function<void(frmDisplayOptions&)>;

    /// Opens the dialog as the slider's "Display Options..." button does: the slider's step goes in, the dialog
    /// runs modally, and the slider takes the interval back, changed or not.
    /// The user opens the dialog with the slider's button.
    void OpenFromSlider(UserAction user) {
        dialogs_.Then<frmDisplayOptions>(std::move(user));
        form_->cmdDisplayOptions.Press();
    }

    void Open(UserAction user) {
        dialogs_.Then<frmDisplayOptions>(std::move(user));
        dialog_.Show(FormShow::Modal);
    }

    /// The three interval boxes as "days/hours/minutes".
    static std::string Boxes(const frmDisplayOptions& dialog) {
        return dialog.txtInterval[0].Text() + "/" + dialog.txtInterval[1].Text() + "/" + dialog.txtInterval[2].Text();
    }

    /// The boxes as the dialog shows them when opened on an interval.
    std::string BoxesFor(int32_t interval) {
        g_lDisplayInterval = interval;
        std::string boxes;
        Open([&](frmDisplayOptions& dialog) { boxes = Boxes(dialog); });
        return boxes;
    }

    /// The interval the dialog takes from the three boxes on "Done".
    int32_t IntervalOf(const std::string& days, const std::string& hours, const std::string& minutes) {
        Open([&](frmDisplayOptions& dialog) {
            dialog.txtInterval[0].UserType(days);
            dialog.txtInterval[1].UserType(hours);
            dialog.txtInterval[2].UserType(minutes);
            dialog.cmdButton[0].Press();
        });
        return g_lDisplayInterval;
    }

    /// A value as another process finds it: through a second store over the same files.
    std::optional<std::string> Stored(std::string_view name) const {
        const platform::SettingsStore other(folder_ / "user.jsonl", folder_ / "machine.jsonl");
        const auto value = other.ReadValue(platform::HKEY_CURRENT_USER, kSettingsKey, name);
        return value ? std::optional<std::string>(value->text) : std::nullopt;
    }

    testing::ScratchFolder folder_;
    testing::ScopedEnvironment user_env_{"CHRONOVA_USER_SETTINGS", (folder_ / "user.jsonl").string()};
    testing::ScopedEnvironment machine_env_{"CHRONOVA_MACHINE_SETTINGS", (folder_ / "machine.jsonl").string()};
    platform::ui::ScriptedModalDialogService dialogs_;
    platform::ui::ScopedModalDialogService dialog_scope_{dialogs_};
    frmDisplayOptions dialog_;
};

TEST_F(DisplayOptionsDialogTest, IntervalBoxesShowDaysHoursAndMinutesAndGiveWholeMinutesBack) {
    EXPECT_EQ(IntervalOf("1", "2", "30"), 1590);
    EXPECT_EQ(BoxesFor(1590), "1/2/30");
    EXPECT_EQ(IntervalOf("", "", "90"), 90);
    EXPECT_EQ(BoxesFor(90), "0/1/30");
    EXPECT_EQ(BoxesFor(-1501), "-1/-1/-1") << "parts truncate toward zero";
    // Each step rounds halves to even: 1.5 minutes become 2 before 0.025 hours (1.5 minutes) are added, so 3.5
    // gives 4 where rounding once (3.0) would give 3.
    EXPECT_EQ(IntervalOf("0", "0.025", "1.5"), 4);
    EXPECT_EQ(IntervalOf("0", "0", "2.5"), 2);
    EXPECT_EQ(IntervalOf("2 days", "x", "15min"), 2895) << "a box counts by its leading number";

    // Too many minutes for the interval: reported, the interval stays, the dialog still closes.
    EXPECT_EQ(IntervalOf("2000000", "0", "0"), 2895);
    EXPECT_FALSE(dialog_.Loaded());
    const auto boxes = messages_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_THAT(boxes[0].text, ::testing::HasSubstr("UpdateInterval  frmDisplayOptions"));
    EXPECT_EQ(boxes[0].owner_window, dialog_.hWnd()) << "messages belong to the open dialog";
    messages_.Clear();
}

TEST_F(DisplayOptionsDialogTest, OpensOnTheSettingsInForceAndTheOptionsGovernTheirControls) {
    g_bFillGaps = true;
    g_bUpdateTOC = false;
    g_bLoopAnimation = true;
    g_iDisplayType = kDisplayUniquePoints;
    Open([](frmDisplayOptions& dialog) {
        EXPECT_EQ(dialog.chkFillGaps.Value(), CheckBox::kChecked);
        EXPECT_EQ(dialog.chkUpdateTOC.Value(), CheckBox::kUnchecked);
        EXPECT_EQ(dialog.chkLoop.Value(), CheckBox::kChecked);
        EXPECT_TRUE(dialog.optDisplayType[1].Value());
        EXPECT_FALSE(dialog.txtInterval[1].Enabled());
        EXPECT_FALSE(dialog.cmdCalc.Enabled());
        dialog.optDisplayType[0].UserClick();
        EXPECT_FALSE(dialog.optDisplayType[1].Value());
        EXPECT_TRUE(dialog.txtInterval[1].Enabled());
        EXPECT_TRUE(dialog.cmdCalc.Enabled());
    });

    g_bFillGaps = false;
    g_bUpdateTOC = true;
    g_iDisplayType = kDisplayInterval;
    Open([](frmDisplayOptions& dialog) {
        EXPECT_TRUE(dialog.optDisplayType[0].Value());
        EXPECT_EQ(dialog.chkUpdateTOC.Value(), CheckBox::kChecked);
        EXPECT_FALSE(dialog.chkUpdateTOC.Enabled()) << "only fill-gaps makes it matter";
        dialog.chkFillGaps.UserClick();
        EXPECT_TRUE(dialog.chkUpdateTOC.Enabled());
        dialog.chkFillGaps.UserClick();
        EXPECT_EQ(dialog.chkUpdateTOC.Value(), CheckBox::kChecked) << "the check mark stays";
        dialog.cmdButton[0].Press();
    });
    EXPECT_TRUE(g_bUpdateTOC) << "and so does the stored value";
}

TEST_F(DisplayOptionsDialogTest, DoneStoresTheFourSettingsForTheNextProcessUnderTheHourglass) {
    AddTrack(March(1, 0), 5, 60);
    std::vector<int32_t> shapes;
    const platform::ScopedConnection watch =
        platform::ui::TheScreen().PointerChanged.Connect([&](int32_t shape) { shapes.push_back(shape); });
    Open([](frmDisplayOptions& dialog) {
        dialog.optDisplayType[1].UserClick();
        dialog.chkFillGaps.UserClick();
        dialog.chkUpdateTOC.UserClick();
        dialog.chkLoop.UserClick();
        dialog.cmdButton[0].Press();
    });
    EXPECT_EQ(shapes, (std::vector<int32_t>{static_cast<int32_t>(platform::ui::MousePointerShape::Hourglass), 0}));
    EXPECT_EQ(g_iDisplayType, kDisplayUniquePoints);
    EXPECT_TRUE(g_bFillGaps);
    EXPECT_FALSE(g_bUpdateTOC);
    EXPECT_TRUE(g_bLoopAnimation);
    EXPECT_EQ(Stored("Display_Type"), "1");
    EXPECT_EQ(Stored("Fill_Gaps"), "True");
    EXPECT_EQ(Stored("UpdateTOC"), "False");
    EXPECT_EQ(Stored("Loop_Animation"), "True");
}

TEST_F(DisplayOptionsDialogTest, CancelAndTheCloseBoxLeaveEverySettingAsItWas) {
    AddTrack(March(1, 0), 5, 60);
    g_iDisplayType = kDisplayUniquePoints;
    g_lDisplayInterval = 4;
    const UserAction change_everything = [](frmDisplayOptions& dialog) {
        dialog.optDisplayType[0].UserClick();
        dialog.cmdCalc.Press();
        EXPECT_EQ(g_iDisplayType, kDisplayInterval) << "Calculate works on the settings in force";
        EXPECT_EQ(g_lDisplayInterval, 60);
        dialog.chkFillGaps.UserClick();
        dialog.chkLoop.UserClick();
        dialog.txtInterval[0].UserType("3");
    };
    Open([&](frmDisplayOptions& dialog) {
        change_everything(dialog);
        dialog.cmdButton[1].Press();
    });
    EXPECT_EQ(g_iDisplayType, kDisplayUniquePoints);
    EXPECT_EQ(g_lDisplayInterval, 4);
    EXPECT_FALSE(g_bFillGaps);
    EXPECT_FALSE(g_bLoopAnimation);

    Open(change_everything); // the close box
    EXPECT_EQ(g_iDisplayType, kDisplayUniquePoints);
    EXPECT_EQ(g_lDisplayInterval, 4);
    EXPECT_EQ(Stored("Display_Type"), std::nullopt) << "nothing was stored";
}

TEST_F(DisplayOptionsDialogTest, CalculateProposesTheSmallestLayerIntervalFoundOnAFixedInterval) {
    AddTrack(March(1, 0), 5, 60, "Hourly");
    const Track every_45 = AddTrack(March(1, 0), 5, 45, "Every 45 minutes");
    // Found in unique-points mode, a record's interval is its last index, not a step width.
    g_iDisplayType = kDisplayUniquePoints;
    g_dteUniqueTimes.assign(1, platform::Date());
    ASSERT_TRUE(ArcObjects::RetrieveTimeInfo(every_45.record.get()));
    ASSERT_EQ(every_45.record->Interval, 4);

    Open([](frmDisplayOptions& dialog) {
        dialog.optDisplayType[0].UserClick();
        dialog.cmdCalc.Press();
        EXPECT_EQ(Boxes(dialog), "0/0/45");
        dialog.cmdButton[0].Press();
    });
    EXPECT_EQ(every_45.record->Interval, 45);
    EXPECT_EQ(g_lDisplayInterval, 45);

    g_Layers->Clear();
    Open([](frmDisplayOptions& dialog) {
        dialog.cmdCalc.Press();
        EXPECT_EQ(Boxes(dialog), "0/0/-1") << "no layers";
    });
}

TEST_F(DisplayOptionsDialogTest, ClosingReappliesTheIntervalToTheSliderAndKeepsTheCurrentTime) {
    AddTrack(March(1, 0), 25, 60);
    form_->Update();
    form_->GoToPosition(4);
    const std::string four_oclock = CurrentLabel();

    OpenFromSlider([](frmDisplayOptions& dialog) { dialog.cmdButton[0].Press(); });
    EXPECT_EQ(form_->GetInterval(), 60);
    EXPECT_EQ(Position(), 4);
    EXPECT_EQ(CurrentLabel(), four_oclock);

    OpenFromSlider([](frmDisplayOptions& dialog) {
        dialog.txtInterval[1].UserType("2");
        dialog.cmdButton[0].Press();
    });
    EXPECT_EQ(form_->Slider1.Max(), 12);
    EXPECT_EQ(Position(), 2);
    EXPECT_EQ(CurrentLabel(), four_oclock);
    EXPECT_EQ(form_->Label1[2].Caption(), " Interval: 2 hrs 0 mins");
}

TEST_F(DisplayOptionsDialogTest, UniqueDataPointsRebuildTheSharedStepListAndTheSliderSaysSo) {
    AddTrack(March(1, 0), 3, 60, "Hourly");
    AddTrack(March(1, 1), 3, 30, "Half-hourly");
    form_->Update();
    OpenFromSlider([](frmDisplayOptions& dialog) {
        dialog.optDisplayType[1].UserClick();
        dialog.cmdButton[0].Press();
    });
    // 00:00, 01:00, 01:30, 02:00: the two layers share 01:00 and 02:00.
    EXPECT_EQ(g_dteUniqueTimes.size(), 4U);
    EXPECT_EQ(form_->Label1[2].Caption(), "Unique Data Points");
    EXPECT_EQ(form_->GetInterval(), 3);
}

TEST_F(DisplayOptionsDialogTest, OpenDialogOwnsMessagesIsCentredAndBelongsToTheHostWindow) {
    g_hWndOwner = 0x55;
    Open([&](frmDisplayOptions& dialog) {
        EXPECT_EQ(g_hWndOwner, dialog.hWnd());
        EXPECT_EQ(dialog.Window.OwnerWindow(), g_pApp->hWnd());
        EXPECT_EQ(dialog.Window.Top(), (platform::ui::DialogScreen().height - dialog.Window.Height()) / 2);
        dialog.cmdButton[0].Press();
    });
    EXPECT_EQ(g_hWndOwner, 0x55);
    Open([](frmDisplayOptions&) {});
    EXPECT_EQ(g_hWndOwner, 0x55) << "also after the close box";
}

} // namespace
} // namespace chronova
