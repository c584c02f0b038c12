#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gis/data/field.h"
#include "gis/data/row_ids.h"
#include "platform/time_zone.h"
#include "platform/variant.h"

namespace chronova::gis {

class SortedIndex;
class TimeValues;

/// The values of one field in row order, kept in the narrowest storage that holds the field's type:
/// 32-bit integers for small integer, integer and object id fields; doubles for single, double and date
/// fields (a date as its OLE serial); texts for string, GUID and XML fields; nothing but a row count for
/// geometry, blob and raster fields.
class Column {
public:
    enum class Storage { Integer, Real, Text, None };

    explicit Column(FieldType type);

    FieldType Type() const noexcept { return type_; }
    Storage StorageKind() const noexcept { return storage_; }
    size_t Size() const noexcept { return size_; }
    void Reserve(size_t rows);

    /// Appends one value; the value must suit the storage (an integer goes to Integer or Real storage).
    void AppendInteger(int32_t value);
    void AppendReal(double value);
    /// Appends a date that carried its offset from UTC (minutes), as zoned date-times of a data source do.
    void AppendZonedReal(double value, int offset_minutes);
    void AppendText(std::string value);
    void AppendNull();
    /// Appends count rows without nulls and returns their values to fill in place, the fast way for values read
    /// in bulk; the storage must be Integer (GrowIntegers) or Real (GrowReals). The span is valid until the next
    /// append.
    std::span<int32_t> GrowIntegers(size_t count);
    std::span<double> GrowReals(size_t count);
    /// Appends a row that holds a value the column does not store (a shape, a blob); raises 13 for other columns.
    void AppendNonNull();

    bool IsNull(size_t row) const noexcept { return !nulls_.empty() && nulls_[row]; }
    bool HasNulls() const noexcept { return null_count_ > 0; }
    int32_t Integer(size_t row) const { return integers_[row]; }
    double Real(size_t row) const { return reals_[row]; }
    const std::string& Text(size_t row) const { return texts_[row]; }
    /// The offset from UTC (minutes) a date value carried; nothing for a value without one.
    std::optional<int> OffsetAt(size_t row) const noexcept;
    bool HasOffsets() const noexcept { return !offsets_.empty(); }
    /// An Integer or Real value as a double.
    double Number(size_t row) const;
    /// The value as the host hands it out: Empty for null, Integer for a small integer, Long for an integer
    /// or object id, Single, Double, Date, String; Empty for geometry and blob fields.
    platform::Variant Value(size_t row) const;

    const std::vector<int32_t>& Integers() const noexcept { return integers_; }
    const std::vector<double>& Reals() const noexcept { return reals_; }
    const std::vector<std::string>& Texts() const noexcept { return texts_; }

    /// A new column holding the given rows of this one, in that order.
    Column Take(const std::vector<uint32_t>& rows) const;

private:
    void MarkNull(bool is_null);
    void GrowRows(size_t count);

    FieldType type_;
    Storage storage_;
    size_t size_ = 0;
    size_t null_count_ = 0;
    std::vector<int32_t> integers_;
    std::vector<double> reals_;
    std::vector<std::string> texts_;
    std::vector<bool> nulls_;      // empty until the first null
    std::vector<int16_t> offsets_; // empty until the first zoned date; kNoOffset for the rest
    static constexpr int16_t kNoOffset = INT16_MIN;
};

/// A table's attribute data held in memory, one Column per field. Data is filled once and then only read;
/// sorted indexes of its columns are built on first use and kept.
class ColumnTable {
public:
    explicit ColumnTable(std::string name = {});
    ColumnTable(const ColumnTable&) = delete;
    ColumnTable& operator=(const ColumnTable&) = delete;
    ~ColumnTable();

    /// The table's name; a field may be named "Name.Field" in expressions.
    const std::string& Name() const noexcept { return name_; }

    /// Adds a field with an empty column and returns the column to fill.
    Column& AddField(Field field);

    /// Fills a column that was left empty when the table was filled; called at most once per column.
    using ColumnLoader = std::function<void(size_t column, Column& values)>;
    /// Makes the columns marked in unread load on first use through loader (the rest are filled already), for
    /// a table of `rows` rows. A column loads once even when several threads ask for it at the same time; a
    /// loader that raises leaves the column unread, so the next use tries again. Call before the table is shared.
    void LoadLater(ColumnLoader loader, const std::vector<bool>& unread, size_t rows);
    /// Whether a column's values are in memory (false only for a column still waiting for its loader).
    bool IsLoaded(size_t column) const;
    const std::vector<Field>& Fields() const noexcept { return fields_; }
    size_t FieldCount() const noexcept { return fields_.size(); }
    /// A column's values; a column left for later is loaded first.
    const Column& ColumnAt(size_t index) const {
        EnsureLoaded(index);
        return *columns_[index];
    }
    Column& ColumnAt(size_t index) {
        EnsureLoaded(index);
        return *columns_[index];
    }

    /// The position of a field by name, letter case ignored; "Table.Field" also finds Field when Table is
    /// this table's name, and a bare name finds the one qualified field "Other.Field" of a joined table
    /// when exactly one is so named. -1 when there is no such field.
    int32_t FindField(std::string_view name) const;

    /// Rows of the table: the size of its columns (0 without fields).
    size_t RowCount() const noexcept;
    /// For tables without fields that still have rows (rare: a table of geometry only).
    void SetRowCount(size_t rows) { row_count_ = rows; }

    /// The sorted index of a column, built on the first call; safe to call from several threads.
    const SortedIndex& IndexOf(size_t column) const;

    /// The times of a date or text column under a reading, built on the first call for each reading and kept;
    /// thread-safe.
    const TimeValues& TimesOf(size_t column, const platform::TimeReading& reading) const;

private:
    void EnsureLoaded(size_t index) const {
        if (loader_) {
            LoadOnce(index);
        }
    }
    void LoadOnce(size_t index) const;

    std::string name_;
    std::vector<Field> fields_;
    ColumnLoader loader_;
    // One flag per column; a flag is set once its column holds its values. Empty for a table filled at once.
    std::unique_ptr<std::once_flag[]> loaded_;
    std::vector<bool> unread_;
    std::unique_ptr<std::atomic<bool>[]> filled_; // per column: its loader has filled it
    std::vector<std::unique_ptr<Column>> columns_;
    size_t row_count_ = 0;
    mutable std::mutex index_mutex_;
    mutable std::vector<std::unique_ptr<SortedIndex>> indexes_;
    struct ReadTimes {
        size_t column;
        platform::TimeReading reading;
        std::unique_ptr<TimeValues> times;
    };
    mutable std::vector<ReadTimes> times_;
};

} // namespace chronova::gis
