#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace chronova {

class ITimeLayer;

namespace gis {
class ILayer;
class ITable;
} // namespace gis

// Which fields of a layer or table can serve as time, key, speed and direction fields, and which one to propose.
// The configuration dialog fills its lists with this and `chronova init` guesses a project with it, so both
// propose the same fields.
namespace layerconfig {

// Candidate names, lower case, comma-separated with a comma at both ends so that ",name," finds a whole item.
inline constexpr std::string_view kTimeFieldNames =
    ",timestep,datetime,datestep,tstep,dtg,datetime_,date,_date,date_,time,_time,time_,vbdate,vbtime,timestamp,";
inline constexpr std::string_view kKeyFieldNames = ",objectid,oid,fid,id,num,key,";
inline constexpr std::string_view kSpeedFieldNames = ",speed,spd,magnitude,mag,dx,";
inline constexpr std::string_view kCustomSpeedFieldNames =
    ",speed,spd,magnitude,mag,dx,velocity,vel,u,uwind,ucurrent,uwater,u_wind,u_current,u_water,wind_u,current_u,"
    "water_u,";
inline constexpr std::string_view kDirectionFieldNames = ",direction,dir,heading,angle,bearing,dy,";
inline constexpr std::string_view kCustomDirectionFieldNames =
    ",direction,dir,heading,angle,bearing,dy,v,vwind,vcurrent,vwater,v_wind,v_current,v_water,wind_v,current_v,"
    "water_v,";

/// The speed or direction candidates for a layer: custom time layers name their vector components u and v.
std::string_view SpeedFieldNames(bool custom_layer) noexcept;
std::string_view DirectionFieldNames(bool custom_layer) noexcept;

/// Which field types a list offers, with the numbers the dialog passes.
enum class FieldKind : int16_t {
    Any = 0,
    WholeNumber = 1,
    Date = 2,
    Number = 3,
    NumberOrDate = 4,
    NumberOrText = 5,
    NumberDateOrText = 6,
    Text = 7,
};

/// One field a source offers: a table's field with the host's field type code, or a custom time layer's field
/// with the type code the layer reports (2 integer, 3 long, 4 single, 5 double, 7 date, 8 string).
struct SourceField {
    std::string Name;
    std::string Alias;
    int16_t Type = 0;
    bool Custom = false;
    /// The field's position: from 0 in a table, from 1 in a custom time layer.
    int32_t Index = 0;
};

/// The fields of a table or feature class, in the table's order.
std::vector<SourceField> FieldsOf(const gis::ITable& table);
/// The fields a custom time layer reports, numbered from 1.
std::vector<SourceField> FieldsOf(ITimeLayer& layer);
/// The fields of a map layer: a feature layer's feature class (none without one) or a custom time layer's own.
/// Any other layer has none.
std::vector<SourceField> FieldsOfLayer(const std::shared_ptr<gis::ILayer>& layer);

/// Whether a drop-down list of the kind offers the field. Geometry, blob and raster fields are never offered.
bool OfferedInList(const SourceField& field, FieldKind kind) noexcept;
/// Whether the multi-select field list offers it: only kinds 0 to 4 restrict table fields there.
bool OfferedInFieldList(const SourceField& field, FieldKind kind) noexcept;

/// The number a drop-down entry keeps with a field: for table fields 0 number, 1 date, 2 text, 3 anything else;
/// a custom layer's field keeps its type code.
int32_t ItemDataOf(const SourceField& field) noexcept;
/// The item data of a text field of a table; a date/time list uses it to tell text time fields apart.
inline constexpr int32_t kTextItemData = 2;

/// Why an entry was proposed.
enum class FieldMatch {
    None,      ///< nothing proposed
    Exact,     ///< the name is a whole item of the names text
    Partial,   ///< the name only occurs inside the names text
    OnlyEntry, ///< the list holds a single entry, proposed whatever its name
};

/// The entries of a drop-down list and the one proposed.
struct FieldChoices {
    std::vector<SourceField> Entries;
    /// The proposed entry's position in Entries, -1 for none.
    int32_t Proposed = -1;
    FieldMatch Match = FieldMatch::None;

    /// The proposed field's name, "" for none.
    std::string ProposedName() const { return Proposed >= 0 ? Entries[static_cast<size_t>(Proposed)].Name : ""; }
};

/// The fields a list of the kind offers, in field order, and the proposal for a names text (a candidate list or
/// a stored field name): a field whose name occurs in the text as a whole item beats one whose name only occurs
/// inside it, the last such field of each class wins, and a list of a single entry proposes it. Case is ignored.
FieldChoices ProposeField(const std::vector<SourceField>& fields, std::string_view names, FieldKind kind);

/// The name of the first field whose lower-cased name (or differing alias) occurs anywhere inside the time-field
/// candidates, "" when none does; a layer with such a field carries its time steps itself.
std::string FirstTimeLikeField(const std::vector<SourceField>& fields);

} // namespace layerconfig
} // namespace chronova
