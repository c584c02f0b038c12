#include "gis/data/column_table.h"

#include "gis/data/sorted_index.h"
#include "gis/data/time_values.h"
#include "platform/automation_error.h"
#include "platform/text.h"

namespace chronova::gis {

namespace {

Column::Storage StorageFor(FieldType type) {
    switch (type) {
    case FieldType::SmallInteger:
    case FieldType::Integer:
    case FieldType::OID:
        return Column::Storage::Integer;
    case FieldType::Single:
    case FieldType::Double:
    case FieldType::Date:
        return Column::Storage::Real;
    case FieldType::String:
    case FieldType::GUID:
    case FieldType::GlobalID:
    case FieldType::XML:
        return Column::Storage::Text;
    case FieldType::Geometry:
    case FieldType::Blob:
    case FieldType::Raster:
        break;
    }
    return Column::Storage::None;
}

} // namespace

Column::Column(FieldType type) : type_(type), storage_(StorageFor(type)) {}

void Column::Reserve(size_t rows) {
    switch (storage_) {
    case Storage::Integer:
        integers_.reserve(rows);
        break;
    case Storage::Real:
        reals_.reserve(rows);
        break;
    case Storage::Text:
        texts_.reserve(rows);
        break;
    case Storage::None:
        break;
    }
}

void Column::MarkNull(bool is_null) {
    if (is_null && null_count_ == 0) {
        nulls_.assign(size_, false);
    }
    if (is_null) {
        ++null_count_;
    }
    if (null_count_ > 0) {
        nulls_.push_back(is_null);
    }
    if (!offsets_.empty()) {
        offsets_.push_back(kNoOffset);
    }
    ++size_;
}

void Column::AppendInteger(int32_t value) {
    if (storage_ == Storage::Integer) {
        integers_.push_back(value);
    } else if (storage_ == Storage::Real) {
        reals_.push_back(value);
    } else {
        platform::RaiseError(platform::error::kTypeMismatch);
    }
    MarkNull(false);
}

void Column::AppendReal(double value) {
    if (storage_ != Storage::Real) {
        platform::RaiseError(platform::error::kTypeMismatch);
    }
    reals_.push_back(value);
    MarkNull(false);
}

void Column::AppendZonedReal(double value, int offset_minutes) {
    AppendReal(value);
    if (offsets_.empty()) {
        offsets_.assign(size_, kNoOffset);
    }
    offsets_.back() = static_cast<int16_t>(offset_minutes);
}

std::optional<int> Column::OffsetAt(size_t row) const noexcept {
    if (offsets_.empty() || offsets_[row] == kNoOffset) {
        return std::nullopt;
    }
    return offsets_[row];
}

void Column::AppendText(std::string value) {
    if (storage_ != Storage::Text) {
        platform::RaiseError(platform::error::kTypeMismatch);
    }
    texts_.push_back(std::move(value));
    MarkNull(false);
}

void Column::AppendNull() {
    switch (storage_) {
    case Storage::Integer:
        integers_.push_back(0);
        break;
    case Storage::Real:
        reals_.push_back(0.0);
        break;
    case Storage::Text:
        texts_.emplace_back();
        break;
    case Storage::None:
        break;
    }
    MarkNull(true);
}

void Column::GrowRows(size_t count) {
    if (null_count_ > 0) {
        nulls_.resize(nulls_.size() + count, false);
    }
    if (!offsets_.empty()) {
        offsets_.resize(offsets_.size() + count, kNoOffset);
    }
    size_ += count;
}

std::span<int32_t> Column::GrowIntegers(size_t count) {
    if (storage_ != Storage::Integer) {
        platform::RaiseError(platform::error::kTypeMismatch);
    }
    integers_.resize(integers_.size() + count);
    GrowRows(count);
    return {integers_.data() + integers_.size() - count, count};
}

std::span<double> Column::GrowReals(size_t count) {
    if (storage_ != Storage::Real) {
        platform::RaiseError(platform::error::kTypeMismatch);
    }
    reals_.resize(reals_.size() + count);
    GrowRows(count);
    return {reals_.data() + reals_.size() - count, count};
}

void Column::AppendNonNull() {
    if (storage_ != Storage::None) {
        platform::RaiseError(platform::error::kTypeMismatch);
    }
    MarkNull(false);
}

double Column::Number(size_t row) const {
    return storage_ == Storage::Integer ? static_cast<double>(integers_[row]) : reals_[row];
}

platform::Variant Column::Value(size_t row) const {
    if (IsNull(row)) {
        return {};
    }
    switch (type_) {
    case FieldType::SmallInteger:
        return static_cast<int16_t>(integers_[row]);
    case FieldType::Integer:
    case FieldType::OID:
        return integers_[row];
    case FieldType::Single:
        return static_cast<float>(reals_[row]);
    case FieldType::Double:
        return reals_[row];
    case FieldType::Date:
        return platform::Date(reals_[row]);
    case FieldType::String:
    case FieldType::GUID:
    case FieldType::GlobalID:
    case FieldType::XML:
        return texts_[row];
    case FieldType::Geometry:
    case FieldType::Blob:
    case FieldType::Raster:
        break;
    }
    return {};
}

Column Column::Take(const std::vector<uint32_t>& rows) const {
    Column taken(type_);
    taken.Reserve(rows.size());
    for (uint32_t row : rows) {
        if (IsNull(row)) {
            taken.AppendNull();
            continue;
        }
        switch (storage_) {
        case Storage::Integer:
            taken.AppendInteger(integers_[row]);
            break;
        case Storage::Real:
            if (const auto offset = OffsetAt(row)) {
                taken.AppendZonedReal(reals_[row], *offset);
            } else {
                taken.AppendReal(reals_[row]);
            }
            break;
        case Storage::Text:
            taken.AppendText(texts_[row]);
            break;
        case Storage::None:
            taken.MarkNull(false);
            break;
        }
    }
    return taken;
}

ColumnTable::ColumnTable(std::string name) : name_(std::move(name)) {}

ColumnTable::~ColumnTable() = default;

Column& ColumnTable::AddField(Field field) {
    columns_.push_back(std::make_unique<Column>(field.Type));
    fields_.push_back(std::move(field));
    std::lock_guard lock(index_mutex_);
    indexes_.emplace_back();
    return *columns_.back();
}

void ColumnTable::LoadLater(ColumnLoader loader, const std::vector<bool>& unread, size_t rows) {
    unread_ = unread;
    unread_.resize(columns_.size(), false);
    loaded_ = std::make_unique<std::once_flag[]>(columns_.size());
    filled_ = std::make_unique<std::atomic<bool>[]>(columns_.size());
    row_count_ = rows;
    loader_ = std::move(loader);
}

bool ColumnTable::IsLoaded(size_t column) const {
    if (!loader_ || !unread_.at(column)) {
        return true;
    }
    return filled_[column].load();
}

void ColumnTable::LoadOnce(size_t index) const {
    std::call_once(loaded_[index], [&] {
        if (!unread_.at(index)) {
            return;
        }
        // Filled on the side, so that a failed load leaves the column empty for the next try.
        Column column(columns_[index]->Type());
        loader_(index, column);
        if (column.Size() != row_count_) {
            platform::RaiseError(platform::error::kPathFileAccess,
                                 "The field '" + fields_[index].Name + "' no longer has the table's rows.");
        }
        *columns_[index] = std::move(column);
        filled_[index].store(true);
    });
}

int32_t ColumnTable::FindField(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (platform::IEquals(fields_[i].Name, name)) {
            return static_cast<int32_t>(i);
        }
    }
    // "Table.Field" names a field of this table.
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && !name_.empty() && platform::IEquals(name.substr(0, dot), name_)) {
        return FindField(name.substr(dot + 1));
    }
    // A joined table qualifies its fields ("Table.Field"); the bare name finds one when exactly one fits.
    int32_t found = -1;
    for (size_t i = 0; i < fields_.size() && !name.empty(); ++i) {
        const std::string& field = fields_[i].Name;
        if (field.size() > name.size() && field[field.size() - name.size() - 1] == '.' &&
            platform::IEquals(std::string_view(field).substr(field.size() - name.size()), name)) {
            if (found >= 0) {
                return -1;
            }
            found = static_cast<int32_t>(i);
        }
    }
    return found;
}

size_t ColumnTable::RowCount() const noexcept {
    return columns_.empty() || loader_ ? row_count_ : columns_.front()->Size();
}

const SortedIndex& ColumnTable::IndexOf(size_t column) const {
    const Column& values = ColumnAt(column); // loaded outside the lock: loading may take long
    std::lock_guard lock(index_mutex_);
    auto& index = indexes_.at(column);
    if (!index) {
        index = std::make_unique<SortedIndex>(values);
    }
    return *index;
}

const TimeValues& ColumnTable::TimesOf(size_t column, const platform::TimeReading& reading) const {
    const Column& values = ColumnAt(column);
    std::lock_guard lock(index_mutex_);
    for (const ReadTimes& read : times_) {
        if (read.column == column && read.reading == reading) {
            return *read.times;
        }
    }
    times_.push_back({column, reading, std::make_unique<TimeValues>(values, reading)});
    return *times_.back().times;
}

} // namespace chronova::gis
