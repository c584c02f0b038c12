// The slider's time model as automation clients see it, and applying the current time to every layer.

#include <memory>
#include <string>
#include <utility>

#include "datetime/calendar_interval.h"
#include "datetime/label_format.h"
#include "gis/map/active_view.h"
#include "gis/map/application.h"
#include "gis/map/document.h"
#include "gis/map/extension.h"
#include "gis/map/map.h"
#include "host/error_handling.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"
#include "registry/globals.h"
#include "slider/frm_slider.h"
#include "slider/next_slider_time.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"

namespace chronova {

namespace {

constexpr std::string_view kModule = "ChronovaData";
constexpr std::string_view kExtensionName = "Chronova.ChronovaExt";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

} // namespace

// Reads pass the form's value through; writes are dropped while the document closes, so that the slider a
// closing document empties is not filled again by a client.
platform::Date ChronovaData::StartTime() {
    platform::Date value;
    Trap("StartTime", kModule, TrapKind::Inner, [&] { value = m_frmSlider->StartTime(); });
    return value;
}

void ChronovaData::StartTime(platform::Date value) {
    Trap("StartTime", kModule, TrapKind::Inner, [&] {
        if (!DocumentClosing) {
            m_frmSlider->StartTime(value);
        }
    });
}

platform::Date ChronovaData::FinishTime() {
    platform::Date value;
    Trap("FinishTime", kModule, TrapKind::Inner, [&] { value = m_frmSlider->FinishTime(); });
    return value;
}

void ChronovaData::FinishTime(platform::Date value) {
    Trap("FinishTime", kModule, TrapKind::Inner, [&] {
        if (!DocumentClosing) {
            m_frmSlider->FinishTime(value);
        }
    });
}

int32_t ChronovaData::Interval() {
    int32_t value = 0;
    Trap("Interval", kModule, TrapKind::Inner, [&] { value = m_frmSlider->Interval(); });
    return value;
}

void ChronovaData::Interval(int32_t value) {
    Trap("Interval", kModule, TrapKind::Inner, [&] {
        if (!DocumentClosing) {
            m_frmSlider->Interval(value);
        }
    });
}

std::string ChronovaData::IntervalUnit() {
    std::string value;
    Trap("IntervalUnit", kModule, TrapKind::Inner, [&] { value = m_frmSlider->IntervalUnit(); });
    return value;
}

void ChronovaData::IntervalUnit(const std::string& code) {
    Trap("IntervalUnit", kModule, TrapKind::Inner, [&] {
        // Checked here, so that the client gets the error rather than the slider's message box.
        if (!modDateTime::UnitOfCode(code)) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The interval unit must be \"n\" (minutes), \"m\" (months) or \"yyyy\" (years).");
        }
        if (!DocumentClosing) {
            m_frmSlider->IntervalUnit(code);
        }
    });
}

int32_t ChronovaData::TimeAfterInterval(int32_t minutes) {
    int32_t value = 0;
    Trap("TimeAfterInterval", kModule, TrapKind::Inner, [&] { value = m_frmSlider->TimeAfterInterval(minutes); });
    return value;
}

std::string ChronovaData::LabelFormat() {
    std::string value;
    Trap("LabelFormat", kModule, TrapKind::Inner, [&] { value = m_frmSlider->LabelFormat(); });
    return value;
}

void ChronovaData::LabelFormat(const std::string& format) {
    Trap("LabelFormat", kModule, TrapKind::Inner, [&] {
        if (!modDateTime::IsLabelFormat(format)) {
            platform::RaiseError(platform::error::kInvalidProcedureCall,
                                 "The label format has a % that is not one of %Y %y %m %d %H %I %p %M %S %b %B %j %%.");
        }
        if (!DocumentClosing) {
            m_frmSlider->LabelFormat(format);
        }
    });
}

bool ChronovaData::TimeInYears(const std::shared_ptr<gis::ILayer>& pLayer) {
    bool value = false;
    Trap("TimeInYears", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        value = FindByLayer(pLayer, &record) && record->TimeFieldType == kTimeFieldYear;
    });
    return value;
}

bool ChronovaData::TimeInYears(const std::shared_ptr<gis::ILayer>& pLayer, bool value) {
    bool result = false;
    Trap("TimeInYears", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        if (!FindByLayer(pLayer, &record)) {
            return;
        }
        const int16_t before = record->TimeFieldType;
        if (value && before != kTimeFieldLong && before != kTimeFieldYear) {
            return;
        }
        record->TimeInYears = value;
        bool read = false;
        std::string which_value; // the reading's message naming the value that is no year, for people
        try {
            read = ArcObjects::RetrieveTimeInfo(record.get());
        } catch (const platform::AutomationError& failure) {
            read = false;
            which_value = failure.UserMessage();
        }
        if (!read) {
            // A failed reading (a year outside the calendar) leaves the layer as it was.
            record->TimeInYears = before == kTimeFieldYear;
            ArcObjects::RetrieveTimeInfo(record.get());
            platform::AutomationError error(
                platform::error::kInvalidProcedureCall, std::string(platform::kDefaultErrorSource),
                "The time field " + record->TimeStepField + " does not hold years of the calendar.");
            error.UserMessage(std::move(which_value));
            throw error;
        }
        result = record->TimeFieldType == (value ? kTimeFieldYear : kTimeFieldLong);
    });
    return result;
}

platform::Date ChronovaData::CurrentTime() {
    platform::Date value;
    Trap("CurrentTime", kModule, TrapKind::Inner, [&] { value = m_frmSlider->CurrentTime(); });
    return value;
}

void ChronovaData::CurrentTime(platform::Date value) {
    Trap("CurrentTime", kModule, TrapKind::Inner, [&] {
        if (!DocumentClosing) {
            m_frmSlider->CurrentTime(value);
        }
    });
}

std::shared_ptr<gis::ILayer> ChronovaData::TimeRange() {
    std::shared_ptr<gis::ILayer> value;
    Trap("TimeRange", kModule, TrapKind::Inner, [&] { value = m_frmSlider->TimeRange(); });
    return value;
}

void ChronovaData::TimeRange(std::shared_ptr<gis::ILayer>& value) {
    Trap("TimeRange", kModule, TrapKind::Inner, [&] {
        if (!DocumentClosing) {
            m_frmSlider->TimeRange(value);
        }
    });
}

int16_t ChronovaData::TimeRangeCount() {
    int16_t value = 0;
    Trap("TimeRangeCount", kModule, TrapKind::Inner, [&] {
        if (!DocumentClosing) {
            value = m_frmSlider->TimeRangeCount();
        }
    });
    return value;
}

bool ChronovaData::Valid() {
    bool value = false;
    Trap("Valid", kModule, TrapKind::Inner,
         [&] { value = m_frmSlider->Valid() && g_Layers && g_Layers->Count() > 0 && !DocumentClosing; });
    return value;
}

bool ChronovaData::UseDateTime() {
    bool value = false;
    Trap("UseDateTime", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider) {
            value = m_frmSlider->UseDateTime();
        }
    });
    return value;
}

void ChronovaData::UseDateTime(bool value) {
    Trap("UseDateTime", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider) {
            m_frmSlider->UseDateTime(value);
        }
    });
}

bool ChronovaData::TimeSpanActive() {
    bool value = false;
    Trap("TimeSpanActive", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider) {
            value = m_frmSlider->TimeSpanActive();
        }
    });
    return value;
}

void ChronovaData::TimeSpanActive(bool value) {
    Trap("TimeSpanActive", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !(value && DocumentClosing)) {
            m_frmSlider->TimeSpanActive(value);
        }
    });
}

void ChronovaData::SetTimeSpan(platform::Date dteStart, platform::Date dteFinish) {
    Trap("SetTimeSpan", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->SetTimeSpan(dteStart, dteFinish);
        }
    });
}

void ChronovaData::GetTimeSpan(platform::Date& dteStart, platform::Date& dteFinish) {
    Trap("GetTimeSpan", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->GetTimeSpan(dteStart, dteFinish);
        }
    });
}

bool ChronovaData::TimeSpanLabelEnabled() {
    bool value = false;
    Trap("TimeSpanLabelEnabled", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            value = m_frmSlider->TimeSpanLabelEnabled();
        }
    });
    return value;
}

void ChronovaData::TimeSpanLabelEnabled(bool value) {
    Trap("TimeSpanLabelEnabled", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->TimeSpanLabelEnabled(value);
        }
    });
}

int32_t ChronovaData::TimeSpanColor() {
    int32_t value = 0;
    Trap("TimeSpanColor", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            value = m_frmSlider->TimeSpanColor();
        }
    });
    return value;
}

void ChronovaData::TimeSpanColor(int32_t value) {
    Trap("TimeSpanColor", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->TimeSpanColor(value);
        }
    });
}

int32_t ChronovaData::TimeSpanLabelColor() {
    int32_t value = 0;
    Trap("TimeSpanLabelColor", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            value = m_frmSlider->TimeSpanLabelColor();
        }
    });
    return value;
}

void ChronovaData::TimeSpanLabelColor(int32_t value) {
    Trap("TimeSpanLabelColor", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->TimeSpanLabelColor(value);
        }
    });
}

std::string ChronovaData::Caption() {
    return m_frmSlider ? m_frmSlider->Caption() : std::string();
}

int32_t ChronovaData::hWnd() {
    return m_frmSlider ? m_frmSlider->Picture1.hWnd() : 0;
}

void ChronovaData::Update() {
    Trap("Update", kModule, TrapKind::Inner, [&] {
        if (!m_frmSlider) {
            return;
        }
        if (DocumentClosing) {
            m_frmSlider->Clear();
            return;
        }
        m_frmSlider->Update();
        if (g_iDisplayType != kDisplayUniquePoints) {
            m_frmSlider->DrawDayNight();
        } else {
            m_frmSlider->picDayNightBands.Cls();
        }
    });
}

bool ChronovaData::ExtensionEnabled() const {
    const auto extension = g_pApp ? g_pApp->FindExtensionByName(kExtensionName) : nullptr;
    const auto config = std::dynamic_pointer_cast<gis::IExtensionConfig>(extension);
    return config && config->State() == static_cast<int32_t>(gis::ExtensionState::Enabled);
}

void ChronovaData::RefreshGeography() {
    if (const auto map = FocusMap()) {
        map->PartialRefresh(gis::view_phase::kGeography, nullptr, std::nullopt);
    }
}

void ChronovaData::ApplyFilters(bool bShow) {
    Trap("ApplyFilters", kModule, TrapKind::Inner, [&] {
        if (!g_pApp || DocumentClosing || !ExtensionEnabled()) {
            return;
        }
        if (!m_frmSlider || !g_Layers || g_Layers->Count() < 1) {
            return;
        }
        platform::Date current;
        if (bShow) {
            current = CurrentTime();
        }
        for (const auto& record : g_Layers->NewEnum()) {
            if (bShow) {
                modLayers::UpdateLayer(*record, current, NextSliderTime(*m_frmSlider, current));
            } else {
                modLayers::UnselectLayer(*record);
            }
        }
        RefreshGeography();
    });
}

AxisState ChronovaData::Axis() {
    AxisState state;
    Trap("Axis", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider) {
            state = m_frmSlider->Snapshot();
        }
        state.valid = Valid();
    });
    return state;
}

void ChronovaData::GoToPosition(int32_t position) {
    Trap("GoToPosition", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->GoToPosition(position);
        }
    });
}

void ChronovaData::Step(int32_t direction) {
    Trap("Step", kModule, TrapKind::Inner, [&] {
        if (m_frmSlider && !DocumentClosing) {
            m_frmSlider->Step(direction);
        }
    });
}

DisplayOptions ChronovaData::Display() {
    return ReadDisplayOptions();
}

void ChronovaData::Display(const DisplayOptions& options) {
    ApplyDisplayOptions(options);
}

} // namespace chronova
