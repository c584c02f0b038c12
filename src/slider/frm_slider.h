#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/calendar_interval.h"
#include "platform/event.h"
#include "platform/ole_date.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/command_button.h"
#include "platform/ui/event_loop.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/picture_box.h"
#include "platform/ui/slider.h"
#include "platform/ui/timer.h"
#include "platform/ui/toolbar.h"
#include "slider/axis_state.h"

namespace chronova {

namespace gis {
class ILayer;
} // namespace gis

class LayerData;
class LayerSpanMerge;
class TimeAxis;

/// The slider form: the time axis of the whole system (a slider whose positions stand for time steps, the
/// start, finish and current time labels, the range chooser and the interval label) and the playback tools
/// that step and animate it. Every change of the slider position applies its time to the registered layers.
/// The form is headless; the desktop window shows its controls through widgets.
class frmSlider : public platform::ui::Form {
public:
    /// A form whose timers run on the loop; the loop must outlive the form.
    explicit frmSlider(platform::ui::EventLoop& loop);
    frmSlider(const frmSlider&) = delete;
    frmSlider& operator=(const frmSlider&) = delete;
    ~frmSlider();

    // Controls, named as the form names them.
    platform::ui::PictureBox Picture1;
    platform::ui::Slider Slider1;
    /// Start (0), finish (1) and current (2) time; their captions store the axis times.
    std::array<platform::ui::Label, 3> lblTime;
    /// Only Label1(2), the interval text, is used; the others are static captions.
    std::array<platform::ui::Label, 3> Label1;
    platform::ui::ComboBox cboLayers;
    platform::ui::Toolbar tb1;
    platform::ui::Timer Timer1;
    platform::ui::Timer Timer2;
    platform::ui::PictureBox picDayNightBands;
    // The window: the buttons under the slider, the frame that centres them, and the maker's logos.
    platform::ui::CommandButton cmdSelectLayers;
    platform::ui::CommandButton cmdDisplayOptions;
    platform::ui::Frame fraCenterFrame;
    /// Always hidden; the band is drawn on picDayNightBands.
    platform::ui::PictureBox picDayNight;
    platform::ui::PictureBox picLogo;
    platform::ui::PictureBox picPowered;

    // The time axis.
    /// Rebuilds the axis from the registered time layers.
    void Update();
    /// Empties the axis.
    void Clear();
    /// Sets the slider's maximum and every layer's StartPos/FinishPos from the axis.
    void SetMax();
    /// Sets the axis step (minutes, or the highest unique-step index) and the interval label.
    void SetInterval(int32_t lNewInterval);
    int32_t GetInterval();
    /// Widens the step so that the axis has at most 32767 positions; false while locked or not valid.
    bool AdjustInterval();
    int32_t GetTimeRangeLong();
    int32_t GetTimeRange(std::string_view sStart, std::string_view sFinish);
    /// Moves the slider to the time of the current label.
    void SetChronova();
    int32_t GetCurrentSliderTime();
    void SetCurrentSliderTime(int32_t lTime);
    /// The slider position of a date; -1 while the axis is not valid.
    int16_t GetTickPosition(platform::Date dteTime);
    /// Draws the day and night band under the slider for the axis.
    void DrawDayNight();

    // Properties that the registry forwards to its automation clients.
    platform::Date StartTime();
    void StartTime(platform::Date value);
    platform::Date FinishTime();
    void FinishTime(platform::Date value);
    platform::Date CurrentTime();
    void CurrentTime(platform::Date value);
    /// The step in minutes, or with a calendar unit the number of months or years per step.
    int32_t Interval();
    /// A value >= 0 is kept by later rebuilds; a negative value sets -value without that promise. With a calendar
    /// unit it sets the number of months or years per step (at least 1).
    void Interval(int32_t value);
    /// The unit of Interval as a date-add code: "n" minutes (the default), "m" months or "yyyy" years.
    std::string IntervalUnit() const;
    /// Sets the unit; a calendar unit steps from the start by whole months or years and is kept across rebuilds. Raises
    /// 5 for another code. Switching to a calendar unit starts at one unit per step.
    void IntervalUnit(std::string_view code);
    /// The interval positions step by, in its unit (minutes while no calendar unit is set).
    modDateTime::CalendarInterval StepInterval() const;
    /// The time one slider interval after minutes, calendar aware: the end of a window of one step.
    int32_t TimeAfterInterval(int32_t minutes) const;
    /// A strftime-like format for the time labels (see modDateTime::FormatMinutes); empty keeps the classic labels,
    /// or with a calendar unit labels that follow the step ("2005", "May 2005").
    const std::string& LabelFormat() const noexcept { return sLabelFormat; }
    void LabelFormat(std::string_view format);
    /// The layer whose range the axis shows; null for "Default" or no selection.
    std::shared_ptr<gis::ILayer> TimeRange();
    /// Selects the range of a registered layer (null selects "Default"); the caller's reference is cleared
    /// unless it was already null.
    void TimeRange(std::shared_ptr<gis::ILayer>& value);
    int16_t TimeRangeCount();
    bool Valid();
    bool UseDateTime() const noexcept { return bUseDateTime; }
    void UseDateTime(bool value);
    bool Locked() const noexcept { return bLocked; }
    void Locked(bool value) noexcept { bLocked = value; }

    // The highlighted time span on the slider, drawn by modSliderSelect while the slider paints.
    /// True while the span is wanted and Picture1 is hooked.
    bool TimeSpanActive();
    void TimeSpanActive(bool value);
    void SetTimeSpan(platform::Date dteStart, platform::Date dteFinish);
    void GetTimeSpan(platform::Date& dteStart, platform::Date& dteFinish) const;
    /// The slider positions of the span's ends as last computed, -1 when there is no strip to draw.
    int16_t SpanStartPos() const noexcept { return iSpanStartPos; }
    int16_t SpanFinishPos() const noexcept { return iSpanFinishPos; }
    /// The texts drawn at the strip's ends; empty while the span labels are off.
    const std::string& SpanStartText() const noexcept { return sSpanStartText; }
    const std::string& SpanFinishText() const noexcept { return sSpanFinishText; }
    bool TimeSpanLabelEnabled() const noexcept { return bSpanLabels; }
    //! A changed value repaints; the texts come with the next SetTimeSpan.
    void TimeSpanLabelEnabled(bool value);
    int32_t TimeSpanColor() const;
    //! A changed colour repaints the strip.
    void TimeSpanColor(int32_t value);
    int32_t TimeSpanLabelColor() const;
    void TimeSpanLabelColor(int32_t value);

    // Time span drawing
    /// Hooks Picture1 so that the span's strip is drawn while Slider1 paints, and turns the slider's position
    /// tip off; when that fails the user is told and the form goes on without the strip. For Form_Load.
    bool HookPicture1();
    /// Ends the hook of Picture1. For Form_Unload.
    void UnhookPicture1();
    /// Switches the span off and forgets it: its flag, positions, dates and texts, and the strip. For Clear.
    void ClearTimeSpan();

    // Queries and commands for programs, so that they need not drive the controls.
    /// The axis as the controls show it, in one snapshot.
    AxisState Snapshot();
    /// Moves the slider to a position and applies its time, also when the slider is there already: a new range
    /// may have moved the time of the position it stands on.
    void GoToPosition(int32_t position);
    /// The time (a minute count) of a position on the axis as it stands, without moving the slider: on the step
    /// list the listed step, on an interval start + position intervals, which may lie past the finish.
    int32_t TimeOfPosition(int32_t position) const;
    /// The axis' start and finish as minute counts, as set (the labels may show them rounded by their format).
    int32_t StartMinutes() const noexcept { return lStart; }
    int32_t FinishMinutes() const noexcept { return lFinish; }
    /// One position forward (direction > 0) or back (< 0), wrapping at the ends and stopping playback as the step
    /// tools do; 0 does nothing.
    void Step(int32_t direction);

    // Handlers, public so that the axis can run the change handler directly and tests can call them.
    /// Applies the time of the slider position to every initialized time layer.
    void Slider1_Change();
    /// While the thumb is dragged: only the current label follows.
    void Slider1_Scroll();
    /// A playback tool: lX and lY are the notification's two values, bFlag false ignores the click.
    void tb1_Click(std::string_view sID, int32_t lX, int32_t lY, bool bFlag);
    void Timer1_Timer();
    void Timer2_Timer();
    void cboLayers_Click();
    void lblTime_Change(int16_t Index);
    // The window's handlers.
    /// Lays the controls out for Picture1's size: labels, slider, band, the centred buttons, the logo.
    void Picture1_Resize();
    /// Opens the layer configuration dialog modally.
    void cmdSelectLayers_Click();
    /// Opens the display options dialog modally, then applies the interval it leaves.
    void cmdDisplayOptions_Click();
    /// Lets the user pick the start (0), finish (1) or current (2) time.
    void lblTime_Click(int16_t Index);
    /// Opens the maker's link with the desktop's default action.
    void picPowered_Click();
    /// Whether the maker's logos are shown: not when "Mode" is "1" in either machine key.
    static bool Branded();

    /// True between the display's drawing-started and drawing-finished notifications during playback.
    bool DisplayDrawing() const noexcept { return bDisplayDrawing; }

    /// The geographic centre (WGS 84 degrees) of the earliest time layer, which the day/night band is drawn for.
    double Longitude() const noexcept { return dLongitude; }
    double Latitude() const noexcept { return dLatitude; }

protected:
    /// Prepares the band picture and empties the axis.
    void Form_Load() override;
    /// Stops following the display and empties the axis.
    void Form_Unload() override;

private:
    static constexpr std::string_view kModule = "frmSlider";

    // What Update carries from its rebuild into its closing steps, which also run after an error.
    struct UpdateState {
        int32_t old_pos = -1;
        bool span_was_active = false;
        platform::Date span_start;
        platform::Date span_finish;
        bool vectors_applied = false;
    };

    // Marks a range chosen by Update or UseDateTime, which apply the time themselves once the range stands.
    class RangeChoice {
    public:
        explicit RangeChoice(frmSlider& form) : form_(form), previous_(form.range_applied_by_caller_) {
            form_.range_applied_by_caller_ = true;
        }
        ~RangeChoice() { form_.range_applied_by_caller_ = previous_; }
        RangeChoice(const RangeChoice&) = delete;
        RangeChoice& operator=(const RangeChoice&) = delete;

    private:
        frmSlider& form_;
        bool previous_;
    };

    /// True while the start and finish labels both hold a time.
    bool AxisValid() const noexcept { return bLabelSet[0] && bLabelSet[1]; }
    /// True when positions index the shared list of distinct steps.
    static bool UniquePoints();
    // What a rebuild remembers of a chosen range to put it back on the new axis.
    struct RememberedRange {
        platform::Date time;
        int32_t interval = 0;
        std::shared_ptr<gis::ILayer> layer;
    };

    /// The axis of the present start, interval and display mode, for turning positions into times and back.
    TimeAxis Axis() const;
    /// Steps 1 to 14 of Update; false when it stopped early (no host, no layers).
    bool RebuildAxis(UpdateState& state);
    /// Takes the span off the slider for the rebuild; FinishUpdate puts it back.
    void HoldSpan(UpdateState& state);
    /// The range, interval and time to restore when a layer range was chosen on a real axis; nothing otherwise.
    std::optional<RememberedRange> RememberRange();
    /// Readies one record for the axis: initialized, cached and vector state, its combo entry and its range.
    void PrepareRecord(LayerData& ld, LayerSpanMerge& merge, UpdateState& state);
    /// Stores the merged data span as the axis's range and step.
    void SetDataSpan(int32_t start, int32_t finish, int32_t interval);
    /// Chooses "Default", or the remembered range with its interval and time.
    void ChooseRange(const std::optional<RememberedRange>& remembered, bool found);
    void FinishUpdate(const UpdateState& state);
    /// Takes the longitude and latitude from the centre of a layer's area.
    void TakeLocation(const gis::ILayer& layer);
    void DisableControls();
    /// Resets the shared step list and fills it from the records (all records when only is null).
    int32_t RebuildUniqueTimes(const std::shared_ptr<LayerData>& only);
    std::string SpanText(platform::Date dteTime) const;
    /// Dates are compared in whole seconds, so representation noise below a second never decides.
    static int64_t WholeSeconds(platform::Date dteTime);
    std::string LabelText(platform::Date dteTime, bool bCurrent) const;
    /// Whether labels are written in a form the date reader does not read back (a label format, a zone), so
    /// that the times they stand for are kept beside them.
    bool LabelsNeedTheirTimes() const;
    platform::Date LabelDate(std::string_view sText) const;
    int32_t LabelMinutes(std::string_view sText) const;
    void ConnectDisplayEvents();
    void DisconnectDisplayEvents();
    /// Gives the window's controls their design sizes and connects their handlers.
    void DesignWindow();
    /// The window part of loading: branding and the first vertical arrangement.
    void LoadWindow();

    /// Publishes the label format in force (the explicit one or the step's default) and relabels the axis.
    void ApplyLabelFormat();

    // Axis state, in minute numbers.
    int32_t lDataStart = 0;
    int32_t lDataFinish = 0;
    int32_t lDataInterval = 0;
    int32_t lStart = 0;
    int32_t lFinish = 0;
    int32_t lInterval = 0;
    int32_t lLastApplied = 0;
    std::array<bool, 3> bLabelSet{};
    bool bUseDateTime = true;
    bool bUseDateTimeSet = false;
    bool bKeepInterval = false;
    bool bScrolling = false;
    bool bLocked = false;
    bool bFastRefresh = false;
    std::string sLastRange = "Default";
    double dLongitude = 0.0;
    double dLatitude = 0.0;
    bool range_applied_by_caller_ = false;
    // A calendar step: while the unit is not minutes, positions step by lCalendarCount months or years and
    // lInterval keeps the minute step that rebuilds compute.
    modDateTime::IntervalUnit eIntervalUnit = modDateTime::IntervalUnit::Minutes;
    int32_t lCalendarCount = 1;
    std::string sLabelFormat;
    // The label texts written with a label format, and the times they stand for, so that reading a label back
    // does not have to parse a text such as "May 2005".
    std::array<std::pair<std::string, platform::Date>, 3> formatted_labels_{};
    /// True from loading until the first layout ran.
    bool bFirstLayout = true;

    // Playback.
    bool bDisplayDrawing = false;
    platform::ScopedConnection display_started_;
    platform::ScopedConnection display_finished_;

    // Time span.
    bool bSpanActive = false;
    bool bSpanLabels = false;
    platform::Date dteSpanStart;
    platform::Date dteSpanFinish;
    int16_t iSpanStartPos = -1;
    int16_t iSpanFinishPos = -1;
    std::string sSpanStartText;
    std::string sSpanFinishText;

    std::vector<platform::ScopedConnection> control_events_;
    std::vector<platform::ScopedConnection> window_events_;
};

} // namespace chronova
