#include "gis/symbology/renderers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "platform/automation_error.h"
#include "platform/ole_date.h"

namespace chronova::gis {

void ClassBreaksRenderer::BreakCount(int32_t count) {
    if (count < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall);
    }
    const auto size = static_cast<size_t>(count);
    breaks_.resize(size, 0.0);
    low_breaks_.resize(size, 0.0);
    symbols_.resize(size);
    labels_.resize(size);
    Touch();
}

void ClassBreaksRenderer::CheckIndex(int32_t index) const {
    if (index < 0 || index >= BreakCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
}

double ClassBreaksRenderer::Break(int32_t index) const {
    CheckIndex(index);
    return breaks_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::Break(int32_t index, double value) {
    CheckIndex(index);
    breaks_[static_cast<size_t>(index)] = value;
    Touch();
}

std::shared_ptr<ISymbol> ClassBreaksRenderer::Symbol(int32_t index) const {
    CheckIndex(index);
    return symbols_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::Symbol(int32_t index, std::shared_ptr<ISymbol> symbol) {
    CheckIndex(index);
    symbols_[static_cast<size_t>(index)] = std::move(symbol);
    Touch();
}

std::string ClassBreaksRenderer::Label(int32_t index) const {
    CheckIndex(index);
    return labels_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::Label(int32_t index, std::string label) {
    CheckIndex(index);
    labels_[static_cast<size_t>(index)] = std::move(label);
}

double ClassBreaksRenderer::LowBreak(int32_t index) const {
    CheckIndex(index);
    return low_breaks_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::LowBreak(int32_t index, double value) {
    CheckIndex(index);
    low_breaks_[static_cast<size_t>(index)] = value;
}

int32_t ClassBreaksRenderer::ClassOf(double value) const {
    // The first class is closed below, like the host's: the minimum value belongs to it.
    if (breaks_.empty() || value < MinimumBreak) {
        return -1;
    }
    for (size_t i = 0; i < breaks_.size(); ++i) {
        if (value <= breaks_[i]) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

std::vector<double> EqualIntervalBreaks(double minimum, double maximum, int32_t classes) {
    if (classes < 1 || !(maximum >= minimum)) {
        return {};
    }
    if (maximum == minimum) {
        return {minimum, maximum};
    }
    std::vector<double> breaks;
    breaks.reserve(static_cast<size_t>(classes) + 1);
    const double width = (maximum - minimum) / classes;
    for (int32_t i = 0; i < classes; ++i) {
        breaks.push_back(minimum + i * width);
    }
    breaks.push_back(maximum);
    return breaks;
}

std::vector<double> QuantileBreaks(std::vector<double> values, int32_t classes) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double value) { return std::isnan(value); }),
                 values.end());
    if (classes < 1 || values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    const size_t count = values.size();
    std::vector<double> breaks{values.front()};
    for (int32_t i = 1; i <= classes; ++i) {
        // The upper end of class i: the value at or below which i / classes of the values lie.
        const size_t at = (static_cast<size_t>(i) * count + static_cast<size_t>(classes) - 1) / classes - 1;
        // The first class may end on the smallest value (it is closed below); later breaks must rise.
        if (breaks.size() == 1 || values[at] > breaks.back()) {
            breaks.push_back(values[at]);
        }
    }
    return breaks;
}

void SetClassBreaks(ClassBreaksRenderer& renderer, const std::vector<double>& breaks) {
    const auto classes = static_cast<int32_t>(breaks.empty() ? 0 : breaks.size() - 1);
    renderer.BreakCount(0);
    renderer.BreakCount(classes);
    renderer.MinimumBreak = breaks.empty() ? 0.0 : breaks.front();
    for (int32_t i = 0; i < classes; ++i) {
        renderer.Break(i, breaks[static_cast<size_t>(i) + 1]);
        renderer.LowBreak(i, breaks[static_cast<size_t>(i)]);
    }
}

void UniqueValueRenderer::AddValue(std::string value, std::shared_ptr<ISymbol> symbol, std::string label) {
    if (const auto found = index_.find(value); found != index_.end()) {
        Entry& entry = entries_[static_cast<size_t>(found->second)];
        entry.Symbol = std::move(symbol);
        entry.Label = std::move(label);
    } else {
        index_.emplace(value, ValueCount());
        entries_.push_back({std::move(value), std::move(symbol), std::move(label)});
    }
    Touch();
}

void UniqueValueRenderer::RemoveAllValues() {
    entries_.clear();
    index_.clear();
    Touch();
}

void UniqueValueRenderer::CheckIndex(int32_t index) const {
    if (index < 0 || index >= ValueCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
}

const std::string& UniqueValueRenderer::Value(int32_t index) const {
    CheckIndex(index);
    return entries_[static_cast<size_t>(index)].Value;
}

std::shared_ptr<ISymbol> UniqueValueRenderer::Symbol(int32_t index) const {
    CheckIndex(index);
    return entries_[static_cast<size_t>(index)].Symbol;
}

void UniqueValueRenderer::Symbol(int32_t index, std::shared_ptr<ISymbol> symbol) {
    CheckIndex(index);
    entries_[static_cast<size_t>(index)].Symbol = std::move(symbol);
    Touch();
}

const std::string& UniqueValueRenderer::Label(int32_t index) const {
    CheckIndex(index);
    return entries_[static_cast<size_t>(index)].Label;
}

int32_t UniqueValueRenderer::IndexOf(std::string_view value) const {
    const auto found = index_.find(value);
    return found == index_.end() ? -1 : found->second;
}

std::shared_ptr<const std::vector<int32_t>>
UniqueValueRenderer::ClassesOf(const std::shared_ptr<const ColumnTable>& table, size_t column) const {
    std::lock_guard lock(row_classes_mutex_);
    RowClasses& kept = row_classes_;
    if (kept.Classes && kept.TableKey == table.get() && !kept.Table.expired() && kept.Column == column &&
        kept.Revision == Revision()) {
        return kept.Classes;
    }
    const Column& values = table->ColumnAt(column);
    auto classes = std::make_shared<std::vector<int32_t>>(values.Size(), -1);
    if (values.StorageKind() == Column::Storage::Text) {
        for (size_t row = 0; row < values.Size(); ++row) {
            if (!values.IsNull(row)) {
                (*classes)[row] = IndexOf(values.Text(row));
            }
        }
    } else if (values.StorageKind() != Column::Storage::None) {
        // A number is written as text once per distinct value.
        const bool dates = values.Type() == FieldType::Date;
        std::unordered_map<double, int32_t> numbers;
        for (size_t row = 0; row < values.Size(); ++row) {
            if (values.IsNull(row)) {
                continue;
            }
            const double number = values.Number(row);
            auto [found, added] = numbers.try_emplace(number, -1);
            if (added) {
                found->second = IndexOf(dates ? UniqueDateText(number) : UniqueValueText(number));
            }
            (*classes)[row] = found->second;
        }
    }
    kept = RowClasses{table, table.get(), column, Revision(), std::move(classes)};
    return kept.Classes;
}

std::string UniqueValueText(double value) {
    char text[64];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value == 0.0 ? 0.0 : value);
    } else {
        std::snprintf(text, sizeof text, "%.15g", value);
    }
    return text;
}

std::string UniqueDateText(double serial) {
    const platform::DateParts parts = platform::Date(serial).Parts();
    char text[64];
    if (parts.hour == 0 && parts.minute == 0 && parts.second == 0) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", parts.year, parts.month, parts.day,
                      parts.hour, parts.minute, parts.second);
    }
    return text;
}

std::shared_ptr<ISymbol> RecoloredSymbol(const ISymbol& symbol, Color color) {
    std::shared_ptr<ISymbol> copy = symbol.Clone();
    if (auto* marker = dynamic_cast<IMarkerSymbol*>(copy.get())) {
        marker->MarkerColor = color;
    } else if (auto* line = dynamic_cast<SimpleLineSymbol*>(copy.get())) {
        line->LineColor = color;
    } else if (auto* fill = dynamic_cast<SimpleFillSymbol*>(copy.get())) {
        fill->FillColor = color;
    }
    return copy;
}

std::vector<RampStop> RasterStretchColorRampRenderer::EffectiveStops() const {
    if (!Stops.empty()) {
        return Stops;
    }
    return {{0.0, FromColor}, {1.0, ToColor}};
}

} // namespace chronova::gis
