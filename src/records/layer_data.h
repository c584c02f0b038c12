#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ole_date.h"
#include "platform/variant.h"
#include "records/time_options.h"

namespace chronova {

namespace gis {
class ILayer;
class TrackIndex;
} // namespace gis

/// The record of one time layer: the layer, how it carries time, its drawing and join settings, and its
/// time steps. Steps may be written in any order; they are sorted once, on the first read after writes.
class LayerData {
public:
    LayerData();
    LayerData(const LayerData&) = delete;
    LayerData& operator=(const LayerData&) = delete;

    std::shared_ptr<gis::ILayer> TheLayer;
    std::string Path;
    bool IsShapefile = false;
    bool IsTimeLayer = false;
    bool IsRasterLayer = false;
    bool IsWMSLayer = false;
    bool isInitialized = false;
    int32_t StartTime = 0;
    int32_t FinishTime = 0;
    int32_t Interval = 0;
    int32_t StartPos = 0;
    int32_t FinishPos = 0;
    std::string TimeStepField;
    int16_t TimeFieldType = 0;
    /// An integer time field holds years (kTimeFieldYear) rather than minute counts.
    bool TimeInYears = false;
    int32_t RasterBandCount = 0;
    int32_t RasterStartTime = 0;
    int32_t RasterInterval = 1;
    std::string RasterIntervalUnits = "n";
    bool IncludesTimeSteps = false;
    bool IncludePreviousSteps = false;
    bool ShowPrevious = false;
    bool IsCached = false;
    bool IsVectorized = false;
    std::string SpeedField;
    std::string DirectionField;
    double MinRange = 0.0;
    double MaxRange = 0.0;
    bool VectorsApplied = false;
    std::string VectorFont;
    int16_t VectorChar = 0;
    double VectorMinSize = 0.0;
    double VectorMaxSize = 0.0;
    bool isJoined = false;
    std::string JoinName;
    std::string JoinTable;
    std::string PrimaryKeyField;
    std::string HostKeyField;
    std::string ForeignKeyField;
    std::string AdditionalFields;
    std::string sqlTable;
    std::string sqlFields;
    std::string sqlWhere;
    /// What the user should know about the layer's times, "" when nothing: a shapefile date field that lost
    /// the time of day, say.
    std::string DataWarning;

    // How analysts' data carries time, beyond the classic record.
    /// The zone of the time field's values that carry no offset (an IANA name or "+hh:mm"); "" for none.
    std::string TimeZone;
    /// A window of time shown from the current time instead of the single step.
    TimeWindowOption Window;
    /// The latest fix of each entity, with its trail, instead of the step.
    TrackOption Track;
    /// The layer's fixes by entity and time, built on the first step of a track layer; reset when the time
    /// field, its reading or the track's id field changes.
    std::shared_ptr<const gis::TrackIndex> TrackFixes;

    /// Discards every step.
    void TimeStepsClear();
    int32_t TimeStepsCount() const { return TimeStepTotal; }
    /// The step at 1-based position iIndex in ascending time order, as it was given; raises 9 outside
    /// 1..TimeStepsCount().
    platform::Variant TimeSteps(int32_t iIndex);
    /// Stores a step at position iIndex, growing the list as needed. A Long is a minute count; a Double
    /// or Date a date; a String a date text or date-time group. Raises 9 for iIndex < 1 and 5 for any
    /// other type (the value is then stored but its minute count is left as it was).
    void TimeSteps(int32_t iIndex, const platform::Variant& value);
    /// The date of the step at position iIndex (seconds zero); raises 9 like TimeSteps.
    platform::Date TimeStepsAsDate(int32_t iIndex);
    /// The position of the last step not later than dteTime (seconds ignored), 0 when every step is later.
    int32_t FindTimeStep(platform::Date dteTime);
    /// TimeSteps(FindTimeStep(dteTime)); raises 9 when every step is later.
    platform::Variant FindPrevTimeStep(platform::Date dteTime);

    /// A process-unique number that identifies this record; its decimal text keys it in collections.
    uint32_t Identity() const noexcept { return identity_; }
    std::string IdentityKey() const { return std::to_string(identity_); }

private:
    void EnsureSorted();
    void SortTimeSteps(int32_t lo, int32_t hi);
    void CheckIndex(int32_t iIndex) const;
    int32_t MinuteNumber(platform::Date date) const;

    // Parallel arrays, 0-based here for positions 1..TimeStepTotal; every reordering moves both.
    std::vector<platform::Variant> TimeStepValues;
    std::vector<int32_t> TimeStepMinutes;
    int32_t TimeStepTotal = 0;
    bool StepsSorted = false;
    platform::Date MinuteZeroDate;
    std::vector<int32_t> order_; // positions moved by the sort, used only while sorting
    uint32_t identity_;
};

} // namespace chronova
