#include "plugins/moving_points/moving_points_layer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "datetime/mod_date_time.h"
#include "platform/atomic_file.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"
#include "platform/text.h"
#include "plugins/moving_points/csv_records.h"

namespace chronova::plugins {

namespace {

// Field type codes a custom layer reports.
constexpr int16_t kStringField = 8;
constexpr int16_t kDateField = 7;
constexpr int16_t kDoubleField = 5;

// Arrow sizes in points for the slowest and the fastest point.
constexpr double kMinArrowSize = 8.0;
constexpr double kMaxArrowSize = 24.0;
// The arrow is the upwards arrow of a common font; without that font the display draws its own arrow.
constexpr const char* kArrowFont = "DejaVu Sans";
constexpr int32_t kArrowCharacter = 0x2191;

[[noreturn]] void Fail(const std::string& source, int line, const std::string& what) {
    platform::RaiseError(platform::error::kInvalidProcedureCall,
                         source + ", line " + std::to_string(line) + ": " + what);
}

int ColumnOf(const std::vector<std::string>& header, std::string_view name) {
    for (size_t i = 0; i < header.size(); ++i) {
        if (platform::IEquals(platform::Trim(header[i]), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

platform::Date ReadTime(const std::string& text, const std::string& source, int line) {
    const std::string trimmed = platform::Trim(text);
    if (modDateTime::IsDTG(trimmed)) {
        return modDateTime::DTGToDate(trimmed);
    }
    if (auto date = platform::TryParseDate(trimmed)) {
        return *date;
    }
    Fail(source, line, "'" + trimmed + "' is not a date and time");
}

std::optional<double> ReadNumber(const std::string& text, const std::string& source, int line, bool optional) {
    const std::string trimmed = platform::Trim(text);
    if (trimmed.empty() && optional) {
        return std::nullopt;
    }
    if (auto number = platform::ParseNumber(trimmed); number && std::isfinite(*number)) {
        return number;
    }
    Fail(source, line, "'" + trimmed + "' is not a number");
}

} // namespace

std::shared_ptr<MovingPointsLayer> MovingPointsLayer::Open(const std::string& path, std::string name) {
    const platform::FileContents contents = platform::ReadWholeFile(path);
    if (contents.missing) {
        platform::RaiseError(platform::error::kFileNotFound, "The file " + path + " does not exist.");
    }
    if (!contents.error.empty()) {
        platform::RaiseError(platform::error::kPathFileAccess, contents.error);
    }
    if (name.empty()) {
        name = std::filesystem::path(path).stem().string();
    }
    return FromText(contents.data, path, std::move(name));
}

std::shared_ptr<MovingPointsLayer> MovingPointsLayer::FromText(std::string_view text, const std::string& source,
                                                               std::string name) {
    const std::vector<CsvRecord> records = ParseCsv(text, source);
    if (records.empty()) {
        Fail(source, 1, "the file has no header line");
    }
    const auto& header = records.front().Fields;
    const int id = ColumnOf(header, "ID");
    const int time = ColumnOf(header, "TIME");
    const int x = ColumnOf(header, "X");
    const int y = ColumnOf(header, "Y");
    const int speed = ColumnOf(header, "SPEED");
    const int direction = ColumnOf(header, "DIRECTION");
    if (time < 0 || x < 0 || y < 0) {
        Fail(source, records.front().Line, "the header must name the columns TIME, X and Y");
    }

    std::shared_ptr<MovingPointsLayer> layer(new MovingPointsLayer());
    layer->Name(std::move(name));
    layer->path_ = source;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.Fields.size() != header.size()) {
            Fail(source, record.Line,
                 "expected " + std::to_string(header.size()) + " fields, found " +
                     std::to_string(record.Fields.size()));
        }
        MovingPoint point;
        point.Id = id >= 0 ? platform::Trim(record.Fields[static_cast<size_t>(id)]) : std::to_string(r);
        point.Time = ReadTime(record.Fields[static_cast<size_t>(time)], source, record.Line);
        point.X = *ReadNumber(record.Fields[static_cast<size_t>(x)], source, record.Line, false);
        point.Y = *ReadNumber(record.Fields[static_cast<size_t>(y)], source, record.Line, false);
        if (speed >= 0) {
            point.Speed = ReadNumber(record.Fields[static_cast<size_t>(speed)], source, record.Line, true);
        }
        if (direction >= 0) {
            point.Direction = ReadNumber(record.Fields[static_cast<size_t>(direction)], source, record.Line, true);
        }
        layer->extent_.Expand(point.X, point.Y);
        layer->points_.push_back(std::move(point));
    }
    std::stable_sort(layer->points_.begin(), layer->points_.end(),
                     [](const MovingPoint& a, const MovingPoint& b) { return a.Time < b.Time; });
    for (const MovingPoint& point : layer->points_) {
        if (layer->steps_.empty() || layer->steps_.back() < point.Time) {
            layer->steps_.push_back(point.Time);
        }
    }

    layer->fields_ = {{"ID", kStringField}, {"TIME", kDateField}, {"X", kDoubleField}, {"Y", kDoubleField}};
    if (speed >= 0) {
        layer->fields_.emplace_back("SPEED", kDoubleField);
    }
    if (direction >= 0) {
        layer->fields_.emplace_back("DIRECTION", kDoubleField);
    }
    layer->has_vectors_ = speed >= 0 && direction >= 0;
    bool first_speed = true;
    for (const MovingPoint& point : layer->points_) {
        if (point.Speed) {
            layer->min_speed_ = first_speed ? *point.Speed : std::min(layer->min_speed_, *point.Speed);
            layer->max_speed_ = first_speed ? *point.Speed : std::max(layer->max_speed_, *point.Speed);
            first_speed = false;
        }
    }
    layer->point_symbol_.MarkerColor = gis::Color{200, 40, 40, false};
    layer->point_symbol_.Size = 6.0;
    return layer;
}

platform::Variant MovingPointsLayer::TimeStep(int32_t lIndex) {
    if (lIndex < 1 || lIndex > TimeStepCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    return steps_[static_cast<size_t>(lIndex - 1)];
}

void MovingPointsLayer::CurrentTimeStep(const platform::Variant& value) {
    current_ = value;
    Select();
}

void MovingPointsLayer::ShowPrevious(bool value) {
    show_previous_ = value;
    Select();
}

void MovingPointsLayer::Fields(int32_t lIndex, std::string& sName, int16_t& iType) {
    if (lIndex < 1 || lIndex > FieldsCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    sName = fields_[static_cast<size_t>(lIndex - 1)].first;
    iType = fields_[static_cast<size_t>(lIndex - 1)].second;
}

void MovingPointsLayer::VectorFields(std::string& sSpeed, std::string& sDirection) {
    sSpeed = has_vectors_ ? "SPEED" : "";
    sDirection = has_vectors_ ? "DIRECTION" : "";
}

// The points of the current step (or up to it): a binary search over the time-sorted points. An empty or
// unreadable step shows nothing, which is how the system hides the layer. The draw revision moves only when
// the points shown change, so a cached image of the layer outlives a step that shows the same points.
void MovingPointsLayer::Select() {
    gis::RowIds selected;
    std::optional<platform::Date> step;
    if (!current_.IsEmpty()) {
        try {
            step = platform::CDate(current_);
        } catch (const platform::AutomationError&) {
            step.reset();
        }
    }
    if (step) {
        const auto by_time = [](const MovingPoint& point, platform::Date t) { return point.Time < t; };
        const auto first =
            show_previous_ ? points_.begin() : std::lower_bound(points_.begin(), points_.end(), *step, by_time);
        const auto last = std::upper_bound(points_.begin(), points_.end(), *step,
                                           [](platform::Date t, const MovingPoint& point) { return t < point.Time; });
        for (auto it = first; it < last; ++it) {
            selected.push_back(static_cast<uint32_t>(it - points_.begin()));
        }
    }
    if (selected != visible_) {
        visible_ = std::move(selected);
        ++draw_revision_;
    }
}

std::optional<std::string> MovingPointsLayer::DrawState() const {
    std::string bytes(visible_.size() * sizeof(uint32_t), '\0');
    if (!visible_.empty()) {
        std::memcpy(bytes.data(), visible_.data(), bytes.size());
    }
    return bytes;
}

void MovingPointsLayer::Draw(gis::IDisplay& display) {
    gis::CharacterMarkerSymbol arrow;
    arrow.FontName = kArrowFont;
    arrow.CharacterIndex = kArrowCharacter;
    arrow.MarkerColor = point_symbol_.MarkerColor;
    const double speed_range = max_speed_ - min_speed_;
    for (const uint32_t index : visible_) {
        const MovingPoint& point = points_[index];
        if (!has_vectors_ || !point.Speed || !point.Direction) {
            display.DrawMarker(point.X, point.Y, point_symbol_);
            continue;
        }
        const double share = speed_range > 0.0 ? (*point.Speed - min_speed_) / speed_range : 0.0;
        arrow.Size = kMinArrowSize + std::clamp(share, 0.0, 1.0) * (kMaxArrowSize - kMinArrowSize);
        display.DrawMarker(point.X, point.Y, arrow, *point.Direction);
    }
}

} // namespace chronova::plugins
