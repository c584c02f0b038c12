#include "project/field_classes.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "gis/data/column_table.h"
#include "gis/data/table.h"
#include "gis/symbology/palettes.h"
#include "platform/automation_error.h"

namespace chronova::project {

namespace {

constexpr int32_t kDefaultClasses = 5;
constexpr std::string_view kDefaultUniqueRamp = "tab10";
constexpr std::string_view kDefaultGraduatedRamp = "viridis";
// Features whose value is null or not listed.
constexpr gis::Color kNoValueColor{189, 189, 189, false};

std::string FieldList(const gis::ColumnTable& data) {
    std::string names;
    for (const gis::Field& field : data.Fields()) {
        if (field.Type != gis::FieldType::Geometry) {
            names += (names.empty() ? "" : ", ") + field.Name;
        }
    }
    return names;
}

// The colours of `count` classes from the entry's ramp or colours, or the default ramp.
std::vector<gis::Color> ColorsFor(const FieldClasses& classes, int count, std::string_view default_ramp) {
    if (!classes.Colors.empty()) {
        return gis::ClassColors(classes.Colors, count);
    }
    return gis::ClassColors(gis::ColorRampNamed(classes.Ramp.value_or(std::string(default_ramp))), count);
}

// Every value of the column as unique values match it, texts in text order and numbers in numeric order; whether
// any row is null.
std::vector<std::string> DistinctValues(const gis::Column& column, bool& has_nulls) {
    has_nulls = false;
    std::vector<std::string> values;
    if (column.StorageKind() == gis::Column::Storage::Text) {
        std::set<std::string> texts;
        for (size_t row = 0; row < column.Size(); ++row) {
            if (column.IsNull(row)) {
                has_nulls = true;
            } else {
                texts.insert(column.Text(row));
            }
        }
        values.assign(texts.begin(), texts.end());
        return values;
    }
    std::set<double> numbers;
    for (size_t row = 0; row < column.Size(); ++row) {
        if (column.IsNull(row)) {
            has_nulls = true;
        } else {
            numbers.insert(column.Number(row));
        }
    }
    const bool dates = column.Type() == gis::FieldType::Date;
    for (const double number : numbers) {
        values.push_back(dates ? gis::UniqueDateText(number) : gis::UniqueValueText(number));
    }
    return values;
}

std::shared_ptr<gis::IFeatureRenderer> UniqueValues(const gis::Column& column, const FieldClasses& classes,
                                                    const gis::ISymbol& base) {
    auto renderer = std::make_shared<gis::UniqueValueRenderer>();
    renderer->Field = classes.Field;
    for (const auto& [value, color] : classes.Values) {
        renderer->AddValue(value, gis::RecoloredSymbol(base, color));
    }
    bool has_nulls = false;
    std::vector<std::string> values = DistinctValues(column, has_nulls);
    std::erase_if(values, [&](const std::string& value) { return renderer->IndexOf(value) >= 0; });
    const std::vector<gis::Color> colors = ColorsFor(classes, static_cast<int>(values.size()), kDefaultUniqueRamp);
    for (size_t i = 0; i < values.size(); ++i) {
        renderer->AddValue(values[i], gis::RecoloredSymbol(base, colors[i]));
    }
    if (has_nulls) {
        renderer->DefaultSymbol = gis::RecoloredSymbol(base, kNoValueColor);
        renderer->DefaultLabel = "(no value)";
    }
    return renderer;
}

std::shared_ptr<gis::IFeatureRenderer> Graduated(const gis::Column& column, const FieldClasses& classes,
                                                 ClassifyMethod method, const gis::ISymbol& base) {
    std::vector<double> breaks = classes.Breaks;
    if (method != ClassifyMethod::Breaks) {
        std::vector<double> values;
        values.reserve(column.Size());
        for (size_t row = 0; row < column.Size(); ++row) {
            if (!column.IsNull(row)) {
                values.push_back(column.Number(row));
            }
        }
        const int32_t count = classes.Classes.value_or(kDefaultClasses);
        if (method == ClassifyMethod::Quantile) {
            breaks = gis::QuantileBreaks(std::move(values), count);
        } else if (!values.empty()) {
            const auto [low, high] = std::minmax_element(values.begin(), values.end());
            breaks = gis::EqualIntervalBreaks(*low, *high, count);
        }
    }
    auto renderer = std::make_shared<gis::ClassBreaksRenderer>();
    renderer->Field = classes.Field;
    gis::SetClassBreaks(*renderer, breaks);
    renderer->ColorRampName = classes.Ramp.value_or(classes.Colors.empty() ? std::string(kDefaultGraduatedRamp) : "");
    const std::vector<gis::Color> colors = ColorsFor(classes, renderer->BreakCount(), kDefaultGraduatedRamp);
    // Classes keep no labels: legends name them by their range.
    for (int32_t i = 0; i < renderer->BreakCount(); ++i) {
        renderer->Symbol(i, gis::RecoloredSymbol(base, colors[static_cast<size_t>(i)]));
    }
    return renderer;
}

} // namespace

std::shared_ptr<gis::IFeatureRenderer> FieldClassesRenderer(const gis::FeatureLayer& layer, const FieldClasses& classes,
                                                            const gis::ISymbol& base) {
    const auto table = layer.DisplayTable();
    if (!table) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "has no table to colour by");
    }
    const std::shared_ptr<const gis::ColumnTable> data = table->Data();
    const int32_t index = data->FindField(classes.Field);
    if (index < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "has no field '" + classes.Field + "' to colour by (fields: " + FieldList(*data) + ")");
    }
    const gis::Column& column = data->ColumnAt(static_cast<size_t>(index));
    if (column.StorageKind() == gis::Column::Storage::None) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "cannot be coloured by the field '" + classes.Field + "', which holds no values");
    }
    const bool numbers = column.StorageKind() != gis::Column::Storage::Text && column.Type() != gis::FieldType::Date;
    ClassifyMethod method = classes.Classify.value_or(ClassifyMethod::Unique);
    if (!classes.Classify && numbers && classes.Values.empty()) {
        method = ClassifyMethod::EqualInterval;
    }
    if (method == ClassifyMethod::Unique) {
        return UniqueValues(column, classes, base);
    }
    if (!numbers) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "cannot put the field '" + classes.Field +
                                 "' into graduated classes: it does not hold numbers (use \"classify\": \"unique\")");
    }
    return Graduated(column, classes, method, base);
}

} // namespace chronova::project
