// How analysts' data carries time, as automation clients set it per layer: windows, tracks and time zones.

#include <memory>
#include <string>

#include "datetime/calendar_interval.h"
#include "gis/layers/feature_layer.h"
#include "host/error_handling.h"
#include "platform/automation_error.h"
#include "platform/text.h"
#include "records/layer_data.h"
#include "records/layer_data_collection.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "registry/chronova_data.h"
#include "timeapply/arc_objects.h"
#include "timeapply/time_reading.h"
#include "timeapply/track_fixes.h"

namespace chronova {

namespace {

constexpr std::string_view kModule = "ChronovaData";
constexpr std::string_view kWindowOfInterval = "interval";
constexpr std::string_view kTrailFromStart = "all";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

[[noreturn]] void RaiseBadSetting(const std::string& message) {
    platform::RaiseError(platform::error::kInvalidProcedureCall, message);
}

// A duration of minutes, hours or days in days; "" is none. Calendar units have no fixed length.
std::optional<double> DurationDays(const std::string& text, const std::string& what) {
    if (platform::Trim(text).empty()) {
        return std::nullopt;
    }
    const auto interval = modDateTime::ParseIntervalText(text);
    if (!interval || interval->IsCalendar()) {
        RaiseBadSetting("'" + text + "' is not a duration for " + what +
                        ": give minutes, hours or days (15min, 2h, 1d).");
    }
    return interval->count / 1440.0;
}

} // namespace

// The record of a registered feature layer with its own time field, which windows and tracks need.
std::shared_ptr<LayerData> ChronovaData::OwnFeatureRecord(const std::shared_ptr<gis::ILayer>& pLayer,
                                                          std::string_view what) {
    std::shared_ptr<LayerData> record;
    if (!FindByLayer(pLayer, &record) || !record->IncludesTimeSteps ||
        !std::dynamic_pointer_cast<gis::FeatureLayer>(record->TheLayer)) {
        RaiseBadSetting(std::string(what) + " needs a registered feature layer with a time field of its own.");
    }
    return record;
}

std::string ChronovaData::TimeWindow(const std::shared_ptr<gis::ILayer>& pLayer) {
    std::string value;
    Trap("TimeWindow", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        if (!FindByLayer(pLayer, &record)) {
            return;
        }
        switch (record->Window.kind) {
        case TimeWindowOption::Kind::None:
            break;
        case TimeWindowOption::Kind::SliderInterval:
            value = kWindowOfInterval;
            break;
        case TimeWindowOption::Kind::Duration:
            value = modDateTime::IntervalToText(record->Window.duration);
            break;
        }
    });
    return value;
}

void ChronovaData::TimeWindow(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& window) {
    Trap("TimeWindow", kModule, TrapKind::Inner, [&] {
        const auto record = OwnFeatureRecord(pLayer, "A time window");
        if (record->TimeFieldType == kTimeFieldDateTimeGroup && !platform::Trim(window).empty()) {
            RaiseBadSetting("A time window needs times that order as times; the date-time groups of '" +
                            record->TimeStepField + "' do not.");
        }
        TimeWindowOption option;
        if (platform::LCase(platform::Trim(window)) == kWindowOfInterval) {
            option.kind = TimeWindowOption::Kind::SliderInterval;
        } else if (!platform::Trim(window).empty()) {
            const auto duration = modDateTime::ParseIntervalText(window);
            if (!duration) {
                RaiseBadSetting("'" + window + "' is not a time window: give 'interval' (the slider's) or " +
                                std::string(modDateTime::kIntervalForms) + ".");
            }
            option.kind = TimeWindowOption::Kind::Duration;
            option.duration = *duration;
        }
        record->Window = option;
    });
}

void ChronovaData::Track(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& sIdField,
                         const std::string& sMaxAge, const std::string& sTrail) {
    Trap("Track", kModule, TrapKind::Inner, [&] {
        const auto record = OwnFeatureRecord(pLayer, "A track");
        TrackOption option;
        option.IdField = platform::Trim(sIdField);
        if (!option.IdField.empty()) {
            if (record->TimeFieldType != kTimeFieldDate && record->TimeFieldType != kTimeFieldText) {
                RaiseBadSetting("Tracks need a date or date text time field; '" + record->TimeStepField +
                                "' is neither.");
            }
            auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record->TheLayer);
            if (layer->FeatureClass()->FindField(option.IdField) < 0) {
                RaiseBadSetting("The track's id field '" + option.IdField + "' is not in the layer '" + layer->Name() +
                                "'.");
            }
            option.MaxAgeDays = DurationDays(sMaxAge, "the track's maximum age").value_or(0.0);
            option.TrailDays = platform::LCase(platform::Trim(sTrail)) == kTrailFromStart
                                   ? std::optional<double>(0.0)
                                   : DurationDays(sTrail, "the track's trail");
        }
        if (!option.IsSet()) {
            modLayers::ClearTrackFixes(*record);
        }
        record->Track = option;
        record->TrackFixes.reset();
    });
}

std::string ChronovaData::LayerTimeZone(const std::shared_ptr<gis::ILayer>& pLayer) {
    std::string value;
    Trap("LayerTimeZone", kModule, TrapKind::Inner, [&] {
        std::shared_ptr<LayerData> record;
        if (FindByLayer(pLayer, &record)) {
            value = record->TimeZone;
        }
    });
    return value;
}

void ChronovaData::LayerTimeZone(const std::shared_ptr<gis::ILayer>& pLayer, const std::string& zone) {
    Trap("LayerTimeZone", kModule, TrapKind::Inner, [&] {
        const auto record = OwnFeatureRecord(pLayer, "A time zone");
        const auto display_before = chronova::DisplayTimeZone();
        record->TimeZone = platform::Trim(zone).empty() ? std::string() : RequireTimeZone(zone).Name();
        if (chronova::DisplayTimeZone() != display_before) {
            ReadTimesAgain();
        } else {
            ArcObjects::RetrieveTimeInfo(record.get());
        }
    });
}

std::string ChronovaData::DisplayTimeZone() {
    return g_sDisplayTimeZone;
}

void ChronovaData::DisplayTimeZone(const std::string& zone) {
    Trap("DisplayTimeZone", kModule, TrapKind::Inner, [&] {
        g_sDisplayTimeZone = platform::Trim(zone).empty() ? std::string() : RequireTimeZone(zone).Name();
        ReadTimesAgain();
    });
}

// Zones change the times of every layer that reads times (one layer's zone can make UTC the display zone).
void ChronovaData::ReadTimesAgain() {
    if (!g_Layers) {
        return;
    }
    for (const auto& record : g_Layers->NewEnum()) {
        ArcObjects::RetrieveTimeInfo(record.get());
    }
}

} // namespace chronova
