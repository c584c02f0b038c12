#include "slider/frm_slider.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <utility>

#include "datetime/label_format.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/layer.h"
#include "gis/map/application.h"
#include "gis/ogr/coordinate_projection.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"
#include "platform/date_text.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "slider/checked_arithmetic.h"
#include "slider/time_axis.h"
#include "timeapply/arc_objects.h"
#include "timeapply/time_reading.h"

namespace chronova {
namespace {

using ErrorHandling::Trap;
using ErrorHandling::TrapKind;
using platform::Date;
using slider_math::ToInteger;
using slider_math::ToLong;

constexpr std::string_view kDefaultRange = "Default";
constexpr std::string_view kExtensionName = "Chronova.ChronovaExt";
// The band is drawn with the pen ANDed onto the background, so overlapping night boxes stay dark.
constexpr int32_t kMaskPenDrawMode = 9;

// The present local date and time, which an empty time label stands for.
Date PresentTime() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return Date::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           std::min(local.tm_sec, 59));
}

std::vector<std::shared_ptr<LayerData>> Records() {
    return g_Layers ? g_Layers->NewEnum() : std::vector<std::shared_ptr<LayerData>>{};
}

// cboLayers keeps a record's identity number in ItemData; the registry keys the record by its decimal text.
std::string RecordKey(int32_t item_data) {
    return std::to_string(static_cast<uint32_t>(item_data));
}

int32_t HighestUniqueIndex() {
    return static_cast<int32_t>(g_dteUniqueTimes.size()) - 1;
}

// The start times of the records, which the gap search between layers reads once their steps are retrieved.
std::vector<int32_t> StartsOf(const std::vector<std::shared_ptr<LayerData>>& records) {
    std::vector<int32_t> starts;
    starts.reserve(records.size());
    for (const auto& record : records) {
        starts.push_back(record->StartTime);
    }
    return starts;
}

} // namespace

frmSlider::frmSlider(platform::ui::EventLoop& loop) : Form("Chronova"), Timer1(loop), Timer2(loop) {
    static constexpr std::pair<std::string_view, std::string_view> kTools[] = {
        {"ID_REWIND", "Go to the start"},
        {"ID_STEP", "Step forward"},
        {"ID_STOP", "Stop"},
        {"ID_PLAY", "Play"},
        {"ID_FORWARD", "Go to the end"},
        {"ID_PLAYBACK", "Play backwards"},
        {"ID_STEPBACK", "Step back"},
    };
    for (const auto& [key, tip] : kTools) {
        tb1.Add(key, tip);
    }
    for (platform::ui::Timer* timer : {&Timer1, &Timer2}) {
        timer->Interval(100);
        timer->Enabled(false);
    }

    control_events_.emplace_back(Slider1.Change.Connect([this] { Slider1_Change(); }));
    control_events_.emplace_back(Slider1.Scroll.Connect([this] { Slider1_Scroll(); }));
    control_events_.emplace_back(
        tb1.ButtonClick.Connect([this](const std::string& key) { tb1_Click(key, 0, 0, true); }));
    control_events_.emplace_back(Timer1.Tick.Connect([this] { Timer1_Timer(); }));
    control_events_.emplace_back(Timer2.Tick.Connect([this] { Timer2_Timer(); }));
    control_events_.emplace_back(cboLayers.Click.Connect([this] { cboLayers_Click(); }));
    for (int16_t k = 0; k < static_cast<int16_t>(lblTime.size()); ++k) {
        control_events_.emplace_back(lblTime[static_cast<size_t>(k)].Change.Connect([this, k] { lblTime_Change(k); }));
    }
    DesignWindow();
}

frmSlider::~frmSlider() = default;

void frmSlider::Form_Load() {
    Trap("Form_Load ", kModule, TrapKind::TopLevel, [&] {
        LoadWindow();
        // The band is drawn with a white pen combined with the background by AND, so a night segment's colour
        // darkens what lies under it and day segments leave it light.
        picDayNightBands.ForeColor(0xFFFFFF);
        picDayNightBands.FontName("arial narrow");
        picDayNightBands.FontSize(9);
        picDayNightBands.FontBold(true);
        picDayNightBands.FillStyle(platform::ui::PictureBox::kFillTransparent);
        picDayNightBands.DrawMode(kMaskPenDrawMode);
        picDayNightBands.Cls();
        HookPicture1();
        Clear();
        sLastRange = kDefaultRange;
        bUseDateTimeSet = false;
        bUseDateTime = true;
        bSpanLabels = false;
    });
}

void frmSlider::Form_Unload() {
    Trap("Form_Unload ", kModule, TrapKind::TopLevel, [&] {
        DisconnectDisplayEvents();
        Clear();
        UnhookPicture1();
    });
}

int64_t frmSlider::WholeSeconds(Date dteTime) {
    return std::llround(dteTime.Linear() * 86400.0);
}

// ---- Building the axis ----

void frmSlider::Update() {
    UpdateState state;
    bool go_on = true; // an error in the rebuild still leads to the closing steps
    Trap("Update ", kModule, TrapKind::TopLevel, [&] { go_on = RebuildAxis(state); });
    if (!go_on) {
        return;
    }
    Trap("Update ", kModule, TrapKind::TopLevel, [&] { FinishUpdate(state); });
}

bool frmSlider::RebuildAxis(UpdateState& state) {
    dLongitude = 0.0;
    HoldSpan(state);
    if (!g_pApp) {
        return false;
    }
    const std::vector<std::shared_ptr<LayerData>> records = Records();
    if (records.empty()) {
        Clear();
        return false;
    }
    const std::optional<RememberedRange> remembered = RememberRange();

    bFastRefresh = false;
    cboLayers.Clear();
    cboLayers.AddItem(kDefaultRange);
    g_dteUniqueTimes.assign(1, Date());
    LayerSpanMerge merge;
    bool found = false;
    for (const auto& record : records) {
        found = found || (remembered && remembered->layer && record->TheLayer == remembered->layer);
        PrepareRecord(*record, merge, state);
    }
    const LayerSpan data = TimeAxis::DataSpan(merge.Merged(), StartsOf(records));
    SetDataSpan(data.start, data.finish, data.interval);

    cboLayers.ListIndex(-1);
    state.old_pos = Slider1.Value();
    const RangeChoice choice(*this);
    ChooseRange(remembered, found);
    return true;
}

void frmSlider::HoldSpan(UpdateState& state) {
    // The span follows the new axis: it is put back, on the new positions, once the axis stands.
    if (TimeSpanActive()) {
        GetTimeSpan(state.span_start, state.span_finish);
        state.span_was_active = true;
        TimeSpanActive(false);
    }
}

std::optional<frmSlider::RememberedRange> frmSlider::RememberRange() {
    if (cboLayers.ListCount() <= 1 || lFinish <= lStart) {
        return std::nullopt;
    }
    RememberedRange remembered;
    remembered.time = CurrentTime();
    remembered.interval = GetInterval();
    remembered.layer = TimeRange();
    return remembered;
}

void frmSlider::PrepareRecord(LayerData& ld, LayerSpanMerge& merge, UpdateState& state) {
    ld.isInitialized = true;
    if (!ld.TheLayer) {
        platform::RaiseError(platform::error::kObjectNotSet);
    }
    ld.IsCached = ld.TheLayer->Cached();
    bFastRefresh = (ld.IsCached || bFastRefresh) && g_bFastRefresh;
    if (ld.TimeFieldType == kTimeFieldDateTimeGroup && !bUseDateTimeSet) {
        bUseDateTime = false;
    }
    if (merge.Add({ld.StartTime, ld.FinishTime, ld.Interval})) {
        TakeLocation(*ld.TheLayer);
    }
    cboLayers.AddItem(ld.TheLayer->Name());
    cboLayers.ItemData(cboLayers.ListCount() - 1, static_cast<int32_t>(ld.Identity()));

    if (ld.IsVectorized && !ld.VectorsApplied) {
        // Custom time layers get their vectors from the layer update at every step.
        if (!ld.IsTimeLayer) {
            const std::string prefix = ld.sqlTable.empty() ? std::string() : ld.sqlTable + ".";
            ArcObjects::ApplyGraduatedCharacterSymbolRenderer(std::dynamic_pointer_cast<gis::FeatureLayer>(ld.TheLayer),
                                                              ld.VectorFont, ld.VectorChar, prefix + ld.SpeedField,
                                                              prefix + ld.DirectionField, 5, ld.MinRange, ld.MaxRange,
                                                              ld.VectorMinSize, ld.VectorMaxSize);
        }
        ld.VectorsApplied = true;
        state.vectors_applied = true;
    }
    if (g_iDisplayType == kDisplayUniquePoints) {
        ArcObjects::RetrieveTimeInfo(&ld);
    }
}

void frmSlider::SetDataSpan(int32_t start, int32_t finish, int32_t interval) {
    lDataInterval = interval;
    lDataStart = start;
    lDataFinish = finish;
    lInterval = UniquePoints() ? HighestUniqueIndex() : interval;
    lStart = start;
    lFinish = finish;
    lLastApplied = 0;
}

void frmSlider::ChooseRange(const std::optional<RememberedRange>& remembered, bool found) {
    if (!remembered) {
        cboLayers.ListIndex(0);
        return;
    }
    const int32_t iv = GetInterval();
    if (iv > 0 && bKeepInterval && iv > ToLong(int64_t{lFinish} - lStart)) {
        SetInterval(remembered->interval);
        bKeepInterval = true;
    } else {
        SetInterval(lDataInterval);
    }
    if (found) {
        std::shared_ptr<gis::ILayer> layer = remembered->layer;
        TimeRange(layer);
    } else {
        cboLayers.ListIndex(0);
    }
    const Date finish = FinishTime();
    CurrentTime(WholeSeconds(finish) - WholeSeconds(remembered->time) >= 0 ? remembered->time : finish);
}

void frmSlider::FinishUpdate(const UpdateState& state) {
    // The slider raises no change when its value stayed, but the rebuilt axis must still be applied.
    if (state.old_pos >= 0 && Slider1.Value() == state.old_pos) {
        Slider1_Change();
    }
    if (state.span_was_active) {
        TimeSpanActive(true);
        SetTimeSpan(state.span_start, state.span_finish);
    }
    if (!g_pApp) {
        return;
    }
    if (state.vectors_applied && g_pApp->Document()) {
        g_pApp->Document()->UpdateContents();
    }
    const auto config = std::dynamic_pointer_cast<gis::IExtensionConfig>(g_pApp->FindExtensionByName(kExtensionName));
    if (config && config->State() != static_cast<int32_t>(gis::ExtensionState::Enabled)) {
        DisableControls();
    }
}

void frmSlider::TakeLocation(const gis::ILayer& layer) {
    dLongitude = 0.0;
    dLatitude = 0.0;
    const gis::Envelope area = layer.AreaOfInterest();
    if (area.IsEmpty()) {
        return;
    }
    double x = (area.XMin + area.XMax) / 2.0;
    double y = (area.YMin + area.YMax) / 2.0;
    const std::string spatial_reference = layer.SpatialReference();
    if (!spatial_reference.empty()) {
        // The location only places the day/night band; a layer whose coordinates cannot be made geographic
        // leaves it at 0, 0 rather than failing the whole axis.
        try {
            const gis::CoordinateProjection to_wgs84(spatial_reference, "EPSG:4326");
            bool projected = false;
            to_wgs84.Transform(&x, &y, 1, &projected);
            if (!projected) {
                return;
            }
        } catch (const platform::AutomationError&) {
            return;
        }
    }
    dLongitude = x;
    dLatitude = y;
}

void frmSlider::DisableControls() {
    Slider1.Enabled(false);
    for (auto& label : lblTime) {
        label.Enabled(false);
    }
    for (auto& label : Label1) {
        label.Enabled(false);
    }
    cboLayers.Enabled(false);
    tb1.Enabled(false);
    Timer1.Enabled(false);
    Timer2.Enabled(false);
}

void frmSlider::Clear() {
    Trap("Clear ", kModule, TrapKind::TopLevel, [&] {
        bLocked = true;
        bDisplayDrawing = false;
        bScrolling = false;
        bKeepInterval = false;
        bFastRefresh = false;
        lLastApplied = 0;
        for (auto& label : lblTime) {
            label.Caption("");
        }
        ClearTimeSpan();
        Slider1.Min(0);
        Slider1.Max(1);
        Slider1.Value(0);
        lInterval = 0;
        lStart = 0;
        lFinish = 0;
        lDataStart = 0;
        lDataFinish = 0;
        lDataInterval = 0;
        bLabelSet[0] = false;
        bLabelSet[1] = false;
        SetInterval(0);
        cboLayers.Clear();
        cboLayers.AddItem(kDefaultRange);
        if (g_pApp && g_pApp->Document()) {
            if (const auto& map = g_pApp->Document()->FocusMap()) {
                map->PartialRefresh(gis::view_phase::kGeography, nullptr, std::nullopt);
            }
        }
        // Without a map there is nothing to redraw, but the empty axis must still take the next range.
        bLocked = false;
    });
}

void frmSlider::SetMax() {
    Trap("SetMax ", kModule, TrapKind::TopLevel, [&] {
        if (!AxisValid()) {
            Slider1.Min(0);
            Slider1.Max(1);
            Slider1.Value(0);
            return;
        }
        int32_t steps = 1;
        const int32_t range = GetTimeRangeLong();
        const int32_t iv = GetInterval();
        if (range <= 0 || iv <= 0) {
            Slider1.Min(0);
            Slider1.Value(0);
        } else {
            const TimeAxis axis = Axis();
            const bool calendar = eIntervalUnit != modDateTime::IntervalUnit::Minutes;
            steps = calendar ? TimeAxis::CalendarStepCount(lStart, lFinish, StepInterval())
                             : TimeAxis::StepCount(range, iv);
            const std::vector<std::shared_ptr<LayerData>> records = Records();
            if (calendar && records.size() > 1) {
                // Months differ in length, so a layer's ends are placed by the calendar, not by a fixed width.
                for (const auto& record : records) {
                    record->StartPos = std::min(axis.ClampedPositionOf(record->StartTime, steps), record->FinishPos);
                    record->FinishPos = std::max(axis.ClampedPositionOf(record->FinishTime, steps), record->StartPos);
                }
            } else if (records.size() == 1) {
                records.front()->StartPos = 0;
                records.front()->FinishPos = steps;
            } else if (records.size() > 1) {
                for (const auto& record : records) {
                    LayerData& ld = *record;
                    ld.StartPos = TimeAxis::LayerStartPosition(ld.StartTime, lStart, iv);
                    // Compared with the finish position the record held before this pass.
                    ld.StartPos = std::min(ld.StartPos, ld.FinishPos);
                    ld.FinishPos = TimeAxis::LayerFinishPosition(ld.FinishTime, lFinish, iv, steps);
                    ld.FinishPos = std::max(ld.FinishPos, ld.StartPos);
                }
            }
        }
        if (g_iDisplayType == kDisplayUniquePoints) {
            if (lInterval == 0) {
                lInterval = 1;
            }
            Slider1.Max(lInterval);
        } else {
            Slider1.Max(steps);
        }
    });
}

void frmSlider::SetInterval(int32_t lNewInterval) {
    Trap("SetInterval ", kModule, TrapKind::TopLevel, [&] {
        // The current time survives a change of step width, so it is read on the old step.
        std::optional<int32_t> current;
        if (Slider1.Value() > Slider1.Min()) {
            current = GetCurrentSliderTime();
        }
        if (g_iDisplayType != kDisplayUniquePoints) {
            lInterval = lNewInterval;
            AdjustInterval();
            Label1[2].Caption(TimeAxis::IntervalText(StepInterval()));
        } else {
            Label1[2].Caption(std::string(TimeAxis::kUniquePointsText));
            lInterval = g_dteUniqueTimes.empty() ? lNewInterval : HighestUniqueIndex();
        }
        if (bLocked) {
            return;
        }
        SetMax();
        if (current) {
            SetCurrentSliderTime(*current);
        }
    });
}

int32_t frmSlider::GetInterval() {
    return lInterval;
}

bool frmSlider::AdjustInterval() {
    bool result = false;
    Trap("AdjustInterval ", kModule, TrapKind::TopLevel, [&] {
        if (bLocked || !AxisValid()) {
            return;
        }
        if (lInterval < 1) {
            lInterval = 1;
        }
        FittedInterval fitted = TimeAxis::FitInterval(ToLong(int64_t{lFinish} - lStart), lInterval);
        lInterval = fitted.interval;
        if (eIntervalUnit != modDateTime::IntervalUnit::Minutes) {
            fitted = TimeAxis::FitCalendarInterval(lStart, lFinish, StepInterval());
            lCalendarCount = fitted.interval;
        }
        if (!fitted.status.empty() && g_pApp) {
            g_pApp->StatusBar().Message(0, fitted.status);
        }
        result = true;
    });
    return result;
}

int32_t frmSlider::GetTimeRangeLong() {
    int32_t result = 0;
    Trap("GetTimeRangeLong ", kModule, TrapKind::TopLevel, [&] {
        if (lStart != lFinish) {
            result = ToLong(int64_t{lFinish} - lStart + 1);
        }
    });
    return result;
}

int32_t frmSlider::GetTimeRange(std::string_view sStart, std::string_view sFinish) {
    int32_t result = 0;
    Trap("GetTimeRange ", kModule, TrapKind::TopLevel, [&] {
        if (sStart.empty() || sFinish.empty()) {
            return;
        }
        const int32_t range = ToLong(int64_t{modDateTime::TextToMinutes(sFinish)} - modDateTime::TextToMinutes(sStart));
        if (range > 0) {
            result = range;
        }
    });
    return result;
}

// ---- Positions and times ----

bool frmSlider::UniquePoints() {
    return g_iDisplayType == kDisplayUniquePoints && !g_dteUniqueTimes.empty();
}

TimeAxis frmSlider::Axis() const {
    return TimeAxis(lStart, StepInterval(), g_iDisplayType, g_dteUniqueTimes);
}

modDateTime::CalendarInterval frmSlider::StepInterval() const {
    if (eIntervalUnit == modDateTime::IntervalUnit::Minutes) {
        return {lInterval, eIntervalUnit};
    }
    return {lCalendarCount, eIntervalUnit};
}

int32_t frmSlider::TimeAfterInterval(int32_t minutes) const {
    const modDateTime::CalendarInterval interval = StepInterval();
    return modDateTime::TimeAfterInterval(minutes, {std::max(interval.count, 1), interval.unit});
}

void frmSlider::SetChronova() {
    Trap("SetChronova ", kModule, TrapKind::TopLevel, [&] {
        if (!AxisValid()) {
            Slider1.Value(0);
            return;
        }
        const int32_t old_pos = Slider1.Value();
        int32_t position = 0;
        if (GetInterval() >= 1) {
            position = Axis().ClampedPositionOf(LabelMinutes(lblTime[2].Caption()), Slider1.Max());
        }
        Slider1.Value(position);
        // The slider raises no change for the position it has; the time must still be applied.
        if (Slider1.Value() == old_pos) {
            Slider1_Change();
        }
    });
}

int32_t frmSlider::GetCurrentSliderTime() {
    int32_t result = 0;
    Trap("GetCurrentSliderTime ", kModule, TrapKind::TopLevel, [&] {
        if (!AxisValid()) {
            return;
        }
        result = Axis().TimeAt(Slider1.Value());
    });
    return result;
}

void frmSlider::SetCurrentSliderTime(int32_t lTime) {
    Trap("SetCurrentSliderTime ", kModule, TrapKind::TopLevel, [&] {
        if (lTime <= 0) {
            CurrentTime(Date());
            return;
        }
        if (!AxisValid()) {
            return;
        }
        Slider1.Value(Axis().ClampedPositionOf(lTime, Slider1.Max()));
    });
}

int16_t frmSlider::GetTickPosition(Date dteTime) {
    int16_t result = -1;
    Trap("GetTickPosition ", kModule, TrapKind::TopLevel, [&] {
        if (!AxisValid()) {
            return;
        }
        const int32_t t = modDateTime::DateToMinutes(dteTime);
        if (t < 1) {
            return;
        }
        // On the step list a time keeps its list position; on a fixed interval it is held on the slider.
        const TimeAxis axis = Axis();
        result = ToInteger(axis.UniquePoints() ? axis.PositionOf(t) : axis.ClampedPositionOf(t, Slider1.Max()));
    });
    return result;
}

// ---- Range selection and labels ----

int32_t frmSlider::RebuildUniqueTimes(const std::shared_ptr<LayerData>& only) {
    g_dteUniqueTimes.assign(1, Date());
    if (only) {
        ArcObjects::RetrieveTimeInfo(only.get());
    } else {
        for (const auto& record : Records()) {
            ArcObjects::RetrieveTimeInfo(record.get());
        }
    }
    return HighestUniqueIndex();
}

void frmSlider::cboLayers_Click() {
    Trap("cboLayers_Click ", kModule, TrapKind::TopLevel, [&] {
        if (bLocked) {
            return;
        }
        const bool was_invalid = !AxisValid();
        const int32_t current = GetCurrentSliderTime();
        const std::string text = cboLayers.Text();
        if (text != sLastRange) {
            bKeepInterval = false;
        } else {
            sLastRange = text;
        }
        for (auto& label : lblTime) {
            label.Caption("");
        }
        SetMax();

        int32_t target = 0;
        if (lStart != 0 && lFinish != 0) {
            const int32_t index = cboLayers.ListIndex();
            if (index == 0) {
                StartTime(modDateTime::MinutesToDate(lDataStart));
                FinishTime(modDateTime::MinutesToDate(lDataFinish));
                SetInterval(g_iDisplayType != kDisplayUniquePoints ? lDataInterval : RebuildUniqueTimes(nullptr));
                target = current;
            } else if (index > 0) {
                const auto record = g_Layers ? g_Layers->Item(RecordKey(cboLayers.ItemData(index))) : nullptr;
                if (record) {
                    StartTime(modDateTime::MinutesToDate(record->StartTime));
                    FinishTime(modDateTime::MinutesToDate(record->FinishTime));
                    SetInterval(g_iDisplayType != kDisplayUniquePoints ? record->Interval : RebuildUniqueTimes(record));
                    target = current;
                }
            }
        }
        if (target != 0) {
            target = TimeAxis::KeptTime(target, lStart, lFinish);
        } else if (was_invalid) {
            target = GetCurrentSliderTime();
            if (target == 0) {
                target = lDataStart;
            }
        } else {
            SetInterval(0);
        }
        const int32_t position_before = Slider1.Value();
        SetCurrentSliderTime(target);
        // A slider left where it was raises no change, but the time of the new range must still be shown and
        // applied; a rebuild or relabelling that chose the range applies its own time afterwards.
        if (!range_applied_by_caller_ && Slider1.Value() == position_before) {
            Slider1_Change();
        }
        if (g_iDisplayType != kDisplayUniquePoints) {
            DrawDayNight();
        } else {
            picDayNightBands.Cls();
        }
    });
}

void frmSlider::lblTime_Change(int16_t Index) {
    Trap("lblTime_Change ", kModule, TrapKind::TopLevel, [&] {
        if (Index < 0 || Index >= static_cast<int16_t>(lblTime.size())) {
            platform::RaiseError(platform::error::kSubscriptOutOfRange);
        }
        const auto k = static_cast<size_t>(Index);
        if (lblTime[k].Caption().empty()) {
            bLabelSet[k] = false;
            return;
        }
        bLabelSet[k] = true;
        const bool valid = AxisValid();
        lblTime[0].Enabled(valid);
        lblTime[1].Enabled(valid);
        Slider1.Enabled(valid);
        if (valid && Index != 2 && !bLocked) {
            SetMax();
        }
    });
}

std::string frmSlider::LabelText(Date dteTime, bool bCurrent) const {
    std::string text;
    if (!g_sLabelFormat.empty()) {
        text = modDateTime::FormatMinutes(modDateTime::DateToMinutes(dteTime), g_sLabelFormat);
    } else if (!bUseDateTime) {
        return modDateTime::DateToDTG(dteTime); // a date-time group names its zone itself
    } else {
        text = platform::DateToText(dteTime);
        // The default text drops a midnight time; the current time always shows one.
        if (bCurrent && text.find(':') == std::string::npos) {
            text += " 12:00:00 AM";
        }
    }
    // Times shown in a zone say which, as the zone calls itself at that time ("CEST", "UTC", "+05:30").
    if (const auto zone = DisplayTimeZone()) {
        text += " " + zone->Abbreviation(zone->ToUtc(dteTime));
    }
    return text;
}

bool frmSlider::LabelsNeedTheirTimes() const {
    return !g_sLabelFormat.empty() || DisplayTimeZone().has_value();
}

Date frmSlider::LabelDate(std::string_view sText) const {
    for (const auto& [text, date] : formatted_labels_) {
        if (!text.empty() && text == sText) {
            return date;
        }
    }
    return bUseDateTime ? platform::TextToDate(sText) : modDateTime::DTGToDate(sText);
}

int32_t frmSlider::LabelMinutes(std::string_view sText) const {
    for (const auto& [text, date] : formatted_labels_) {
        if (!text.empty() && text == sText) {
            return modDateTime::DateToMinutes(date);
        }
    }
    return bUseDateTime ? modDateTime::TextToMinutes(sText) : modDateTime::DTGToMinutes(sText);
}

// ---- Properties ----

Date frmSlider::StartTime() {
    Date result;
    Trap("StartTime ", kModule, TrapKind::TopLevel, [&] {
        const std::string& text = lblTime[0].Caption();
        result = text.empty() ? PresentTime() : LabelDate(text);
        lStart = modDateTime::DateToMinutes(result);
    });
    return result;
}

void frmSlider::StartTime(Date value) {
    Trap("StartTime ", kModule, TrapKind::TopLevel, [&] {
        // The minute number first: the label's change rebuilds the slider from it.
        lStart = modDateTime::DateToMinutes(value);
        formatted_labels_[0] = {!LabelsNeedTheirTimes() ? std::string() : LabelText(value, false), value};
        lblTime[0].Caption(LabelText(value, false));
    });
}

Date frmSlider::FinishTime() {
    Date result;
    Trap("FinishTime ", kModule, TrapKind::TopLevel, [&] {
        const std::string& text = lblTime[1].Caption();
        result = text.empty() ? PresentTime() : LabelDate(text);
        lFinish = modDateTime::DateToMinutes(result);
    });
    return result;
}

void frmSlider::FinishTime(Date value) {
    Trap("FinishTime ", kModule, TrapKind::TopLevel, [&] {
        lFinish = modDateTime::DateToMinutes(value);
        formatted_labels_[1] = {!LabelsNeedTheirTimes() ? std::string() : LabelText(value, false), value};
        lblTime[1].Caption(LabelText(value, false));
    });
}

Date frmSlider::CurrentTime() {
    Date result;
    Trap("CurrentTime ", kModule, TrapKind::TopLevel, [&] {
        const std::string& text = lblTime[2].Caption();
        result = text.empty() ? PresentTime() : LabelDate(text);
    });
    return result;
}

void frmSlider::CurrentTime(Date value) {
    Trap("CurrentTime ", kModule, TrapKind::TopLevel, [&] {
        formatted_labels_[2] = {!LabelsNeedTheirTimes() ? std::string() : LabelText(value, true), value};
        lblTime[2].Caption(LabelText(value, true));
        if (!bScrolling && !bLocked) {
            SetChronova();
        }
    });
}

int32_t frmSlider::Interval() {
    return eIntervalUnit == modDateTime::IntervalUnit::Minutes ? GetInterval() : lCalendarCount;
}

std::string frmSlider::IntervalUnit() const {
    return std::string(modDateTime::UnitCode(eIntervalUnit));
}

void frmSlider::IntervalUnit(std::string_view code) {
    Trap("IntervalUnit ", kModule, TrapKind::TopLevel, [&] {
        const std::optional<modDateTime::IntervalUnit> unit = modDateTime::UnitOfCode(code);
        if (!unit) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The interval unit must be \"n\" (minutes), \"m\" (months) or \"yyyy\" (years).");
        }
        if (*unit == eIntervalUnit) {
            return;
        }
        eIntervalUnit = *unit;
        lCalendarCount = 1;
        SetInterval(lInterval);
        ApplyLabelFormat();
    });
}

void frmSlider::LabelFormat(std::string_view format) {
    Trap("LabelFormat ", kModule, TrapKind::TopLevel, [&] {
        if (!modDateTime::IsLabelFormat(format)) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The label format has a % that is not one of %Y %y %m %d %H %I %p %M %S %b %B %j %%.");
        }
        sLabelFormat = std::string(format);
        ApplyLabelFormat();
    });
}

void frmSlider::ApplyLabelFormat() {
    // The times are read before the format changes, while the labels still read back as they were written.
    std::array<std::optional<Date>, 3> times;
    for (size_t k = 0; k < lblTime.size(); ++k) {
        if (!lblTime[k].Caption().empty()) {
            times[k] = LabelDate(lblTime[k].Caption());
        }
    }
    g_sLabelFormat = sLabelFormat.empty() ? std::string(modDateTime::DefaultLabelFormat(StepInterval())) : sLabelFormat;
    const bool saved_lock = bLocked;
    bLocked = true; // relabelling keeps the axis and the time as they are
    for (size_t k = 0; k < lblTime.size(); ++k) {
        if (times[k]) {
            formatted_labels_[k] = {!LabelsNeedTheirTimes() ? std::string() : LabelText(*times[k], k == 2), *times[k]};
            lblTime[k].Caption(LabelText(*times[k], k == 2));
        }
    }
    bLocked = saved_lock;
}

void frmSlider::Interval(int32_t value) {
    Trap("Interval ", kModule, TrapKind::TopLevel, [&] {
        if (eIntervalUnit != modDateTime::IntervalUnit::Minutes) {
            lCalendarCount = std::max<int32_t>(ToLong(value < 0 ? -int64_t{value} : int64_t{value}), 1);
            SetInterval(lInterval);
            ApplyLabelFormat();
            return;
        }
        if (value >= 0) {
            bKeepInterval = true;
            SetInterval(value);
        } else {
            SetInterval(ToLong(-int64_t{value}));
        }
    });
}

std::shared_ptr<gis::ILayer> frmSlider::TimeRange() {
    std::shared_ptr<gis::ILayer> result;
    Trap("TimeRange ", kModule, TrapKind::TopLevel, [&] {
        const int32_t index = cboLayers.ListIndex();
        if (index < 1 || !g_Layers) {
            return;
        }
        if (const auto record = g_Layers->Item(RecordKey(cboLayers.ItemData(index)))) {
            result = record->TheLayer;
        }
    });
    return result;
}

void frmSlider::TimeRange(std::shared_ptr<gis::ILayer>& value) {
    Trap("TimeRange ", kModule, TrapKind::TopLevel, [&] {
        if (!value) {
            cboLayers.ListIndex(0);
            return;
        }
        if (!g_Layers || g_Layers->Count() == 0) {
            cboLayers.ListIndex(0);
            value.reset();
            return;
        }
        for (const auto& record : g_Layers->NewEnum()) {
            if (record->TheLayer != value) {
                continue;
            }
            int32_t entry = 0;
            const auto identity = static_cast<int32_t>(record->Identity());
            for (int32_t k = 1; k < cboLayers.ListCount() && entry == 0; ++k) {
                if (cboLayers.ItemData(k) == identity) {
                    entry = k;
                }
            }
            cboLayers.ListIndex(entry);
            break;
        }
        value.reset();
    });
}

int16_t frmSlider::TimeRangeCount() {
    int16_t result = 0;
    Trap("TimeRangeCount ", kModule, TrapKind::TopLevel, [&] {
        if (cboLayers.ListCount() > 1) {
            result = ToInteger(cboLayers.ListCount() - 1);
        }
    });
    return result;
}

bool frmSlider::Valid() {
    bool result = false;
    Trap("Valid ", kModule, TrapKind::TopLevel, [&] {
        // One registered layer is enough for a usable axis.
        result = TimeRangeCount() >= 1 && g_pApp != nullptr && AxisValid();
    });
    return result;
}

void frmSlider::UseDateTime(bool value) {
    Trap("UseDateTime ", kModule, TrapKind::TopLevel, [&] {
        if (value == bUseDateTime) {
            return;
        }
        const Date current = CurrentTime();
        bUseDateTime = value;
        bUseDateTimeSet = true;
        // Choosing the range again rewrites start, finish and interval in the new text form.
        const RangeChoice choice(*this);
        const int32_t index = cboLayers.ListIndex();
        cboLayers.ListIndex(-1);
        bLabelSet = {false, false, false};
        for (auto& label : lblTime) {
            label.Caption("");
        }
        cboLayers.ListIndex(index);
        CurrentTime(current);
    });
}

} // namespace chronova
