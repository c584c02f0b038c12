#include "gis/ogr/arrow_decoder.h"

#include <cstring>
#include <span>
#include <string>

#include <ogr_recordbatch.h>

#include "gis/ogr/value_conversion.h"
#include "gis/ogr/wkb_reader.h"
#include "platform/automation_error.h"

namespace chronova::gis {

namespace {

enum class Kind {
    Boolean,
    Int8,
    UInt8,
    Int16,
    UInt16,
    Int32,
    UInt32,
    Int64,
    UInt64,
    Float32,
    Float64,
    Utf8,
    LargeUtf8,
    Binary,
    LargeBinary,
    Date32,    // days since 1970
    Date64,    // milliseconds since 1970
    Timestamp, // units since 1970, unit in the format
    Time32,    // units since midnight
    Time64,
    Unsupported,
};

struct ArrowType {
    Kind kind = Kind::Unsupported;
    // A timestamp's or time's unit: milliseconds = value * multiplier / divisor.
    int64_t multiplier = 1;
    int64_t divisor = 1;
    // A timestamp with a time zone: its values are instants in UTC, whatever the zone's name.
    bool zoned = false;
};

bool SetUnit(char unit, ArrowType& type) {
    switch (unit) {
    case 's':
        type.multiplier = 1000;
        return true;
    case 'm':
        return true;
    case 'u':
        type.divisor = 1000;
        return true;
    case 'n':
        type.divisor = 1'000'000;
        return true;
    default:
        return false;
    }
}

ArrowType ParseFormat(std::string_view format) {
    ArrowType type;
    if (format.size() == 1) {
        switch (format[0]) {
        case 'b':
            type.kind = Kind::Boolean;
            break;
        case 'c':
            type.kind = Kind::Int8;
            break;
        case 'C':
            type.kind = Kind::UInt8;
            break;
        case 's':
            type.kind = Kind::Int16;
            break;
        case 'S':
            type.kind = Kind::UInt16;
            break;
        case 'i':
            type.kind = Kind::Int32;
            break;
        case 'I':
            type.kind = Kind::UInt32;
            break;
        case 'l':
            type.kind = Kind::Int64;
            break;
        case 'L':
            type.kind = Kind::UInt64;
            break;
        case 'f':
            type.kind = Kind::Float32;
            break;
        case 'g':
            type.kind = Kind::Float64;
            break;
        case 'u':
            type.kind = Kind::Utf8;
            break;
        case 'U':
            type.kind = Kind::LargeUtf8;
            break;
        case 'z':
            type.kind = Kind::Binary;
            break;
        case 'Z':
            type.kind = Kind::LargeBinary;
            break;
        default:
            break;
        }
        return type;
    }
    if (format == "tdD") {
        type.kind = Kind::Date32;
    } else if (format == "tdm") {
        type.kind = Kind::Date64;
    } else if (format.size() >= 4 && format.substr(0, 2) == "ts" && format[3] == ':' && SetUnit(format[2], type)) {
        type.kind = Kind::Timestamp;
        type.zoned = format.size() > 4; // a zone after the colon
    } else if (format.size() == 3 && format.substr(0, 2) == "tt" && SetUnit(format[2], type)) {
        type.kind = (format[2] == 's' || format[2] == 'm') ? Kind::Time32 : Kind::Time64;
    }
    return type;
}

Column::Storage StorageOf(FieldType type) {
    return Column(type).StorageKind();
}

bool IsNull(const ArrowArray& array, int64_t index) {
    if (array.null_count == 0 || array.n_buffers < 1 || array.buffers[0] == nullptr) {
        return false;
    }
    const auto* validity = static_cast<const uint8_t*>(array.buffers[0]);
    return (validity[index >> 3] & (1U << (index & 7))) == 0;
}

const void* Buffer(const ArrowArray& array, int64_t buffer) {
    if (array.n_buffers <= buffer || array.buffers[buffer] == nullptr) {
        platform::RaiseError(platform::error::kTypeMismatch, "An Arrow array lacks its data buffer.");
    }
    return array.buffers[buffer];
}

template <class T>
T ValueAt(const ArrowArray& array, int64_t index) {
    T value;
    std::memcpy(&value, static_cast<const char*>(Buffer(array, 1)) + index * static_cast<int64_t>(sizeof(T)),
                sizeof(T));
    return value;
}

// The whole-number value of an integer, boolean, date, timestamp or time array at an index.
int64_t IntegerAt(const ArrowArray& array, Kind kind, int64_t index) {
    switch (kind) {
    case Kind::Boolean: {
        const auto* bits = static_cast<const uint8_t*>(Buffer(array, 1));
        return (bits[index >> 3] >> (index & 7)) & 1;
    }
    case Kind::Int8:
        return ValueAt<int8_t>(array, index);
    case Kind::UInt8:
        return ValueAt<uint8_t>(array, index);
    case Kind::Int16:
        return ValueAt<int16_t>(array, index);
    case Kind::UInt16:
        return ValueAt<uint16_t>(array, index);
    case Kind::Int32:
    case Kind::Date32:
    case Kind::Time32:
        return ValueAt<int32_t>(array, index);
    case Kind::UInt32:
        return ValueAt<uint32_t>(array, index);
    case Kind::Int64:
    case Kind::Date64:
    case Kind::Timestamp:
    case Kind::Time64:
        return ValueAt<int64_t>(array, index);
    case Kind::UInt64: {
        const auto value = ValueAt<uint64_t>(array, index);
        return value > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(value);
    }
    default:
        break;
    }
    return 0;
}

// Milliseconds since 1970 (dates, timestamps) or since midnight (times) of a temporal array's value.
int64_t MillisecondsAt(const ArrowArray& array, const ArrowType& type, int64_t index) {
    const int64_t value = IntegerAt(array, type.kind, index);
    if (type.kind == Kind::Date32) {
        return value * 86'400'000;
    }
    if (type.divisor > 1) {
        // Floor, so that a moment before 1970 does not move forward.
        const int64_t quotient = value / type.divisor;
        return (value % type.divisor != 0 && value < 0) ? quotient - 1 : quotient;
    }
    return value * type.multiplier;
}

std::span<const uint8_t> BytesAt(const ArrowArray& array, bool large, int64_t index) {
    int64_t begin = 0;
    int64_t end = 0;
    if (large) {
        begin = ValueAt<int64_t>(array, index);
        end = ValueAt<int64_t>(array, index + 1);
    } else {
        begin = ValueAt<int32_t>(array, index);
        end = ValueAt<int32_t>(array, index + 1);
    }
    if (begin < 0 || end < begin) {
        platform::RaiseError(platform::error::kTypeMismatch, "An Arrow array has invalid offsets.");
    }
    const auto* data = static_cast<const uint8_t*>(Buffer(array, 2));
    return {data + begin, static_cast<size_t>(end - begin)};
}

void AppendValue(const ArrowArray& array, const ArrowType& type, int64_t index, Column& column) {
    switch (type.kind) {
    case Kind::Float32:
        AppendRealNumber(column, ValueAt<float>(array, index));
        return;
    case Kind::Float64:
        AppendRealNumber(column, ValueAt<double>(array, index));
        return;
    case Kind::Utf8:
    case Kind::LargeUtf8: {
        const auto bytes = BytesAt(array, type.kind == Kind::LargeUtf8, index);
        column.AppendText(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return;
    }
    case Kind::Binary:
    case Kind::LargeBinary:
        column.AppendNonNull();
        return;
    case Kind::Date32:
    case Kind::Date64:
    case Kind::Timestamp:
        if (type.zoned) {
            column.AppendZonedReal(OleDateFromUnixMilliseconds(MillisecondsAt(array, type, index)), 0);
        } else {
            column.AppendReal(OleDateFromUnixMilliseconds(MillisecondsAt(array, type, index)));
        }
        return;
    case Kind::Time32:
    case Kind::Time64:
        column.AppendText(TimeOfDayText(MillisecondsAt(array, type, index)));
        return;
    case Kind::Unsupported:
        platform::RaiseError(platform::error::kTypeMismatch);
    default:
        AppendWholeNumber(column, IntegerAt(array, type.kind, index));
        return;
    }
}

// Appends a run of values of an array without nulls in one go, for the types large layers mostly hold: ids,
// whole numbers, doubles and date-times without a zone. Returns false, having appended nothing, for the rest.
bool AppendWithoutNulls(const ArrowArray& array, const ArrowType& type, int64_t begin, int64_t length, Column& column) {
    if (array.null_count != 0 || type.zoned || array.n_buffers < 2 || array.buffers[1] == nullptr) {
        return false;
    }
    const auto count = static_cast<size_t>(length);
    switch (column.Type()) {
    case FieldType::Integer:
    case FieldType::OID: {
        if (type.kind != Kind::Int32 && type.kind != Kind::Int64) {
            return false;
        }
        // Checked first, so that a value beyond 32 bits takes the row by row path, which raises the overflow.
        for (int64_t row = 0; row < length && type.kind == Kind::Int64; ++row) {
            const auto value = ValueAt<int64_t>(array, begin + row);
            if (value < INT32_MIN || value > INT32_MAX) {
                return false;
            }
        }
        const std::span<int32_t> values = column.GrowIntegers(count);
        for (size_t row = 0; row < count; ++row) {
            values[row] = static_cast<int32_t>(IntegerAt(array, type.kind, begin + static_cast<int64_t>(row)));
        }
        return true;
    }
    case FieldType::Double:
        if (type.kind != Kind::Float64) {
            return false;
        }
        std::memcpy(column.GrowReals(count).data(), static_cast<const char*>(array.buffers[1]) + begin * 8,
                    count * sizeof(double));
        return true;
    case FieldType::Date: {
        if (type.kind != Kind::Timestamp && type.kind != Kind::Date32 && type.kind != Kind::Date64) {
            return false;
        }
        const std::span<double> values = column.GrowReals(count);
        for (size_t row = 0; row < count; ++row) {
            values[row] = OleDateFromUnixMilliseconds(MillisecondsAt(array, type, begin + static_cast<int64_t>(row)));
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace

bool ArrowFormatSuits(std::string_view format, FieldType type) noexcept {
    const Column::Storage storage = StorageOf(type);
    switch (ParseFormat(format).kind) {
    case Kind::Boolean:
    case Kind::Int8:
    case Kind::UInt8:
    case Kind::Int16:
    case Kind::UInt16:
    case Kind::Int32:
    case Kind::UInt32:
    case Kind::Int64:
    case Kind::UInt64:
        return storage == Column::Storage::Integer || (storage == Column::Storage::Real && type != FieldType::Date);
    case Kind::Float32:
    case Kind::Float64:
        return type == FieldType::Single || type == FieldType::Double;
    case Kind::Utf8:
    case Kind::LargeUtf8:
    case Kind::Time32:
    case Kind::Time64:
        return storage == Column::Storage::Text;
    case Kind::Binary:
    case Kind::LargeBinary:
        return storage == Column::Storage::None;
    case Kind::Date32:
    case Kind::Date64:
    case Kind::Timestamp:
        return type == FieldType::Date;
    case Kind::Unsupported:
        break;
    }
    return false;
}

void AppendArrowColumn(const ArrowSchema& schema, const ArrowArray& array, int64_t first, int64_t length,
                       Column& column) {
    const std::string_view format = schema.format != nullptr ? schema.format : "";
    if (schema.dictionary != nullptr || !ArrowFormatSuits(format, column.Type())) {
        platform::RaiseError(platform::error::kTypeMismatch,
                             "The Arrow type '" + std::string(format) + "' does not suit the field.");
    }
    const ArrowType type = ParseFormat(format);
    if (length > 0 && AppendWithoutNulls(array, type, array.offset + first, length, column)) {
        return;
    }
    column.Reserve(column.Size() + static_cast<size_t>(length));
    for (int64_t row = 0; row < length; ++row) {
        const int64_t index = array.offset + first + row;
        if (IsNull(array, index)) {
            column.AppendNull();
        } else {
            AppendValue(array, type, index, column);
        }
    }
}

void AppendArrowShapes(const ArrowSchema& schema, const ArrowArray& array, int64_t first, int64_t length,
                       GeometryColumn& shapes) {
    const std::string_view format = schema.format != nullptr ? schema.format : "";
    const Kind kind = ParseFormat(format).kind;
    if (kind != Kind::Binary && kind != Kind::LargeBinary) {
        platform::RaiseError(platform::error::kTypeMismatch,
                             "The Arrow type '" + std::string(format) + "' does not hold shapes.");
    }
    for (int64_t row = 0; row < length; ++row) {
        const int64_t index = array.offset + first + row;
        if (IsNull(array, index)) {
            shapes.EndFeature();
        } else {
            AppendWkbShape(shapes, BytesAt(array, kind == Kind::LargeBinary, index));
        }
    }
}

} // namespace chronova::gis
