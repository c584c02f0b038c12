#include "layerconfig/field_detection.h"

#include "gis/data/table.h"
#include "gis/layers/feature_layer.h"
#include "platform/text.h"
#include "records/i_time_layer.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace chronova::layerconfig {
namespace {

constexpr size_t kKindCount = 8;

// Accepted table field type codes (the host's numbering) per kind; 7, 8 and 9 are never offered.
constexpr std::array<std::initializer_list<int16_t>, kKindCount> kTableTypes{{
    {0, 1, 2, 3, 4, 5, 6, 10, 11, 12},
    {0, 1, 6},
    {5},
    {0, 1, 2, 3, 6},
    {0, 1, 2, 3, 5, 6},
    {0, 1, 2, 3, 4, 6},
    {0, 1, 2, 3, 4, 5, 6},
    {4},
}};

// Accepted type codes of custom time layer fields per kind; kind 0 takes every code.
constexpr std::array<std::initializer_list<int16_t>, kKindCount> kCustomTypes{{
    {},
    {2, 3},
    {7},
    {2, 3, 4, 5},
    {2, 3, 4, 5, 7},
    {2, 3, 4, 5, 8},
    {2, 3, 4, 5, 7, 8},
    {8},
}};

bool Contains(std::initializer_list<int16_t> codes, int16_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

size_t KindIndex(FieldKind kind) noexcept {
    const auto index = static_cast<size_t>(kind);
    return index < kKindCount ? index : 0;
}

bool IsNeverOffered(int16_t table_type) noexcept {
    return table_type == static_cast<int16_t>(gis::FieldType::Geometry) ||
           table_type == static_cast<int16_t>(gis::FieldType::Blob) ||
           table_type == static_cast<int16_t>(gis::FieldType::Raster);
}

// Whether the name occurs inside the candidate text, both upper-cased; empty names match nothing.
bool OccursIn(std::string_view name, std::string_view upper_text) {
    return !name.empty() && upper_text.find(platform::UCase(name)) != std::string_view::npos;
}

} // namespace

std::string_view SpeedFieldNames(bool custom_layer) noexcept {
    return custom_layer ? kCustomSpeedFieldNames : kSpeedFieldNames;
}

std::string_view DirectionFieldNames(bool custom_layer) noexcept {
    return custom_layer ? kCustomDirectionFieldNames : kDirectionFieldNames;
}

std::vector<SourceField> FieldsOf(const gis::ITable& table) {
    std::vector<SourceField> fields;
    const auto& table_fields = table.Fields();
    fields.reserve(table_fields.size());
    int32_t index = 0;
    for (const auto& field : table_fields) {
        fields.push_back({field.Name, field.AliasName, static_cast<int16_t>(field.Type), false, index++});
    }
    return fields;
}

std::vector<SourceField> FieldsOf(ITimeLayer& layer) {
    std::vector<SourceField> fields;
    const int32_t count = layer.FieldsCount();
    for (int32_t index = 1; index <= count; ++index) {
        SourceField field;
        field.Custom = true;
        field.Index = index;
        layer.Fields(index, field.Name, field.Type);
        fields.push_back(std::move(field));
    }
    return fields;
}

std::vector<SourceField> FieldsOfLayer(const std::shared_ptr<gis::ILayer>& layer) {
    if (auto feature_layer = std::dynamic_pointer_cast<gis::FeatureLayer>(layer)) {
        const auto& feature_class = feature_layer->FeatureClass();
        return feature_class ? FieldsOf(*feature_class) : std::vector<SourceField>{};
    }
    if (auto time_layer = std::dynamic_pointer_cast<ITimeLayer>(layer)) {
        return FieldsOf(*time_layer);
    }
    return {};
}

bool OfferedInList(const SourceField& field, FieldKind kind) noexcept {
    if (field.Custom) {
        return kind == FieldKind::Any || Contains(kCustomTypes[KindIndex(kind)], field.Type);
    }
    return !IsNeverOffered(field.Type) && Contains(kTableTypes[KindIndex(kind)], field.Type);
}

bool OfferedInFieldList(const SourceField& field, FieldKind kind) noexcept {
    if (!field.Custom && static_cast<int16_t>(kind) > static_cast<int16_t>(FieldKind::NumberOrDate)) {
        return !IsNeverOffered(field.Type);
    }
    return OfferedInList(field, kind);
}

int32_t ItemDataOf(const SourceField& field) noexcept {
    if (field.Custom) {
        return field.Type;
    }
    switch (static_cast<gis::FieldType>(field.Type)) {
    case gis::FieldType::SmallInteger:
    case gis::FieldType::Integer:
    case gis::FieldType::Single:
    case gis::FieldType::Double:
    case gis::FieldType::OID:
        return 0;
    case gis::FieldType::Date:
        return 1;
    case gis::FieldType::String:
        return kTextItemData;
    default:
        return 3;
    }
}

FieldChoices ProposeField(const std::vector<SourceField>& fields, std::string_view names, FieldKind kind) {
    FieldChoices choices;
    const std::string upper_names = platform::UCase(names);
    int32_t exact = -1;
    int32_t partial = -1;
    for (const auto& field : fields) {
        if (!OfferedInList(field, kind)) {
            continue;
        }
        choices.Entries.push_back(field);
        const auto entry = static_cast<int32_t>(choices.Entries.size()) - 1;
        if (!OccursIn(field.Name, upper_names)) {
            continue;
        }
        if (upper_names.find("," + platform::UCase(field.Name) + ",") != std::string::npos) {
            exact = entry;
        } else {
            partial = entry;
        }
    }
    if (exact >= 0) {
        choices.Proposed = exact;
        choices.Match = FieldMatch::Exact;
    } else if (partial >= 0) {
        choices.Proposed = partial;
        choices.Match = FieldMatch::Partial;
    }
    if (choices.Entries.size() == 1 && choices.Match == FieldMatch::None) {
        choices.Proposed = 0;
        choices.Match = FieldMatch::OnlyEntry;
    }
    return choices;
}

std::string FirstTimeLikeField(const std::vector<SourceField>& fields) {
    for (const auto& field : fields) {
        const bool name_matches =
            !field.Name.empty() && kTimeFieldNames.find(platform::LCase(field.Name)) != std::string_view::npos;
        const bool alias_matches = !field.Alias.empty() && field.Alias != field.Name &&
                                   kTimeFieldNames.find(platform::LCase(field.Alias)) != std::string_view::npos;
        if (name_matches || alias_matches) {
            return field.Name;
        }
    }
    return {};
}

} // namespace chronova::layerconfig
