#pragma once

#include <cstdint>

#include "platform/ole_date.h"

// Sunrise and sunset for a place and a date, and whether a moment of that date is in daylight: the low-precision
// solar coordinates at the start and end of the day, interpolated hour by hour, with each hour tested for the
// Sun's centre crossing the horizon (refraction and the Sun's radius included). Hours are Universal Time. Angles
// inside are radians. The procedures raise nothing of their own; errors of the date conversions reach the caller.
namespace chronova::modSunup {

/// Degrees to radians.
inline constexpr double kDegreesToRadians = 0.0174532925;
/// Sidereal radians the Earth turns in one solar hour (15 degrees times 1.0027379).
inline constexpr double kSiderealRadiansPerHour = 0.2625161680430363;
inline constexpr double kTwoPi = 6.2831853;
/// The zenith distance of the Sun's centre at rising and setting: 90.833 degrees, in radians.
inline constexpr double kHorizonZenith = 1.5853349176525002;

/// What SunTimes found for a date.
namespace status {
/// The altitude was exactly on the horizon at the end of the day; counted as night.
inline constexpr int32_t kOnHorizon = -1;
inline constexpr int32_t kRiseAndSet = 1;
/// The Sun rises on the date but does not set on it: day.
inline constexpr int32_t kRiseOnly = 2;
/// The Sun sets on the date but does not rise on it: night.
inline constexpr int32_t kSetOnly = 3;
/// Above the horizon all day (polar day).
inline constexpr int32_t kAlwaysUp = 4;
/// Below the horizon all day (polar night).
inline constexpr int32_t kAlwaysDown = 5;
} // namespace status

/// Sunrise and sunset on the calendar date of dteDate (its time of day is not used) at a place in degrees (east
/// and north positive). Rise and set are hours of the date in Universal Time, each including half a minute; an
/// event that does not happen reads 0. When the Sun sets after midnight of the next day, set is above 24. Returns
/// one of the status codes.
int32_t SunTimes(platform::Date dteDate, float sngLongitude, float sngLatitude, float& sngRise, float& sngSet);

/// Whether the time of day of dteDate lies in daylight, given what SunTimes found for its date: statuses 2 and 4
/// are day, 1 compares the time with rise and set, any other is night.
bool IsDaytime(platform::Date dteDate, float sngRise, float sngSet, int32_t lStatus);

/// The Julian day number of 0 h of a calendar date (Gregorian from 1583, Julian before) as a whole day number and
/// its fraction (0.5 for a whole day: Julian days begin at noon).
void JulianDay(int32_t year, int32_t month, double day, double& fraction, double& day_number);

/// The Sun's right ascension and declination (radians) t days after 1 January 2000, 12 h; centuries counts
/// Julian centuries from 1900.
void SunPosition(double t, double centuries, double& right_ascension, double& declination);

/// The local sidereal time in radians at 0 h of the day t days after 1 January 2000, 12 h, for a time zone of
/// zone days and a longitude of longitude_fraction turns (degrees / 360).
double LocalSiderealTime(double t, double zone, double longitude_fraction);

/// The Sun's motion over one hour, from its place at the start (a0, d0) to the end (a2, d2), for the place whose
/// sine and cosine of latitude are given.
struct HourSpan {
    double sidereal_start = 0; ///< local sidereal time at 0 h
    double a0 = 0;
    double a2 = 0;
    double d0 = 0;
    double d2 = 0;
    double sin_latitude = 0;
    double cos_latitude = 0;
};

/// What TestHour carries from hour to hour and reports.
struct HourState {
    double v0 = 0; ///< altitude function at the hour's start
    double v2 = 0; ///< altitude function at the hour's end
    bool rise_seen = false;
    bool set_seen = false;
    float event_hour = 0; ///< the hour of the crossing found, half a minute added
};

/// Tests the hour that starts at hour c for the Sun's centre crossing the horizon: 1 when it rises in the hour,
/// 2 when it sets, 0 otherwise. At c = 0 it computes the altitude function at the start; it always computes it at
/// the end.
int32_t TestHour(const HourSpan& span, int32_t c, HourState& state);

} // namespace chronova::modSunup
