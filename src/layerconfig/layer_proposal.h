#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "layerconfig/layer_kinds.h"

namespace chronova {

namespace gis {
class ILayer;
} // namespace gis

namespace layerconfig {

/// What a time field holds, as the layer's record reads it.
enum class TimeValues {
    Date,          ///< a date field
    DateText,      ///< text that reads as dates
    DateTimeGroup, ///< text of date-time groups ("010600Z MAR 2008")
    WholeNumber,   ///< a 32-bit integer field: minute counts
    Number,        ///< a double field: day numbers
};

/// "date field", "text of dates", "date-time-group text", "whole number" or "number".
std::string_view DescribeTimeValues(TimeValues values) noexcept;

/// A time field in a table of the layer's GeoPackage, joined to the layer on a field both hold.
struct JoinProposal {
    std::string Name; ///< "Join_" and the layer's name
    std::string Table;
    std::string Key;        ///< the layer's field
    std::string TableKey;   ///< the table's field of the same name, as the table spells it
    std::string PrimaryKey; ///< the table's key field; "" when none is proposed
};

/// Where a raster's band times come from.
enum class BandTiming {
    None,
    StepList, ///< the "xml" step list beside the raster
    Settings, ///< the "ini" settings file beside the raster
};

/// The time setting the layer configuration dialog would propose for a map layer, checked against the layer's
/// data so that a proposed time layer finds its time steps, and the reason for it in words.
struct LayerProposal {
    CandidateKind Kind = CandidateKind::None;
    /// Whether the layer can be a time layer as proposed; otherwise it stays a plain map layer.
    bool TimeLayer = false;
    /// Feature layers: the time field (in the joined table when there is a join) and what it holds.
    std::string TimeField;
    TimeValues Values = TimeValues::Date;
    std::optional<JoinProposal> Join;
    /// Point layers: the speed and direction fields drawn as vectors, both set or both empty.
    std::string SpeedField;
    std::string DirectionField;
    /// Rasters: the side file that times the bands (a full path) and the number of steps, one per band.
    BandTiming Bands = BandTiming::None;
    std::string SideFile;
    int32_t Steps = 0;
    /// What was chosen and why, in one line: "time field DTG (date-time-group text), speed SPEED, direction DIR",
    /// "not a time layer: no field looks like a time (fields: NAME, KIND)".
    std::string Reason;
};

/// Proposes a layer's time setting as the dialog does: the layer classified with ClassifyCandidate and
/// ClassifyRecord, its time field proposed from the time field names, speed and direction fields for a point
/// layer, a join to a table of the GeoPackage for a feature class without a time field of its own, a raster
/// timed by its side files. Only what the data supports is proposed: a field whose type cannot hold times, whose
/// first value is no date while it should be one, or a key that is not clear leaves the layer a plain layer, and
/// the reason says why.
LayerProposal ProposeLayer(const std::shared_ptr<gis::ILayer>& layer);

} // namespace layerconfig
} // namespace chronova
