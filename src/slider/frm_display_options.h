#pragma once

#include "platform/event.h"
#include "platform/ui/check_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/option_button.h"
#include "platform/ui/text_box.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace chronova {

/// The display options dialog, opened modally by the slider: how the slider steps (a fixed interval in days,
/// hours and minutes, or one position per distinct time step), the fill-gaps and table-of-contents settings and
/// looped playback. The interval is exchanged with the slider through g_lDisplayInterval; "Done" puts the
/// settings in force, finds every layer's steps again and stores the settings for the user, "Cancel" (or
/// closing the window) leaves everything as it was. The form is headless; the desktop window shows its
/// controls through widgets.
class frmDisplayOptions : public platform::ui::Form {
public:
    frmDisplayOptions();
    frmDisplayOptions(const frmDisplayOptions&) = delete;
    frmDisplayOptions& operator=(const frmDisplayOptions&) = delete;
    ~frmDisplayOptions() override;

    // Controls, named as the form names them.
    platform::ui::DialogWindow Window;
    /// "Use Fixed Interval" (0) and "Show All Unique Data Points" (1).
    std::array<platform::ui::OptionButton, 2> optDisplayType;
    /// Days (0), hours (1) and minutes (2) of the fixed interval.
    std::array<platform::ui::TextBox, 3> txtInterval;
    /// "Days", "Hrs" and "Min" beside the interval boxes.
    std::array<platform::ui::Label, 3> lblInterval;
    platform::ui::CommandButton cmdCalc;
    platform::ui::CheckBox chkFillGaps;
    /// What "Display Closest Previous Time Step" means.
    platform::ui::Label lblFillGaps;
    platform::ui::CheckBox chkUpdateTOC;
    platform::ui::Frame fraPlayback;
    platform::ui::CheckBox chkLoop;
    /// "Done" (0) and "Cancel" (1).
    std::array<platform::ui::CommandButton, 2> cmdButton;

    /// g_lDisplayInterval = the whole minutes of the three boxes.
    void UpdateInterval();
    /// Shows g_lDisplayInterval in the three boxes as days, hours and minutes.
    void SetInterval();

    // Handlers, run by the controls' events.
    void optDisplayType_Click(int16_t Index);
    void chkFillGaps_Click();
    /// Finds every layer's steps on a fixed interval and proposes the smallest layer interval.
    void cmdCalc_Click();
    void cmdButton_Click(int16_t Index);

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    static constexpr std::string_view kModule = "frmDisplayOptions";

    void DesignWindow();
    void ConnectControls();
    /// "Done": the settings in force, the steps found again, the settings stored, the interval taken.
    void Accept();
    /// Puts back the display type and interval the dialog opened with.
    void RestoreOpeningValues();
    static void WriteSettings();

    int32_t lPrevOwner = 0;
    int16_t iPrevDisplayType = 0;
    int32_t lPrevInterval = 0;
    bool bClosedByButton = false;
    std::vector<platform::ScopedConnection> connections_;
};

} // namespace chronova
