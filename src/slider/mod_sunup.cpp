#include "slider/mod_sunup.h"

#include <cmath>

namespace chronova::modSunup {
namespace {

double Frac(double x) {
    return x - std::floor(x);
}

int32_t Sign(double x) {
    return (x > 0) - (x < 0);
}

// The arcsine, written through the arctangent.
double ArcSine(double s) {
    return std::atan(s / std::sqrt(1 - s * s));
}

// The altitude function: the sine of the Sun's altitude less that of the horizon's zenith distance.
double Altitude(const HourSpan& span, double declination, double hour_angle) {
    return span.sin_latitude * std::sin(declination) +
           span.cos_latitude * std::cos(declination) * std::cos(hour_angle) - std::cos(kHorizonZenith);
}

} // namespace

void JulianDay(int32_t year, int32_t month, double day, double& fraction, double& day_number) {
    const int32_t gregorian = year >= 1583 ? 1 : 0;
    const double y = year;
    const double m = month;
    fraction = day - std::floor(day) - 0.5;
    double j = -std::floor(7 * (std::floor((m + 9) / 12) + y) / 4);
    double j3 = 0;
    if (gregorian == 1) {
        const double s = Sign(m - 9);
        const double a = std::abs(m - 9);
        j3 = std::floor(y + s * std::floor(a / 7));
        j3 = -std::floor((std::floor(j3 / 100) + 1) * 3 / 4);
    }
    j = j + std::floor(275 * m / 9) + day + gregorian * j3 + 1721027 + 2 * gregorian + 367 * y;
    if (fraction < 0) {
        fraction += 1;
        j -= 1;
    }
    day_number = j;
}

void SunPosition(double t, double centuries, double& right_ascension, double& declination) {
    const double l = Frac(0.779072 + 0.00273790931 * t) * kTwoPi;
    const double g = Frac(0.993126 + 0.0027377785 * t) * kTwoPi;
    const double v =
        0.39785 * std::sin(l) - 0.01 * std::sin(l - g) + 0.00333 * std::sin(l + g) - 0.00021 * centuries * std::sin(l);
    const double u = 1 - 0.03349 * std::cos(g) - 0.00014 * std::cos(2 * l) + 0.00008 * std::cos(l);
    const double w = -0.0001 - 0.04129 * std::sin(2 * l) + 0.03211 * std::sin(g) + 0.00104 * std::sin(2 * l - g) -
                     0.00035 * std::sin(2 * l + g) - 0.00008 * centuries * std::sin(g);
    right_ascension = l + ArcSine(w / std::sqrt(u - v * v));
    declination = ArcSine(v / std::sqrt(u));
}

double LocalSiderealTime(double t, double zone, double longitude_fraction) {
    double x = t / 36525;
    x = 8640184.813 * x + 24110.5;
    x = 86636.6 * zone + x + 86400 * longitude_fraction;
    x = x / 86400;
    x = x - std::floor(x);
    return x * 360 * kDegreesToRadians;
}

int32_t TestHour(const HourSpan& span, int32_t c, HourState& state) {
    const double l0 = span.sidereal_start + c * kSiderealRadiansPerHour;
    const double l2 = l0 + kSiderealRadiansPerHour;
    const double h0 = l0 - span.a0;
    const double h2 = l2 - span.a2;
    const double h1 = (h2 + h0) / 2;
    const double d1 = (span.d2 + span.d0) / 2;
    if (c == 0) {
        state.v0 = Altitude(span, span.d0, h0);
    }
    state.v2 = Altitude(span, span.d2, h2);
    if (Sign(state.v0) == Sign(state.v2)) {
        return 0;
    }
    // A parabola through the altitude at the hour's start, middle and end finds the crossing.
    const double v1 = Altitude(span, d1, h1);
    const double a = 2 * state.v2 - 4 * v1 + 2 * state.v0;
    const double b = 4 * v1 - 3 * state.v0 - state.v2;
    double disc = b * b - 4 * a * state.v0;
    if (disc < 0) {
        return 0;
    }
    disc = std::sqrt(disc);
    int32_t result = 0;
    if (state.v0 < 0 && state.v2 > 0) {
        state.rise_seen = true;
        result = 1;
    }
    if (state.v0 > 0 && state.v2 < 0) {
        state.set_seen = true;
        result = 2;
    }
    double e = (-b + disc) / (2 * a);
    if (e > 1 || e < 0) {
        e = (-b - disc) / (2 * a);
    }
    state.event_hour = static_cast<float>(c + e + 1.0 / 120);
    return result;
}

int32_t SunTimes(platform::Date dteDate, float sngLongitude, float sngLatitude, float& sngRise, float& sngSet) {
    const platform::DateParts parts = dteDate.Parts();
    int32_t result = status::kOnHorizon;
    sngRise = -1;
    sngSet = -1;

    double fraction = 0;
    double day_number = 0;
    JulianDay(parts.year, parts.month, parts.day, fraction, day_number);
    double t = (day_number - 2451545.0) + fraction;
    const double centuries = t / 36525 + 1;

    // Results are in Universal Time: the time zone is 0.
    const double longitude_fraction = static_cast<double>(sngLongitude) / 360;
    const double zone = 0.0 / 24;
    const double sidereal = LocalSiderealTime(t, zone, longitude_fraction);
    t = t + zone;

    double a1 = 0;
    double d1 = 0;
    double a2 = 0;
    double d2 = 0;
    SunPosition(t, centuries, a1, d1);
    t = t + 1;
    SunPosition(t, centuries, a2, d2);
    if (a2 < a1) {
        a2 = a2 + kTwoPi;
    }

    const double latitude = static_cast<double>(sngLatitude) * kDegreesToRadians;
    HourSpan span;
    span.sidereal_start = sidereal;
    span.a0 = a1;
    span.d0 = d1;
    span.sin_latitude = std::sin(latitude);
    span.cos_latitude = std::cos(latitude);
    const double da = a2 - a1;
    const double dd = d2 - d1;
    HourState state;
    for (int32_t c = 0; c <= 23; ++c) {
        const double p = (c + 1) / 24.0;
        span.a2 = a1 + p * da;
        span.d2 = d1 + p * dd;
        const int32_t found = TestHour(span, c, state);
        if (found == 1) {
            sngRise = state.event_hour;
        } else if (found == 2) {
            sngSet = state.event_hour;
        }
        span.a0 = span.a2;
        span.d0 = span.d2;
        state.v0 = state.v2;
    }

    if (sngRise < 0 || sngSet < 0) {
        sngRise = sngRise < 0 ? 0 : sngRise;
        sngSet = sngSet < 0 ? 0 : sngSet;
        if (state.rise_seen && !state.set_seen) {
            result = status::kRiseOnly;
        } else if (state.set_seen && !state.rise_seen) {
            result = status::kSetOnly;
        } else if (!state.rise_seen && !state.set_seen) {
            if (state.v2 < 0) {
                result = status::kAlwaysDown;
            } else if (state.v2 > 0) {
                result = status::kAlwaysUp;
            }
        }
    } else {
        if (sngRise > sngSet) {
            sngSet = sngSet + 24;
        }
        result = status::kRiseAndSet;
    }
    return result;
}

bool IsDaytime(platform::Date dteDate, float sngRise, float sngSet, int32_t lStatus) {
    if (lStatus == status::kRiseOnly || lStatus == status::kAlwaysUp) {
        return true;
    }
    if (lStatus != status::kRiseAndSet) {
        return false;
    }
    const platform::DateParts parts = dteDate.Parts();
    const float t = static_cast<float>(parts.hour) + static_cast<float>(parts.minute) / 60.0F;
    const bool night = (t <= sngRise || t >= sngSet) && (sngSet <= 24 || sngSet - 24 <= t);
    return !night;
}

} // namespace chronova::modSunup
