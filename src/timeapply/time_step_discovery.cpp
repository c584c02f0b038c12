#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "gis/data/server_table.h"
#include "gis/data/statistics.h"
#include "gis/data/table.h"
#include "gis/data/time_values.h"
#include "gis/layers/feature_layer.h"
#include "gis/layers/raster_layer.h"
#include "gis/layers/wms_map_layer.h"
#include "host/error_handling.h"
#include "platform/conversions.h"
#include "records/i_time_layer.h"
#include "records/layer_data.h"
#include "records/process_state.h"
#include "records/time_codes.h"
#include "timeapply/arc_objects.h"
#include "timeapply/mod_layers.h"
#include "timeapply/raster_side_files.h"
#include "timeapply/time_reading.h"
#include "timeapply/value_error.h"

namespace chronova::ArcObjects {

namespace {

constexpr std::string_view kModule = "ArcObjects";
using ErrorHandling::Trap;
using ErrorHandling::TrapKind;

int32_t UnitMinutes(const std::string& units) {
    if (units == "d") {
        return 1440;
    }
    if (units == "h") {
        return 60;
    }
    return 1;
}

// The calendar unit of a raster's unit code ("m", "yyyy"); nothing for the minute-based codes.
std::optional<modDateTime::IntervalUnit> CalendarUnit(const std::string& units) {
    const std::optional<modDateTime::IntervalUnit> unit = modDateTime::UnitOfCode(units);
    if (unit && *unit != modDateTime::IntervalUnit::Minutes) {
        return unit;
    }
    return std::nullopt;
}

// 1 January of a year number; a year outside the calendar's 100..9999 raises 6.
platform::Date YearStart(const platform::Variant& value) {
    const int32_t year = platform::CLng(value);
    if (year < 100 || year > 9999) {
        platform::RaiseError(platform::error::kOverflow, "The year " + std::to_string(year) + " is out of range.");
    }
    return platform::Date::FromParts(year, 1, 1);
}

// Band steps: texts of the "xml" step list when there is one, else start plus whole intervals. A list that
// cannot time the bands is an error, never a reason to fall back on a start and interval nobody may have given.
void CollectRasterSteps(LayerData& record, gis::RasterLayer& layer) {
    record.TimeFieldType = kTimeFieldText;
    const int32_t bands = layer.BandCount();
    std::string step_list_path = record.Path;
    modLayers::ChangeExtension(step_list_path, "xml");
    const std::optional<RasterStepList> list = ReadRasterStepList(step_list_path);
    if (list && !list->Problem.empty()) {
        platform::RaiseError(platform::error::kTypeMismatch, list->Problem);
    }
    const std::vector<std::string>* texts = list ? &list->Steps : nullptr;
    const bool use_list = texts != nullptr;
    const int64_t step_minutes = int64_t{record.RasterInterval} * UnitMinutes(record.RasterIntervalUnits);
    // Months and years are counted from the start band by band, so a monthly raster keeps to the calendar.
    const std::optional<modDateTime::IntervalUnit> calendar = CalendarUnit(record.RasterIntervalUnits);
    for (int32_t band = 1; band <= bands; ++band) {
        if (use_list) {
            if (static_cast<size_t>(band) > texts->size()) {
                platform::RaiseError(platform::error::kSubscriptOutOfRange, "The step list " + step_list_path +
                                                                                " has no timestep element for band " +
                                                                                std::to_string(band) + ".");
            }
            record.TimeSteps(band, platform::Variant((*texts)[static_cast<size_t>(band - 1)]));
        } else {
            const int64_t minutes = calendar ? modDateTime::AddIntervals(record.RasterStartTime,
                                                                         {record.RasterInterval, *calendar}, band - 1)
                                             : int64_t{record.RasterStartTime} + (band - 1) * step_minutes;
            if (minutes < INT32_MIN || minutes > INT32_MAX) {
                platform::RaiseError(platform::error::kOverflow);
            }
            record.TimeSteps(band, platform::Variant(modDateTime::MinutesToDate(static_cast<int32_t>(minutes))));
        }
    }
}

// 49 hourly steps centred on the current local hour.
void CollectWmsSteps(LayerData& record) {
    record.TimeFieldType = kTimeFieldText;
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    const int32_t hour_minutes =
        modDateTime::PartsToMinutes(static_cast<int16_t>(local.tm_year + 1900), static_cast<int16_t>(local.tm_mon + 1),
                                    static_cast<int16_t>(local.tm_mday), static_cast<int16_t>(local.tm_hour), 0);
    for (int32_t k = -24; k <= 24; ++k) {
        record.TimeSteps(k + 25, platform::Variant(modDateTime::MinutesToDate(hour_minutes + k * 60)));
    }
}

void CollectCustomSteps(LayerData& record, ITimeLayer& layer) {
    const int32_t count = layer.TimeStepCount();
    platform::Variant last;
    for (int32_t i = 1; i <= count; ++i) {
        last = layer.TimeStep(i);
        record.TimeSteps(i, last);
    }
    switch (last.Type()) {
    case platform::VarType::Long:
        record.TimeFieldType = kTimeFieldLong;
        break;
    case platform::VarType::Double:
        record.TimeFieldType = kTimeFieldDouble;
        break;
    case platform::VarType::Date:
        record.TimeFieldType = kTimeFieldDate;
        break;
    case platform::VarType::String:
        record.TimeFieldType = kTimeFieldText;
        break;
    default:
        break;
    }
}

// The distinct times of a field read as times, as date steps; false when no row reads as a time. A time the
// steps cannot hold is an error naming its row.
bool CollectDistinctTimes(LayerData& record, const gis::ITable& table, int32_t field, const gis::TimeValues& times) {
    const auto& order = times.Order();
    if (order.empty()) {
        return false;
    }
    int32_t position = 0;
    double previous = 0.0;
    for (size_t i = 0; i < order.size(); ++i) {
        const double linear = times.SortedTimes()[i];
        if (i == 0 || linear != previous) {
            try {
                record.TimeSteps(++position, platform::Variant(platform::Date(times.At(order[i]))));
            } catch (const platform::AutomationError& failure) {
                RaiseValueError(table, field, table.Data()->ColumnAt(static_cast<size_t>(field)).Value(order[i]),
                                "is out of the range of times a step can take", failure);
            }
            previous = linear;
        }
    }
    return true;
}

// The step a value of the time field stands for. A year is kept as the date it starts, so that steps, ranges and
// labels are real times; a minute count must name a day of the calendar, as the slider shows it as a date.
platform::Variant StepOf(int16_t time_field_type, const platform::Variant& value) {
    if (time_field_type == kTimeFieldYear) {
        return platform::Variant(YearStart(value));
    }
    // Every later minute count is a date: the largest one falls in the year 5983.
    static const int32_t first_minute = modDateTime::PartsToMinutes(100, 1, 1, 0, 0);
    if (time_field_type == kTimeFieldLong && platform::CLng(value) < first_minute) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return value;
}

// Why a value of the time field is not a step: it reads as no year, date-time group or time.
std::string WhyNotAStep(int16_t time_field_type, const std::vector<platform::Variant>& values) {
    switch (time_field_type) {
    case kTimeFieldYear:
        return "is not a year from 100 to 9999";
    case kTimeFieldText: {
        const bool groups = std::any_of(values.begin(), values.end(), [](const platform::Variant& value) {
            const std::string* text = value.Get<std::string>();
            return text != nullptr && modDateTime::IsDTG(*text);
        });
        return groups ? "is not a date-time group (DDHHMMZ MON YYYY)" : "is not a date and time";
    }
    default:
        return "is out of the range of times a step can take";
    }
}

// The distinct values of the time field, from the feature class or from the join table of its workspace.
bool CollectFeatureSteps(LayerData& record, gis::FeatureLayer& layer) {
    const auto& feature_class = layer.FeatureClass();
    if (!feature_class) {
        return false;
    }
    // The reading (zones) may have changed since the last time: filters and tracks follow it.
    if (record.IncludesTimeSteps) {
        ApplyTimeReading(record);
    }
    record.TrackFixes.reset();
    std::shared_ptr<gis::ITable> table;
    if (record.IncludesTimeSteps) {
        table = feature_class;
    } else {
        if (record.JoinTable.empty()) {
            return false;
        }
        auto workspace = std::dynamic_pointer_cast<gis::IFeatureWorkspace>(feature_class->Workspace());
        if (!workspace) {
            return true; // no steps: reading the first step reports the error
        }
        table = workspace->OpenTable(record.JoinTable);
    }
    // Rows that stay on a database server are not fetched to find the steps: the server lists the distinct
    // values, and the steps are read from them as from the rows.
    if (auto server = std::dynamic_pointer_cast<gis::IServerTable>(table)) {
        if (server->FindField(record.TimeStepField) < 0) {
            return false;
        }
        table = server->DistinctValues(record.TimeStepField);
    }
    if (!table || !table->HasRows()) {
        return false;
    }
    const int32_t field = table->FindField(record.TimeStepField);
    if (field < 0) {
        return false;
    }
    switch (table->Fields()[static_cast<size_t>(field)].Type) {
    case gis::FieldType::Integer:
        record.TimeFieldType = record.TimeInYears ? kTimeFieldYear : kTimeFieldLong;
        break;
    case gis::FieldType::Double:
        record.TimeFieldType = kTimeFieldDouble;
        break;
    case gis::FieldType::String:
        record.TimeFieldType = kTimeFieldText;
        break;
    case gis::FieldType::Date:
        record.TimeFieldType = kTimeFieldDate;
        break;
    default:
        return false;
    }
    // Texts and dates step by the times they stand for, in the display zone; texts none of which reads as a time
    // (date-time groups) keep their classic steps. Dates go through the times the time filter reads too, so
    // that a time layer keeps one order of its rows rather than a sorted index as well.
    const platform::TimeReading reading = record.IncludesTimeSteps ? LayerTimeReading(record) : platform::TimeReading{};
    const bool as_times = record.TimeFieldType == kTimeFieldText || record.TimeFieldType == kTimeFieldDate;
    if (as_times &&
        CollectDistinctTimes(record, *table, field, table->Data()->TimesOf(static_cast<size_t>(field), reading))) {
        return true;
    }
    int32_t position = 0;
    const std::vector<platform::Variant> values = gis::UniqueValues(table->Search(), record.TimeStepField);
    for (const platform::Variant& value : values) {
        try {
            record.TimeSteps(++position, StepOf(record.TimeFieldType, value));
        } catch (const platform::AutomationError& failure) {
            RaiseValueError(*table, field, value, WhyNotAStep(record.TimeFieldType, values), failure);
        }
    }
    return true;
}

// A step's minute count by the layer's TimeFieldType.
int32_t StepMinutes(int16_t time_field_type, const platform::Variant& step) {
    switch (time_field_type) {
    case kTimeFieldText:
        return modDateTime::DateToMinutes(platform::CDate(step));
    case kTimeFieldDateTimeGroup:
        return modDateTime::DTGToMinutes(platform::CStr(step));
    case kTimeFieldLong:
        return platform::CLng(step);
    default:
        return modDateTime::DateToMinutes(platform::CDate(step));
    }
}

// Adds the layer's steps to the shared list of distinct steps; returns the list's highest index.
int32_t AddUniqueTimes(LayerData& record) {
    auto& times = g_dteUniqueTimes;
    std::set<double> present;
    for (const platform::Date& date : times) {
        present.insert(date.Linear());
    }
    const int32_t count = record.TimeStepsCount();
    for (int32_t i = 1; i <= count; ++i) {
        const platform::Date step = record.TimeStepsAsDate(i);
        if (times.front().Serial() == 0.0) {
            present.erase(times.front().Linear());
            times.front() = step;
            present.insert(step.Linear());
        } else if (present.insert(step.Linear()).second) {
            times.push_back(step);
        }
    }
    const auto highest = static_cast<int32_t>(times.size()) - 1;
    if (highest >= 1) {
        std::sort(times.begin(), times.end());
    }
    return highest;
}

// The smallest gap of at least one minute between consecutive steps; 0 when there is none.
int32_t SmallestGap(LayerData& record) {
    int32_t interval = 0;
    const int32_t count = record.TimeStepsCount();
    int32_t previous = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const int32_t minutes = modDateTime::DateToMinutes(record.TimeStepsAsDate(i));
        if (i > 1) {
            const int32_t gap = minutes - previous;
            if (gap >= 1 && (interval == 0 || gap < interval)) {
                interval = gap;
            }
        }
        previous = minutes;
    }
    return interval;
}

} // namespace

bool RetrieveTimeInfo(LayerData* pLayerData) {
    bool result = false;
    Trap("RetrieveTimeInfo", kModule, TrapKind::Inner, [&] {
        if (pLayerData == nullptr || !pLayerData->TheLayer || pLayerData->TimeStepField.empty()) {
            return;
        }
        LayerData& record = *pLayerData;
        const auto& layer = record.TheLayer;
        auto raster = std::dynamic_pointer_cast<gis::RasterLayer>(layer);
        auto custom = std::dynamic_pointer_cast<ITimeLayer>(layer);
        auto feature = std::dynamic_pointer_cast<gis::FeatureLayer>(layer);
        const bool is_wms = std::dynamic_pointer_cast<gis::WmsMapLayer>(layer) != nullptr;
        if (!raster && !custom && !feature && !is_wms) {
            return;
        }

        // A rebuild starts from scratch, so steps the data no longer has do not linger.
        record.TimeStepsClear();
        if (record.IsRasterLayer) {
            if (!raster) {
                return;
            }
            CollectRasterSteps(record, *raster);
        } else if (record.IsWMSLayer) {
            CollectWmsSteps(record);
        } else if (record.IsTimeLayer) {
            if (!custom) {
                return;
            }
            CollectCustomSteps(record, *custom);
        } else if (!feature || !CollectFeatureSteps(record, *feature)) {
            return;
        }

        // Start and finish; a first text step that is a date-time group makes the layer a DTG layer.
        const platform::Variant first = record.TimeSteps(1);
        if (record.TimeFieldType == kTimeFieldText && modDateTime::IsDTG(platform::CStr(first))) {
            record.TimeFieldType = kTimeFieldDateTimeGroup;
        }
        record.StartTime = StepMinutes(record.TimeFieldType, first);
        record.FinishTime = StepMinutes(record.TimeFieldType, record.TimeSteps(record.TimeStepsCount()));

        const bool unique_points = g_iDisplayType == kDisplayUniquePoints && !g_dteUniqueTimes.empty();
        record.Interval = unique_points ? AddUniqueTimes(record) : SmallestGap(record);
        result = true;
    });
    return result;
}

bool RetrieveTimeStep(LayerData* pLayerData, platform::Date dteTime, platform::Variant& vTimeStep) {
    bool result = false;
    Trap("RetrieveTimeStep", kModule, TrapKind::Inner, [&] {
        if (pLayerData == nullptr) {
            return;
        }
        LayerData& record = *pLayerData;
        const int32_t minutes = modDateTime::DateToMinutes(dteTime);
        if (minutes < record.StartTime || record.TimeStepsCount() == 0) {
            return;
        }
        bool shows_previous = false;
        if (record.IsTimeLayer) {
            auto custom = std::dynamic_pointer_cast<ITimeLayer>(record.TheLayer);
            shows_previous = record.IncludePreviousSteps || (custom && custom->ShowPrevious());
        }
        if (!shows_previous && record.FinishTime < minutes) {
            return;
        }
        vTimeStep = record.FindPrevTimeStep(dteTime);
        result = true;
    });
    return result;
}

void LoadRangeMinMax(LayerData* pLayerData, const std::string& sField) {
    Trap("LoadRangeMinMax", kModule, TrapKind::Inner, [&] {
        if (pLayerData == nullptr) {
            return;
        }
        LayerData& record = *pLayerData;
        record.MinRange = 0.0;
        record.MaxRange = 1.0;
        auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer);
        if (sField.empty() || !layer || !layer->FeatureClass()) {
            return;
        }
        std::shared_ptr<gis::ITable> table = layer->FeatureClass();
        if (record.isJoined) {
            auto workspace = std::dynamic_pointer_cast<gis::IFeatureWorkspace>(layer->FeatureClass()->Workspace());
            if (record.JoinTable.empty() || !workspace) {
                return;
            }
            table = workspace->OpenTable(record.JoinTable);
        }
        const int32_t field = table ? table->FindField(sField) : -1;
        if (field < 0) {
            return;
        }
        switch (table->Fields()[static_cast<size_t>(field)].Type) {
        case gis::FieldType::SmallInteger:
        case gis::FieldType::Integer:
        case gis::FieldType::Single:
        case gis::FieldType::Double:
            break;
        default:
            return;
        }
        const gis::FieldStatistics stats = gis::Statistics(table->Search(), sField);
        if (stats.Count > 0) {
            record.MinRange = stats.Minimum;
            record.MaxRange = stats.Maximum;
        }
    });
}

} // namespace chronova::ArcObjects
