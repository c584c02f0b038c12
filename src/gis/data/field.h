#pragma once

#include <cstdint>
#include <string>

namespace chronova::gis {

/// The host's field type codes; the numbers are what the system stores and compares.
enum class FieldType : int16_t {
    SmallInteger = 0, ///< 16-bit integer
    Integer = 1,      ///< 32-bit integer
    Single = 2,       ///< 32-bit float
    Double = 3,
    String = 4,
    Date = 5, ///< an OLE date serial
    OID = 6,  ///< the row's object id
    Geometry = 7,
    Blob = 8,
    Raster = 9,
    GUID = 10,
    GlobalID = 11,
    XML = 12,
};

/// One field of a table: its name, the alias shown to users, and its type.
struct Field {
    std::string Name;
    std::string AliasName;
    FieldType Type = FieldType::String;
};

} // namespace chronova::gis
