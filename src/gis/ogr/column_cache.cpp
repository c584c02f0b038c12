#include "gis/ogr/column_cache.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gdal.h>
// Compiled in from the header alone: the program needs no xxHash library at run time.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "gis/ogr/memory_advice.h"
#include "platform/automation_error.h"
#include "platform/debug_output.h"
#include "platform/temporary_files.h"
#include "platform/text.h"
#include "platform/user_folders.h"

namespace fs = std::filesystem;

namespace chronova::gis {

namespace {

static_assert(std::endian::native == std::endian::little, "cache files hold little-endian numbers as they are");

constexpr char kMagic[8] = {'C', 'H', 'R', 'N', 'C', 'O', 'L', 'S'};
// Raised whenever the layout or the meaning of a stored value changes, so that old files are rebuilt.
constexpr uint32_t kFormatVersion = 2;
constexpr size_t kHeaderSize = 48;
constexpr int16_t kNoOffset = std::numeric_limits<int16_t>::min();
constexpr int kLargestOffsetMinutes = 24 * 60;
// A source changed more recently than this is not cached (see ColumnCacheKey::Settled).
constexpr std::chrono::seconds kSettleTime{2};
constexpr const char* kExtension = ".columns";
// A cache file not read for this long is removed when the next file is written.
constexpr std::chrono::hours kUnusedLifetime{24 * 30};

// xxHash's XXH3: checks a file's sections at several gigabytes a second, so verifying a warm open costs little.
uint64_t Checksum(const std::byte* data, size_t size, uint64_t seed = 0) {
    return XXH3_64bits_withSeed(data, size, seed);
}

template <class T>
std::span<const std::byte> BytesOf(const std::vector<T>& values) {
    return std::as_bytes(std::span<const T>(values));
}

// ---- Writing ----

// Appends little-endian numbers and strings to the file's table of contents.
class MetaWriter {
public:
    template <class T>
    void Put(T value) {
        const size_t at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        std::memcpy(bytes_.data() + at, &value, sizeof(T));
    }
    void PutText(std::string_view text) {
        Put(static_cast<uint32_t>(text.size()));
        bytes_.insert(bytes_.end(), reinterpret_cast<const std::byte*>(text.data()),
                      reinterpret_cast<const std::byte*>(text.data()) + text.size());
    }
    const std::vector<std::byte>& Bytes() const noexcept { return bytes_; }

private:
    std::vector<std::byte> bytes_;
};

// Writes the data sections one after the other at 8-byte boundaries, and records each in the table of contents
// as offset, length and checksum.
class SectionWriter {
public:
    SectionWriter(int fd, MetaWriter& meta) : fd_(fd), meta_(meta) {}

    bool Section(std::span<const std::byte> bytes) {
        meta_.Put(static_cast<uint64_t>(offset_));
        meta_.Put(static_cast<uint64_t>(bytes.size()));
        meta_.Put(Checksum(bytes.data(), bytes.size()));
        return Write(bytes) && Pad();
    }
    bool Write(std::span<const std::byte> bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            bytes = bytes.subspan(static_cast<size_t>(written));
            offset_ += static_cast<size_t>(written);
        }
        return true;
    }
    size_t Offset() const noexcept { return offset_; }

private:
    bool Pad() {
        const std::byte zeros[8] = {};
        return Write(std::span<const std::byte>(zeros, (8 - offset_ % 8) % 8));
    }

    int fd_;
    MetaWriter& meta_;
    size_t offset_ = kHeaderSize;
};

bool WriteColumn(const Column& column, size_t rows, MetaWriter& meta, SectionWriter& sections) {
    bool ok = true;
    switch (column.StorageKind()) {
    case Column::Storage::Integer:
        ok = sections.Section(BytesOf(column.Integers()));
        break;
    case Column::Storage::Real:
        ok = sections.Section(BytesOf(column.Reals()));
        break;
    case Column::Storage::Text: {
        std::vector<uint64_t> ends;
        ends.reserve(rows + 1);
        ends.push_back(0);
        std::string characters;
        for (const std::string& text : column.Texts()) {
            characters += text;
            ends.push_back(characters.size());
        }
        ok = sections.Section(BytesOf(ends)) && sections.Section(std::as_bytes(std::span(characters)));
        break;
    }
    case Column::Storage::None:
        break;
    }
    meta.Put(static_cast<uint8_t>(column.HasNulls() ? 1 : 0));
    if (column.HasNulls()) {
        std::vector<uint8_t> bits((rows + 7) / 8, 0);
        for (size_t row = 0; row < rows; ++row) {
            if (column.IsNull(row)) {
                bits[row / 8] = static_cast<uint8_t>(bits[row / 8] | (1U << (row % 8)));
            }
        }
        ok = ok && sections.Section(BytesOf(bits));
    }
    meta.Put(static_cast<uint8_t>(column.HasOffsets() ? 1 : 0));
    if (column.HasOffsets()) {
        std::vector<int16_t> offsets(rows, kNoOffset);
        for (size_t row = 0; row < rows; ++row) {
            if (const auto offset = column.OffsetAt(row)) {
                offsets[row] = static_cast<int16_t>(*offset);
            }
        }
        ok = ok && sections.Section(BytesOf(offsets));
    }
    return ok;
}

bool WriteOffsetList(const OffsetList& list, MetaWriter& meta, SectionWriter& sections) {
    meta.Put(static_cast<uint8_t>(list.Stored() ? 1 : 0));
    meta.Put(static_cast<uint64_t>(list.size()));
    return !list.Stored() || sections.Section(BytesOf(list.ToVector()));
}

bool WriteShapes(const GeometryColumn& shapes, MetaWriter& meta, SectionWriter& sections) {
    meta.Put(static_cast<int32_t>(shapes.Type));
    meta.Put(shapes.Extent.XMin);
    meta.Put(shapes.Extent.YMin);
    meta.Put(shapes.Extent.XMax);
    meta.Put(shapes.Extent.YMax);
    meta.PutText(shapes.SpatialReference);
    return sections.Section(BytesOf(shapes.X)) && sections.Section(BytesOf(shapes.Y)) &&
           WriteOffsetList(shapes.PartOffsets, meta, sections) && WriteOffsetList(shapes.FeatureParts, meta, sections);
}

// Writes the whole file to fd: header, data sections, then their table of contents.
bool WriteCacheFile(int fd, const ColumnCacheKey& key, const LayerContents& contents) {
    const ColumnTable& table = *contents.Data;
    const size_t rows = table.RowCount();
    MetaWriter meta;
    SectionWriter sections(fd, meta);
    if (::lseek(fd, static_cast<off_t>(kHeaderSize), SEEK_SET) < 0) {
        return false;
    }
    meta.PutText(key.Text);
    meta.PutText(table.Name());
    meta.Put(static_cast<uint64_t>(rows));
    meta.PutText(contents.ShapeFieldName);
    meta.Put(static_cast<uint8_t>(contents.Method));
    meta.Put(static_cast<uint32_t>(table.FieldCount()));
    for (size_t i = 0; i < table.FieldCount(); ++i) {
        const Field& field = table.Fields()[i];
        meta.PutText(field.Name);
        meta.PutText(field.AliasName);
        meta.Put(static_cast<int16_t>(field.Type));
        // A field still waiting to be read on use is not stored; the next open reads it on use again.
        const bool loaded = table.IsLoaded(i) && table.ColumnAt(i).Size() == rows;
        meta.Put(static_cast<uint8_t>(loaded ? 1 : 0));
        if (loaded && !WriteColumn(table.ColumnAt(i), rows, meta, sections)) {
            return false;
        }
    }
    meta.Put(static_cast<uint8_t>(contents.Shapes ? 1 : 0));
    if (contents.Shapes && !WriteShapes(*contents.Shapes, meta, sections)) {
        return false;
    }

    const uint64_t meta_offset = sections.Offset();
    const std::vector<std::byte>& table_of_contents = meta.Bytes();
    if (!sections.Write(table_of_contents)) {
        return false;
    }
    std::byte header[kHeaderSize] = {};
    const uint64_t meta_size = table_of_contents.size();
    const uint64_t file_size = meta_offset + meta_size;
    std::memcpy(header, kMagic, 8);
    std::memcpy(header + 8, &kFormatVersion, 4);
    std::memcpy(header + 16, &meta_offset, 8);
    std::memcpy(header + 24, &meta_size, 8);
    std::memcpy(header + 32, &file_size, 8);
    const uint64_t checksum = Checksum(table_of_contents.data(), table_of_contents.size(), Checksum(header, 40));
    std::memcpy(header + 40, &checksum, 8);
    return ::pwrite(fd, header, kHeaderSize, 0) == static_cast<ssize_t>(kHeaderSize);
}

// ---- Reading ----

// Raised inside the decoder when the bytes are not a valid cache file; never leaves DecodeColumnCache.
struct Invalid {
    const char* reason;
};

[[noreturn]] void Reject(const char* reason) {
    throw Invalid{reason};
}

// Reads the table of contents with every read checked against its end.
class MetaReader {
public:
    explicit MetaReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    template <class T>
    T Get() {
        if (bytes_.size() - at_ < sizeof(T)) {
            Reject("the table of contents ends early");
        }
        T value;
        std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    std::string GetText() {
        const auto size = Get<uint32_t>();
        if (bytes_.size() - at_ < size) {
            Reject("a text runs past the table of contents");
        }
        std::string text(reinterpret_cast<const char*>(bytes_.data() + at_), size);
        at_ += size;
        return text;
    }
    bool AtEnd() const noexcept { return at_ == bytes_.size(); }

private:
    std::span<const std::byte> bytes_;
    size_t at_ = 0;
};

// The data sections: each one read from the table of contents is checked to lie whole inside the data part.
class SectionReader {
public:
    // release: data is a mapping of the file at a page boundary, whose pages may be let go once read.
    SectionReader(std::span<const std::byte> data, MetaReader& meta, bool verify, bool release)
        : data_(data), meta_(meta), verify_(verify), release_(release) {}

    // Lets go of the mapped pages of the sections read so far (they were copied): the file is then never held in
    // memory whole beside its copy. The pages stay in the system's file cache.
    void ReleaseRead() {
        constexpr size_t kPage = 4096;
        const size_t end = consumed_ / kPage * kPage;
        if (release_ && end > released_) {
            ::madvise(const_cast<std::byte*>(data_.data()) + released_, end - released_, MADV_DONTNEED);
            released_ = end;
        }
    }

    // The next section, which must hold exactly count values of T.
    template <class T>
    std::span<const T> Next(uint64_t count) {
        const auto offset = meta_.Get<uint64_t>();
        const auto length = meta_.Get<uint64_t>();
        const auto checksum = meta_.Get<uint64_t>();
        if (offset < kHeaderSize || offset % 8 != 0 || offset > data_.size() || length > data_.size() - offset) {
            Reject("a section lies outside the file");
        }
        if (count > length / sizeof(T) || length != count * sizeof(T)) {
            Reject("a section has the wrong length");
        }
        const std::byte* start = data_.data() + offset;
        if (verify_ && Checksum(start, length) != checksum) {
            Reject("a section's checksum does not match");
        }
        consumed_ = std::max<size_t>(consumed_, offset + length);
        // The file is mapped at a page boundary and sections start at multiples of 8, so T is aligned.
        return {reinterpret_cast<const T*>(start), count};
    }
    // The length in bytes of the next section, before Next reads and checks it.
    uint64_t PeekLength() {
        MetaReader ahead = meta_;
        ahead.Get<uint64_t>();
        return ahead.Get<uint64_t>();
    }
    // The next section as bytes of a length the file gives (a text column's characters).
    std::span<const char> NextCharacters() {
        const auto offset = meta_.Get<uint64_t>();
        const auto length = meta_.Get<uint64_t>();
        const auto checksum = meta_.Get<uint64_t>();
        if (offset < kHeaderSize || offset > data_.size() || length > data_.size() - offset) {
            Reject("a section lies outside the file");
        }
        const std::byte* start = data_.data() + offset;
        if (verify_ && Checksum(start, length) != checksum) {
            Reject("a section's checksum does not match");
        }
        consumed_ = std::max<size_t>(consumed_, offset + length);
        return {reinterpret_cast<const char*>(start), length};
    }

private:
    std::span<const std::byte> data_;
    MetaReader& meta_;
    bool verify_;
    bool release_;
    size_t consumed_ = 0; // the end of the furthest section read
    size_t released_ = 0; // pages before this were let go
};

bool BitSet(std::span<const uint8_t> bits, size_t row) {
    return (bits[row / 8] >> (row % 8) & 1U) != 0;
}

void ReadColumn(Column& column, size_t rows, MetaReader& meta, SectionReader& sections) {
    std::span<const int32_t> integers;
    std::span<const double> reals;
    std::span<const uint64_t> ends;
    std::span<const char> characters;
    switch (column.StorageKind()) {
    case Column::Storage::Integer:
        integers = sections.Next<int32_t>(rows);
        break;
    case Column::Storage::Real:
        reals = sections.Next<double>(rows);
        break;
    case Column::Storage::Text:
        ends = sections.Next<uint64_t>(static_cast<uint64_t>(rows) + 1);
        characters = sections.NextCharacters();
        if (ends.front() != 0 || ends.back() != characters.size() || !std::is_sorted(ends.begin(), ends.end())) {
            Reject("a text column's offsets are not in order");
        }
        break;
    case Column::Storage::None:
        break;
    }
    const auto has_nulls = meta.Get<uint8_t>();
    std::span<const uint8_t> nulls;
    if (has_nulls > 1) {
        Reject("a null flag is neither 0 nor 1");
    }
    if (has_nulls == 1) {
        nulls = sections.Next<uint8_t>((static_cast<uint64_t>(rows) + 7) / 8);
    }
    const auto has_offsets = meta.Get<uint8_t>();
    std::span<const int16_t> offsets;
    if (has_offsets > 1 || (has_offsets == 1 && column.StorageKind() != Column::Storage::Real)) {
        Reject("a column that holds no dates has offsets from UTC");
    }
    if (has_offsets == 1) {
        offsets = sections.Next<int16_t>(rows);
        for (const int16_t offset : offsets) {
            if (offset != kNoOffset && std::abs(offset) > kLargestOffsetMinutes) {
                Reject("an offset from UTC is out of range");
            }
        }
    }

    if (rows == 0) {
        return; // an empty layer: nothing to copy, and no array to copy from
    }
    // The common case copies whole arrays; nulls, zoned dates and texts go row by row through the usual appends.
    column.Reserve(rows);
    PreferHugePages(column.Integers().data(), integers.size_bytes());
    PreferHugePages(column.Reals().data(), reals.size_bytes());
    if (nulls.empty() && offsets.empty() && column.StorageKind() == Column::Storage::Integer) {
        std::memcpy(column.GrowIntegers(rows).data(), integers.data(), integers.size_bytes());
        return;
    }
    if (nulls.empty() && offsets.empty() && column.StorageKind() == Column::Storage::Real) {
        std::memcpy(column.GrowReals(rows).data(), reals.data(), reals.size_bytes());
        return;
    }
    for (size_t row = 0; row < rows; ++row) {
        if (!nulls.empty() && BitSet(nulls, row)) {
            column.AppendNull();
            continue;
        }
        switch (column.StorageKind()) {
        case Column::Storage::Integer:
            column.AppendInteger(integers[row]);
            break;
        case Column::Storage::Real:
            if (!offsets.empty() && offsets[row] != kNoOffset) {
                column.AppendZonedReal(reals[row], offsets[row]);
            } else {
                column.AppendReal(reals[row]);
            }
            break;
        case Column::Storage::Text:
            column.AppendText(std::string(characters.data() + ends[row], characters.data() + ends[row + 1]));
            break;
        case Column::Storage::None:
            column.AppendNonNull();
            break;
        }
    }
}

// An offset list of a shape column: stored entries, or a count of entries that equal their positions. Entries
// must start at 0 and never fall.
OffsetList ReadOffsetList(MetaReader& meta, SectionReader& sections, uint64_t expected_count) {
    const auto stored = meta.Get<uint8_t>();
    const auto count = meta.Get<uint64_t>();
    if (stored > 1 || count != expected_count || count > std::numeric_limits<uint32_t>::max()) {
        Reject("an offset list has a bad count");
    }
    OffsetList list;
    if (stored == 0) {
        list.reserve(count);
        for (uint64_t i = 1; i < count; ++i) {
            list.push_back(static_cast<uint32_t>(i));
        }
        return list;
    }
    const std::span<const uint32_t> values = sections.Next<uint32_t>(count);
    if (values.front() != 0 || !std::is_sorted(values.begin(), values.end())) {
        Reject("an offset list is not in order");
    }
    list.reserve(count);
    for (size_t i = 1; i < values.size(); ++i) {
        list.push_back(values[i]);
    }
    return list;
}

std::shared_ptr<GeometryColumn> ReadShapes(size_t rows, MetaReader& meta, SectionReader& sections) {
    auto shapes = std::make_shared<GeometryColumn>();
    const auto type = meta.Get<int32_t>();
    if (type < static_cast<int32_t>(GeometryType::Null) || type > static_cast<int32_t>(GeometryType::Polygon)) {
        Reject("the shape type is unknown");
    }
    shapes->Type = static_cast<GeometryType>(type);
    shapes->Extent.XMin = meta.Get<double>();
    shapes->Extent.YMin = meta.Get<double>();
    shapes->Extent.XMax = meta.Get<double>();
    shapes->Extent.YMax = meta.Get<double>();
    shapes->SpatialReference = meta.GetText();
    // X and Y have one count; it is checked against the part offsets below.
    const auto x = sections.Next<double>(sections.PeekLength() / sizeof(double));
    const auto y = sections.Next<double>(x.size());
    for (auto [values, from] : {std::pair{&shapes->X, x}, std::pair{&shapes->Y, y}}) {
        values->reserve(from.size());
        PreferHugePages(values->data(), from.size_bytes());
        values->assign(from.begin(), from.end());
        sections.ReleaseRead();
    }
    // Part offsets are counted by the stored list when there is one; an implicit list ends at the coordinates.
    MetaReader ahead = meta;
    const bool parts_stored = ahead.Get<uint8_t>() == 1;
    const auto part_count = ahead.Get<uint64_t>();
    shapes->PartOffsets = ReadOffsetList(meta, sections, parts_stored ? part_count : x.size() + 1);
    shapes->FeatureParts = ReadOffsetList(meta, sections, static_cast<uint64_t>(rows) + 1);
    if (shapes->PartOffsets.back() != shapes->X.size() ||
        shapes->FeatureParts.back() != shapes->PartOffsets.size() - 1 || shapes->FeatureCount() != rows) {
        Reject("the shapes do not fit together");
    }
    return shapes;
}

} // namespace

namespace {

// mapped: bytes are a mapping of the whole file, whose pages are let go as they are copied.
std::optional<LayerContents> Decode(std::span<const std::byte> bytes, std::string_view key,
                                    const CacheDecodeOptions& options, const ColumnTable::ColumnLoader& load_later,
                                    bool mapped) {
    try {
        if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 8) != 0) {
            Reject("not a cache file");
        }
        uint32_t version = 0;
        uint64_t meta_offset = 0;
        uint64_t meta_size = 0;
        uint64_t file_size = 0;
        uint64_t checksum = 0;
        std::memcpy(&version, bytes.data() + 8, 4);
        std::memcpy(&meta_offset, bytes.data() + 16, 8);
        std::memcpy(&meta_size, bytes.data() + 24, 8);
        std::memcpy(&file_size, bytes.data() + 32, 8);
        std::memcpy(&checksum, bytes.data() + 40, 8);
        if (version != kFormatVersion) {
            Reject("another version of the format");
        }
        if (file_size != bytes.size() || meta_offset < kHeaderSize || meta_offset > file_size ||
            meta_size != file_size - meta_offset) {
            Reject("the file's length does not match its header");
        }
        const std::span<const std::byte> table_of_contents = bytes.subspan(meta_offset);
        if (options.VerifyChecksums &&
            Checksum(table_of_contents.data(), table_of_contents.size(), Checksum(bytes.data(), 40)) != checksum) {
            Reject("the header's checksum does not match");
        }
        MetaReader meta(table_of_contents);
        SectionReader sections(bytes.first(meta_offset), meta, options.VerifyChecksums, mapped);
        if (meta.GetText() != key) {
            Reject("the file is of another source");
        }
        auto table = std::make_shared<ColumnTable>(meta.GetText());
        const auto rows = meta.Get<uint64_t>();
        // Every real cache file holds at least the 4-byte object id of each row; a larger count would only make
        // loops without data behind them.
        if (rows >= std::numeric_limits<uint32_t>::max() || rows > bytes.size()) {
            Reject("too many rows");
        }
        LayerContents contents;
        contents.ShapeFieldName = meta.GetText();
        const auto method = meta.Get<uint8_t>();
        if (method > static_cast<uint8_t>(ReadMethod::Features)) {
            Reject("the read method is unknown");
        }
        contents.Method = static_cast<ReadMethod>(method);
        const auto field_count = meta.Get<uint32_t>();
        std::vector<bool> unread;
        for (uint32_t i = 0; i < field_count; ++i) {
            Field field;
            field.Name = meta.GetText();
            field.AliasName = meta.GetText();
            const auto type = meta.Get<int16_t>();
            if (type < static_cast<int16_t>(FieldType::SmallInteger) || type > static_cast<int16_t>(FieldType::XML)) {
                Reject("a field type is unknown");
            }
            field.Type = static_cast<FieldType>(type);
            Column& column = table->AddField(std::move(field));
            const auto loaded = meta.Get<uint8_t>();
            if (loaded > 1) {
                Reject("a loaded flag is neither 0 nor 1");
            }
            unread.push_back(loaded == 0);
            if (loaded == 1) {
                ReadColumn(column, rows, meta, sections);
                sections.ReleaseRead();
            }
        }
        const auto has_shapes = meta.Get<uint8_t>();
        if (has_shapes > 1) {
            Reject("a shapes flag is neither 0 nor 1");
        }
        if (has_shapes == 1) {
            contents.Shapes = ReadShapes(rows, meta, sections);
        }
        if (!meta.AtEnd()) {
            Reject("the table of contents has bytes left over");
        }
        if (std::find(unread.begin(), unread.end(), true) != unread.end() || field_count == 0) {
            ColumnTable::ColumnLoader loader = load_later;
            if (!loader) {
                loader = [](size_t, Column&) {
                    platform::RaiseError(platform::error::kPathFileAccess, "The field is not in the cache.");
                };
            }
            table->LoadLater(std::move(loader), unread, rows);
        }
        contents.Data = std::move(table);
        return contents;
    } catch (const Invalid& invalid) {
        platform::DebugOutput(std::string("Column cache: ignored a file: ") + invalid.reason);
    } catch (const std::exception& error) { // a column refused a value, memory ran out
        platform::DebugOutput(std::string("Column cache: ignored a file: ") + error.what());
    }
    return std::nullopt;
}

} // namespace

std::optional<LayerContents> DecodeColumnCache(std::span<const std::byte> bytes, std::string_view key,
                                               const CacheDecodeOptions& options,
                                               const ColumnTable::ColumnLoader& load_later) {
    return Decode(bytes, key, options, load_later, false);
}

namespace {

// Removes temporary files of writers that died before their rename (their process is gone), and cache files no
// run has used for kUnusedLifetime (a read marks its file used), so that files of data long gone do not pile up.
void TidyFolder(const fs::path& folder) {
    const auto now = fs::file_time_type::clock::now();
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        std::error_code ignored;
        if (const std::optional<pid_t> writer = platform::WriterOfTemporaryFile(name)) {
            if (platform::WriterHasEnded(*writer, item.path())) {
                fs::remove(item.path(), ignored);
            }
        } else if (item.path().extension() == kExtension) {
            const auto used = item.last_write_time(ignored);
            if (!ignored && now - used > kUnusedLifetime) {
                fs::remove(item.path(), ignored);
            }
        }
    }
}

} // namespace

bool WriteColumnCache(const fs::path& file, const ColumnCacheKey& key, const LayerContents& contents) {
    if (!contents.Data) {
        return false;
    }
    const fs::path temporary = platform::TemporaryPathFor(file);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = false;
    try {
        ok = WriteCacheFile(fd, key, contents);
    } catch (const std::exception&) { // out of memory while gathering a column
        ok = false;
    }
    ok = ::close(fd) == 0 && ok;
    // No flush to disk: a cache file cut short by a crash fails its checksums and is rebuilt.
    ok = ok && ::rename(temporary.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

fs::path ColumnCacheFile(const fs::path& folder, const ColumnCacheKey& key) {
    return folder / (key.Hash + kExtension);
}

std::optional<LayerContents> ReadColumnCache(const fs::path& folder, const ColumnCacheKey& key,
                                             const ColumnTable::ColumnLoader& load_later) {
    const auto started = std::chrono::steady_clock::now();
    const fs::path file = ColumnCacheFile(folder, key);
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < static_cast<off_t>(kHeaderSize)) {
        ::close(fd);
        return std::nullopt;
    }
    const auto size = static_cast<size_t>(status.st_size);
    // Mapped rather than read: the columns are copied once, straight from the page cache, and each section's pages
    // are let go once copied. Cache files are only ever replaced by a rename, never cut short in place, so the
    // mapping stays whole while it is read.
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        return std::nullopt;
    }
    const auto mapped_at = std::chrono::steady_clock::now();
    ::madvise(mapped, size, MADV_SEQUENTIAL);
    std::optional<LayerContents> contents =
        Decode(std::span(static_cast<const std::byte*>(mapped), size), key.Text, {}, load_later, true);
    ::munmap(mapped, size);
    const auto decoded_at = std::chrono::steady_clock::now();
    if (!contents) {
        return contents;
    }
    ::utimensat(AT_FDCWD, file.c_str(), nullptr, 0); // marks the file used, see TidyFolder
    platform::DebugOutput(
        "Column cache: " + file.filename().string() + " mapped in " +
        std::to_string(std::chrono::duration<double, std::milli>(mapped_at - started).count()) + " ms, decoded in " +
        std::to_string(std::chrono::duration<double, std::milli>(decoded_at - mapped_at).count()) + " ms");
    return contents;
}

namespace {

// The writes started by WriteColumnCacheLater; the program waits for them at its end.
class PendingWrites {
public:
    ~PendingWrites() { WaitAll(); }

    void Start(std::function<void()> work) {
        std::lock_guard lock(mutex_);
        JoinFinished();
        auto done = std::make_shared<std::atomic<bool>>(false);
        writes_.push_back({std::thread([work = std::move(work), done] {
                               work();
                               done->store(true);
                           }),
                           done});
    }
    void WaitAll() {
        std::vector<Write> writes;
        {
            std::lock_guard lock(mutex_);
            writes.swap(writes_);
        }
        for (Write& write : writes) {
            write.thread.join();
        }
    }

private:
    struct Write {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void JoinFinished() {
        for (auto it = writes_.begin(); it != writes_.end();) {
            if (it->done->load()) {
                it->thread.join();
                it = writes_.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::mutex mutex_;
    std::vector<Write> writes_;
};

PendingWrites& Pending() {
    static PendingWrites pending;
    return pending;
}

} // namespace

void WriteColumnCacheLater(const fs::path& folder, const ColumnCacheKey& key,
                           std::shared_ptr<const LayerContents> contents) {
    if (!key.Settled) {
        return;
    }
    Pending().Start([folder, key, contents = std::move(contents)] {
        std::error_code error;
        fs::create_directories(folder, error);
        TidyFolder(folder);
        if (error || !WriteColumnCache(ColumnCacheFile(folder, key), key, *contents)) {
            platform::DebugOutput("Column cache: cannot write a cache file in '" + folder.string() + "'" +
                                  (error ? ": " + error.message() : std::string()));
        }
    });
}

void WaitForColumnCacheWrites() {
    Pending().WaitAll();
}

fs::path ColumnCacheFolder() {
    const std::string setting = platform::LCase(platform::EnvironmentText("CHRONOVA_COLUMN_CACHE"));
    if (setting == "off" || setting == "0" || setting == "no" || setting == "false") {
        return {};
    }
    return platform::UserFile("CHRONOVA_COLUMN_CACHE_FOLDER", "XDG_CACHE_HOME", ".cache", "columns");
}

std::optional<ColumnCacheKey> MakeColumnCacheKey(const std::string& file, std::string_view layer,
                                                 std::string_view opened_as, std::string_view oid_field,
                                                 const std::vector<std::string>& open_options) {
    std::error_code error;
    const fs::path path = fs::absolute(file, error).lexically_normal();
    if (error) {
        return std::nullopt;
    }
    // One line per file the layer's rows come from: its name, size and modification time in nanoseconds.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    bool settled = true;
    auto describe = [&](const fs::path& source) -> std::optional<std::string> {
        struct stat status {};
        if (::stat(source.c_str(), &status) != 0) {
            return std::nullopt;
        }
        const auto changed =
            std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec);
        settled = settled && now - changed >= kSettleTime;
        return "file " + source.string() + " " + std::to_string(status.st_size) + " " +
               std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec) + " " +
               std::to_string(status.st_ino) + "\n";
    };
    // What the layer is names the cache file, so that a changed source replaces its old cache file; the state of
    // its files completes the key.
    std::string identity = "chronova columns\npath " + path.string() + "\nlayer " + std::string(layer) + "\nas " +
                           std::string(opened_as) + "\nid " + std::string(oid_field) + "\n";
    for (const std::string& option : open_options) {
        identity += "option " + option + "\n";
    }
    const std::optional<std::string> main_file = describe(path);
    if (!main_file) {
        return std::nullopt;
    }
    std::string text = identity + *main_file;
    const std::string extension = platform::LCase(path.extension().string());
    if (extension == ".shp" || extension == ".dbf") {
        for (const char* side : {".shp", ".shx", ".dbf", ".prj", ".cpg", ".SHP", ".SHX", ".DBF", ".PRJ", ".CPG"}) {
            fs::path side_file = path;
            side_file.replace_extension(side);
            if (side_file != path) {
                text += describe(side_file).value_or("");
            }
        }
    }
    // A GeoPackage's changes may wait in its write-ahead log.
    text += describe(path.string() + "-wal").value_or("");
    text += "gdal " + std::string(GDALVersionInfo("RELEASE_NAME")) + "\n";

    ColumnCacheKey key;
    const uint64_t hash = Checksum(reinterpret_cast<const std::byte*>(identity.data()), identity.size());
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4) {
        key.Hash += kDigits[(hash >> shift) & 0xFU];
    }
    key.Text = std::move(text);
    key.Settled = settled;
    return key;
}

} // namespace chronova::gis
