#include "registry/shapefile_date_warning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "gis/data/column_table.h"
#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "platform/text.h"

namespace chronova {

namespace {

// The largest number of features whose dates fall on one day; dates are OLE serials, whole days before the point.
int32_t MostFeaturesOnOneDay(const gis::Column& dates) {
    std::unordered_map<int64_t, int32_t> per_day;
    int32_t most = 0;
    for (size_t row = 0; row < dates.Size(); ++row) {
        if (!dates.IsNull(row)) {
            const auto day = static_cast<int64_t>(std::floor(dates.Real(row)));
            most = std::max(most, ++per_day[day]);
        }
    }
    return most;
}

} // namespace

std::string ShapefileDateWarning(const gis::FeatureLayer& layer, const std::string& time_field) {
    const auto& feature_class = layer.FeatureClass();
    if (!feature_class) {
        return {};
    }
    const auto data = feature_class->Data();
    const int32_t field = data->FindField(time_field);
    if (field < 0 || data->Fields()[static_cast<size_t>(field)].Type != gis::FieldType::Date) {
        return {};
    }
    const int32_t most = MostFeaturesOnOneDay(data->ColumnAt(static_cast<size_t>(field)));
    if (most < 2) {
        return {};
    }
    const std::string file = feature_class->Name() + ".shp";
    const std::string subject =
        platform::IEquals(layer.Name(), feature_class->Name()) ? file : "layer '" + layer.Name() + "' (" + file + ")";
    return subject + ": field '" + data->Fields()[static_cast<size_t>(field)].Name +
           "' holds dates only (a .dbf keeps no time of day); steps are whole days (up to " + std::to_string(most) +
           " features on one day)";
}

} // namespace chronova
