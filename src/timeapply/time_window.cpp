#include "timeapply/time_window.h"

#include <memory>
#include <string>

#include "datetime/calendar_interval.h"
#include "datetime/mod_date_time.h"
#include "gis/layers/feature_layer.h"
#include "platform/automation_error.h"
#include "records/layer_data.h"
#include "records/time_codes.h"
#include "timeapply/step_literal.h"

namespace chronova::modLayers {

namespace {

// The slider counts whole minutes, so its last step stands for its minute.
constexpr double kOneMinute = 1.0 / 1440.0;

// The smallest value of the field whose time is at or after the date, as a literal: exact for dates and
// texts; for minute counts and years the next whole minute or year unless the date is one.
std::string LowestAtOrAfter(int16_t time_field_type, platform::Date date) {
    switch (time_field_type) {
    case kTimeFieldLong: {
        const int32_t minutes = modDateTime::DateToMinutes(date);
        return std::to_string(modDateTime::MinutesToDate(minutes) < date ? minutes + 1 : minutes);
    }
    case kTimeFieldYear: {
        const int year = date.Parts().year;
        return std::to_string(platform::Date::FromParts(year, 1, 1) < date ? year + 1 : year);
    }
    case kTimeFieldDateTimeGroup:
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "A time window needs a time field whose values order as times; date-time group "
                             "texts do not.");
    default:
        return StepLiteral(time_field_type, platform::Variant(date)).value_or("");
    }
}

} // namespace

platform::Date WindowEnd(const LayerData& record, platform::Date current, std::optional<platform::Date> slider_next) {
    if (record.Window.kind == TimeWindowOption::Kind::Duration) {
        const modDateTime::CalendarInterval& duration = record.Window.duration;
        if (!duration.IsCalendar()) {
            return platform::Date::FromLinear(current.Linear() + duration.count / 1440.0);
        }
        // Months and years from the current minute, keeping any seconds past it.
        const int32_t minutes = modDateTime::DateToMinutes(current);
        const double past_minute = current.Linear() - modDateTime::MinutesToDate(minutes).Linear();
        return platform::Date::FromLinear(
            modDateTime::MinutesToDate(modDateTime::TimeAfterInterval(minutes, duration)).Linear() + past_minute);
    }
    if (slider_next && current < *slider_next) {
        return *slider_next;
    }
    return platform::Date::FromLinear(current.Linear() + kOneMinute);
}

void SelectLayerFeaturesByWindow(LayerData& record, platform::Date current, platform::Date end) {
    auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer);
    if (!layer || !layer->FeatureClass()) {
        return;
    }
    const std::string& field = record.TimeStepField;
    std::string expression = field + " < " + LowestAtOrAfter(record.TimeFieldType, end);
    if (!record.IncludePreviousSteps) {
        expression = field + " >= " + LowestAtOrAfter(record.TimeFieldType, current) + " AND " + expression;
    }
    layer->FollowsGrowth(record.IncludePreviousSteps);
    layer->DefinitionExpression(expression);
}

} // namespace chronova::modLayers
