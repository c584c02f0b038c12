#include "timeapply/track_fixes.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gis/data/track_index.h"
#include "gis/layers/feature_layer.h"
#include "platform/automation_error.h"
#include "records/layer_data.h"
#include "records/time_codes.h"
#include "timeapply/time_reading.h"

namespace chronova::modLayers {

namespace {

std::shared_ptr<const gis::TrackIndex> BuildTrackIndex(const LayerData& record, const gis::FeatureLayer& layer) {
    const auto data = layer.FeatureClass()->Data();
    const int32_t time_field = data->FindField(record.TimeStepField);
    const int32_t id_field = data->FindField(record.Track.IdField);
    if (id_field < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "The track's id field '" + record.Track.IdField +
                                                                         "' is not in the layer '" + layer.Name() +
                                                                         "'.");
    }
    const bool readable =
        time_field >= 0 && (record.TimeFieldType == kTimeFieldDate || record.TimeFieldType == kTimeFieldText);
    if (!readable) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "Tracks need a date or date text time field; '" +
                                                                         record.TimeStepField + "' of the layer '" +
                                                                         layer.Name() + "' is neither.");
    }
    const gis::TimeValues& times = data->TimesOf(static_cast<size_t>(time_field), LayerTimeReading(record));
    return std::make_shared<const gis::TrackIndex>(data->ColumnAt(static_cast<size_t>(id_field)), times);
}

// Each trail's points fade from full opacity at the newest fix to nearly none at the trail's old end.
std::shared_ptr<const std::vector<gis::FeatureTrail>> TrailsAt(const gis::TrackIndex& index, double time,
                                                               double length) {
    auto trails = std::make_shared<std::vector<gis::FeatureTrail>>();
    for (const gis::TrackIndex::Trail& fixes : index.TrailsAt(time, length)) {
        gis::FeatureTrail trail;
        trail.rows = fixes.rows;
        const double span = length > 0.0 ? length : time - fixes.times.front();
        trail.opacity.reserve(fixes.times.size());
        for (double fix_time : fixes.times) {
            const double age = span > 0.0 ? (time - fix_time) / span : 0.0;
            trail.opacity.push_back(static_cast<float>(1.0 - 0.9 * std::min(1.0, std::max(0.0, age))));
        }
        trails->push_back(std::move(trail));
    }
    return trails;
}

} // namespace

void SelectTrackFixes(LayerData& record, platform::Date current) {
    auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer);
    if (!layer || !layer->FeatureClass()) {
        return;
    }
    // Cleared first: a layer whose rows stay on a database server then holds every row, which the track index
    // and the rows it selects refer to.
    layer->DefinitionExpression(std::string());
    if (!record.TrackFixes) {
        record.TrackFixes = BuildTrackIndex(record, *layer);
    }
    const double time = current.Serial();
    layer->TimeSelection(
        std::make_shared<const gis::RowIds>(record.TrackFixes->LatestAt(time, record.Track.MaxAgeDays)));
    if (record.Track.TrailDays) {
        layer->Trails(TrailsAt(*record.TrackFixes, time, *record.Track.TrailDays));
    } else {
        layer->Trails(nullptr);
    }
}

void ClearTrackFixes(LayerData& record) {
    if (auto layer = std::dynamic_pointer_cast<gis::FeatureLayer>(record.TheLayer)) {
        layer->TimeSelection(nullptr);
        layer->Trails(nullptr);
    }
}

} // namespace chronova::modLayers
