#include "timeapply/value_error.h"

#include <filesystem>
#include <memory>
#include <optional>

#include "gis/data/table.h"
#include "platform/conversions.h"

namespace chronova {

namespace {

// The object id of the first row whose value of the field is the value; nothing when no row holds it or the
// table has no id field.
std::optional<platform::Variant> FeatureIdOf(const gis::ColumnTable& data, size_t field,
                                             const platform::Variant& value) {
    const std::vector<gis::Field>& fields = data.Fields();
    size_t id_field = fields.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].Type == gis::FieldType::OID) {
            id_field = i;
            break;
        }
    }
    if (id_field == fields.size()) {
        return std::nullopt;
    }
    const gis::Column& column = data.ColumnAt(field);
    for (size_t row = 0; row < column.Size(); ++row) {
        if (column.Value(row) == value) {
            return data.ColumnAt(id_field).Value(row);
        }
    }
    return std::nullopt;
}

} // namespace

std::string TablePlace(const gis::ITable& table) {
    const std::shared_ptr<gis::IWorkspace> workspace = table.Workspace();
    if (!workspace) {
        return table.Name();
    }
    // A folder workspace holds shapefiles, whose values live in the dBASE file of the same name.
    if (!std::dynamic_pointer_cast<gis::IGeodatabaseWorkspace>(workspace)) {
        return (std::filesystem::path(workspace->PathName()) / (table.Name() + ".dbf")).string();
    }
    return workspace->PathName() + ", layer " + table.Name();
}

std::string QuotedValue(const platform::Variant& value) {
    if (const std::string* text = value.Get<std::string>()) {
        return "'" + *text + "'";
    }
    return platform::CStr(value);
}

void RaiseValueError(const gis::ITable& table, int32_t field, const platform::Variant& value, std::string_view reason,
                     const platform::AutomationError& failure) {
    const std::shared_ptr<const gis::ColumnTable> data = table.Data();
    const auto index = static_cast<size_t>(field);
    std::string message = TablePlace(table) + ": ";
    if (const std::optional<platform::Variant> id = FeatureIdOf(*data, index, value)) {
        message += "feature " + platform::CStr(*id) + ", ";
    }
    message += "field " + data->Fields()[index].Name + ": " + QuotedValue(value) + " " + std::string(reason);
    platform::AutomationError error = failure;
    error.UserMessage(std::move(message));
    throw error;
}

} // namespace chronova
