#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ole_date.h"

namespace date {
class time_zone;
} // namespace date

namespace chronova::platform {

/// A zone that turns wall-clock times into instants and back: a fixed offset from UTC ("UTC", "Z",
/// "+02:00", "-0530") or a named zone of the system's time zone database ("Europe/Berlin"), whose offset
/// follows daylight saving. Dates are OLE dates; an instant is the wall-clock time in UTC.
class TimeZone {
public:
    /// The zone a text names; nothing when it is neither an offset nor a zone of the database.
    static std::optional<TimeZone> Parse(std::string_view text);
    static TimeZone Utc() { return TimeZone(0); }

    /// The instant (UTC) of a wall-clock time in this zone. A time skipped by a daylight-saving change reads
    /// as the same clock time before the change; a repeated time as its first occurrence.
    Date ToUtc(Date wall) const;
    /// The wall-clock time in this zone of an instant given in UTC.
    Date FromUtc(Date utc) const;
    /// The zone's short name at an instant, for labels: "CEST", "UTC", "+05:30".
    std::string Abbreviation(Date utc) const;
    /// The text the zone was given by, normalised: the database name, "UTC" or "+hh:mm".
    const std::string& Name() const noexcept { return name_; }

    friend bool operator==(const TimeZone& a, const TimeZone& b) noexcept { return a.name_ == b.name_; }

private:
    explicit TimeZone(int offset_minutes);
    explicit TimeZone(const date::time_zone* zone);

    const date::time_zone* zone_ = nullptr; // null for a fixed offset
    int offset_minutes_ = 0;
    std::string name_;
};

/// "+hh:mm" or "-hh:mm" of an offset in minutes; "UTC" for zero.
std::string OffsetText(int offset_minutes);

/// How the times of one layer are shown: values that carry an offset are instants; values without one are
/// wall-clock times in the layer's zone (or already in the display zone when the layer names none). Without
/// a display zone every value is shown as stored, offset or not.
struct TimeReading {
    std::optional<TimeZone> layer_zone;
    std::optional<TimeZone> display_zone;

    /// True when every value is shown as stored.
    bool IsIdentity() const noexcept { return !display_zone; }
    /// The time to show for a stored wall-clock time and, when the value carried one, its offset in minutes.
    Date Show(Date stored, std::optional<int> offset_minutes) const;

    friend bool operator==(const TimeReading&, const TimeReading&) = default;
};

} // namespace chronova::platform
