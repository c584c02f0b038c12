#include "gis/data/joined_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "gis/data/sorted_index.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"

namespace chronova::gis {

namespace {

constexpr uint32_t kNoRow = std::numeric_limits<uint32_t>::max();

size_t KeyField(const ColumnTable& data, const std::string& key, const std::string& table) {
    const int32_t index = data.FindField(key);
    if (index < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The key field '" + key + "' is not in the table '" + table + "'.");
    }
    const Column::Storage storage = data.ColumnAt(static_cast<size_t>(index)).StorageKind();
    if (storage == Column::Storage::None) {
        platform::RaiseError(platform::error::kTypeMismatch,
                             "The field '" + key + "' of the table '" + table + "' cannot be a join key.");
    }
    return static_cast<size_t>(index);
}

std::optional<double> NumberOfText(std::string_view text) {
    try {
        return platform::ParseNumber(text);
    } catch (const platform::AutomationError&) {
        return std::nullopt;
    }
}

// Appends the origin rows whose key equals one destination key to `out`, through the origin key's index:
// numbers by value, texts byte for byte, a number and a text when the text reads as that number.
void AddMatches(const SortedIndex& origin_index, const Column& destination_key, uint32_t destination_row,
                std::vector<std::pair<uint32_t, uint32_t>>& out) {
    if (destination_key.IsNull(destination_row)) {
        return;
    }
    std::optional<double> number;
    if (destination_key.StorageKind() == Column::Storage::Text) {
        const std::string& text = destination_key.Text(destination_row);
        if (origin_index.IsText()) {
            const SortedIndex::TextBound equal{text, true};
            const auto [first, last] = origin_index.TextRange(&equal, &equal);
            for (size_t i = first; i < last; ++i) {
                out.emplace_back(origin_index.Order()[i], destination_row);
            }
            return;
        }
        number = NumberOfText(text);
    } else {
        number = destination_key.Number(destination_row);
    }
    if (!number || std::isnan(*number)) {
        return;
    }
    if (origin_index.IsText()) {
        const auto& numbers = origin_index.NumbersOfTexts();
        const auto [first, last] = std::equal_range(numbers.numbers.begin(), numbers.numbers.end(), *number);
        for (auto it = first; it != last; ++it) {
            out.emplace_back(numbers.rows[static_cast<size_t>(it - numbers.numbers.begin())], destination_row);
        }
        return;
    }
    const SortedIndex::Bound equal{*number, true};
    const auto [first, last] = origin_index.NumberRange(&equal, &equal);
    for (size_t i = first; i < last; ++i) {
        out.emplace_back(origin_index.Order()[i], destination_row);
    }
}

// A column of the given rows of `source`; kNoRow gives a null.
Column Gather(const Column& source, const std::vector<uint32_t>& rows) {
    Column gathered(source.Type());
    gathered.Reserve(rows.size());
    for (const uint32_t row : rows) {
        if (row == kNoRow || source.IsNull(row)) {
            gathered.AppendNull();
            continue;
        }
        switch (source.StorageKind()) {
        case Column::Storage::Integer:
            gathered.AppendInteger(source.Integer(row));
            break;
        case Column::Storage::Real:
            gathered.AppendReal(source.Real(row));
            break;
        case Column::Storage::Text:
            gathered.AppendText(source.Text(row));
            break;
        case Column::Storage::None:
            gathered.AppendNull(); // geometry and blobs are not carried into a join
            break;
        }
    }
    return gathered;
}

// A 64-bit digest fed word by word: each word is mixed through a multiply-xorshift round (the splitmix64
// finaliser), so equal inputs give equal digests and any change reaches every bit.
class Digest {
public:
    void Add(uint64_t word) noexcept { state_ = Mix(state_ ^ (word + 0x9e3779b97f4a7c15ULL)); }
    void Add(double value) noexcept {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Add(bits);
    }
    void Add(const std::string& text) noexcept {
        Add(static_cast<uint64_t>(text.size()));
        uint64_t word = 0;
        size_t filled = 0;
        for (const char c : text) {
            word = (word << 8U) | static_cast<unsigned char>(c);
            if (++filled == sizeof(word)) {
                Add(word);
                word = 0;
                filled = 0;
            }
        }
        Add(word);
    }
    uint64_t Value() const noexcept { return state_; }

private:
    static uint64_t Mix(uint64_t z) noexcept {
        z = (z ^ (z >> 30U)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27U)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31U);
    }
    uint64_t state_ = 0;
};

void AddColumn(Digest& digest, const Column& column) {
    digest.Add(static_cast<uint64_t>(column.StorageKind()));
    digest.Add(static_cast<uint64_t>(column.Size()));
    for (size_t row = 0; row < column.Size(); ++row) {
        if (column.IsNull(row)) {
            digest.Add(uint64_t{0xA11});
            continue;
        }
        switch (column.StorageKind()) {
        case Column::Storage::Integer:
            digest.Add(static_cast<uint64_t>(static_cast<int64_t>(column.Integer(row))));
            break;
        case Column::Storage::Real:
            digest.Add(column.Real(row));
            if (const std::optional<int> offset = column.OffsetAt(row)) {
                digest.Add(static_cast<uint64_t>(static_cast<int64_t>(*offset)));
            }
            break;
        case Column::Storage::Text:
            digest.Add(column.Text(row));
            break;
        case Column::Storage::None:
            break;
        }
    }
}

} // namespace

JoinedTable::JoinedTable(std::shared_ptr<const MemoryRelationshipClass> relationship, JoinType join_type)
    : relationship_(std::move(relationship)), join_type_(join_type) {
    if (relationship_ == nullptr || relationship_->Origin == nullptr || relationship_->Destination == nullptr) {
        platform::RaiseError(platform::error::kObjectNotSet,
                             "The relationship class has no origin or no destination table.");
    }
    const ITable& origin = *relationship_->Origin;
    const ITable& destination = *relationship_->Destination;
    const auto origin_data = origin.Data();
    const auto destination_data = destination.Data();
    const size_t origin_key = KeyField(*origin_data, relationship_->OriginKey, origin.Name());
    const size_t destination_key = KeyField(*destination_data, relationship_->DestinationKey, destination.Name());

    // Each destination row looks its key up in the origin key's index: O(k log n) for k destination rows.
    const SortedIndex& origin_index = origin_data->IndexOf(origin_key);
    const Column& destination_keys = destination_data->ColumnAt(destination_key);
    std::vector<std::pair<uint32_t, uint32_t>> matches;
    for (size_t row = 0; row < destination_data->RowCount(); ++row) {
        AddMatches(origin_index, destination_keys, static_cast<uint32_t>(row), matches);
    }
    // Each origin row takes its first matching destination row.
    std::sort(matches.begin(), matches.end());
    matches.erase(
        std::unique(matches.begin(), matches.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        matches.end());

    std::vector<uint32_t> origin_rows;
    std::vector<uint32_t> destination_rows;
    if (join_type_ == JoinType::InnerJoin) {
        origin_rows.reserve(matches.size());
        destination_rows.reserve(matches.size());
        for (const auto& [origin_row, destination_row] : matches) {
            origin_rows.push_back(origin_row);
            destination_rows.push_back(destination_row);
        }
    } else {
        const size_t count = origin_data->RowCount();
        origin_rows.resize(count);
        destination_rows.assign(count, kNoRow);
        for (size_t row = 0; row < count; ++row) {
            origin_rows[row] = static_cast<uint32_t>(row);
        }
        for (const auto& [origin_row, destination_row] : matches) {
            destination_rows[origin_row] = destination_row;
        }
    }

    auto data = std::make_shared<ColumnTable>(destination.Name());
    const auto* origin_join = dynamic_cast<const JoinedTable*>(&origin);
    const std::string origin_prefix = origin_join != nullptr ? std::string() : origin.Name() + ".";
    for (size_t i = 0; i < origin_data->FieldCount(); ++i) {
        Field field = origin_data->Fields()[i];
        field.Name = origin_prefix + field.Name;
        data->AddField(std::move(field)) = origin_data->ColumnAt(i).Take(origin_rows);
    }
    for (size_t i = 0; i < destination_data->FieldCount(); ++i) {
        Field field = destination_data->Fields()[i];
        field.Name = destination.Name() + "." + field.Name;
        data->AddField(std::move(field)) = Gather(destination_data->ColumnAt(i), destination_rows);
    }
    data->SetRowCount(origin_rows.size());
    data_ = std::move(data);

    if (origin_join != nullptr) {
        feature_rows_.reserve(origin_rows.size());
        for (const uint32_t row : origin_rows) {
            feature_rows_.push_back(origin_join->FeatureRows()[row]);
        }
    } else {
        feature_rows_ = std::move(origin_rows);
    }
}

uint64_t JoinedTable::ContentDigest() const {
    if (!digest_) {
        Digest digest;
        digest.Add(static_cast<uint64_t>(join_type_));
        digest.Add(Name());
        digest.Add(static_cast<uint64_t>(data_->RowCount()));
        digest.Add(static_cast<uint64_t>(data_->FieldCount()));
        for (size_t i = 0; i < data_->FieldCount(); ++i) {
            digest.Add(data_->Fields()[i].Name);
            digest.Add(static_cast<uint64_t>(data_->Fields()[i].Type));
            AddColumn(digest, data_->ColumnAt(i));
        }
        digest.Add(static_cast<uint64_t>(feature_rows_.size()));
        for (const uint32_t row : feature_rows_) {
            digest.Add(uint64_t{row});
        }
        digest_ = digest.Value();
    }
    return *digest_;
}

std::string JoinedTable::Name() const {
    return relationship_->Destination->Name();
}

GeometryType JoinedTable::ShapeType() const {
    const auto base = std::dynamic_pointer_cast<IFeatureClass>(relationship_->Origin);
    return base ? base->ShapeType() : GeometryType::Null;
}

std::string JoinedTable::ShapeFieldName() const {
    const auto base = std::dynamic_pointer_cast<IFeatureClass>(relationship_->Origin);
    if (!base) {
        return {};
    }
    if (std::dynamic_pointer_cast<JoinedTable>(relationship_->Origin)) {
        return base->ShapeFieldName();
    }
    return relationship_->Origin->Name() + "." + base->ShapeFieldName();
}

std::shared_ptr<const GeometryColumn> JoinedTable::Shapes() const {
    const auto base = std::dynamic_pointer_cast<IFeatureClass>(relationship_->Origin);
    if (base) {
        return base->Shapes();
    }
    static const auto no_shapes = std::make_shared<const GeometryColumn>();
    return no_shapes;
}

} // namespace chronova::gis
