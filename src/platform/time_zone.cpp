#include "platform/time_zone.h"

#include <date/tz.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "platform/text.h"

namespace chronova::platform {

namespace {

using Milliseconds = std::chrono::milliseconds;

constexpr double kMillisecondsPerDay = 86'400'000.0;
// Linear day 0 of OLE dates is 30 December 1899; the Unix epoch lies 25,569 days later.
constexpr double kUnixEpochDays = 25'569.0;

Milliseconds ToMilliseconds(Date date) {
    return Milliseconds(std::llround((date.Linear() - kUnixEpochDays) * kMillisecondsPerDay));
}

// Whole seconds come back as the same date their parts make, so converted times equal the literals naming them.
Date FromMilliseconds(Milliseconds ms) {
    const Date date = Date::FromLinear(static_cast<double>(ms.count()) / kMillisecondsPerDay + kUnixEpochDays);
    if (ms.count() % 1000 != 0) {
        return date;
    }
    const DateParts parts = date.Parts();
    return Date::FromParts(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second);
}

// Minutes of "+hh:mm", "+hhmm", "+hh" (also "-"); nothing for any other text or more than 18 hours.
std::optional<int> ParseOffset(std::string_view text) {
    if (text.size() < 3 || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    std::string digits;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits += text[i];
        } else if (!(text[i] == ':' && i == 3)) {
            return std::nullopt;
        }
    }
    if (digits.size() != 2 && digits.size() != 4) {
        return std::nullopt;
    }
    const int hours = std::stoi(digits.substr(0, 2));
    const int minutes = digits.size() == 4 ? std::stoi(digits.substr(2, 2)) : 0;
    if (hours > 18 || minutes > 59) {
        return std::nullopt;
    }
    const int total = hours * 60 + minutes;
    return text[0] == '-' ? -total : total;
}

} // namespace

std::string OffsetText(int offset_minutes) {
    if (offset_minutes == 0) {
        return "UTC";
    }
    const int magnitude = std::abs(offset_minutes);
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", offset_minutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

TimeZone::TimeZone(int offset_minutes) : offset_minutes_(offset_minutes), name_(OffsetText(offset_minutes)) {}

TimeZone::TimeZone(const date::time_zone* zone) : zone_(zone), name_(zone->name()) {}

std::optional<TimeZone> TimeZone::Parse(std::string_view text) {
    const std::string trimmed = Trim(std::string(text));
    const std::string upper = UCase(trimmed);
    if (upper == "Z" || upper == "UTC" || upper == "GMT") {
        return Utc();
    }
    if (auto offset = ParseOffset(trimmed)) {
        return TimeZone(*offset);
    }
    if (trimmed.empty()) {
        return std::nullopt;
    }
    try {
        return TimeZone(date::locate_zone(trimmed));
    } catch (const std::runtime_error&) {
        return std::nullopt; // not in the database, or no database on this machine
    }
}

Date TimeZone::ToUtc(Date wall) const {
    const Milliseconds wall_ms = ToMilliseconds(wall);
    if (zone_ == nullptr) {
        return FromMilliseconds(wall_ms - std::chrono::minutes(offset_minutes_));
    }
    const date::local_time<Milliseconds> local{wall_ms};
    const date::local_info info = zone_->get_info(date::floor<std::chrono::seconds>(local));
    // A skipped time takes the offset in force before the change; a repeated time its first occurrence.
    return FromMilliseconds(wall_ms - info.first.offset);
}

Date TimeZone::FromUtc(Date utc) const {
    const Milliseconds utc_ms = ToMilliseconds(utc);
    if (zone_ == nullptr) {
        return FromMilliseconds(utc_ms + std::chrono::minutes(offset_minutes_));
    }
    const date::sys_info info = zone_->get_info(date::sys_time<Milliseconds>{utc_ms});
    return FromMilliseconds(utc_ms + info.offset);
}

std::string TimeZone::Abbreviation(Date utc) const {
    if (zone_ == nullptr) {
        return name_;
    }
    return zone_->get_info(date::sys_time<Milliseconds>{ToMilliseconds(utc)}).abbrev;
}

Date TimeReading::Show(Date stored, std::optional<int> offset_minutes) const {
    if (!display_zone) {
        return stored;
    }
    Date utc;
    if (offset_minutes) {
        utc = Date::FromLinear(stored.Linear() - *offset_minutes / 1440.0);
    } else if (layer_zone) {
        utc = layer_zone->ToUtc(stored);
    } else {
        return stored; // a naive value of a layer without a zone is already display time
    }
    return display_zone->FromUtc(utc);
}

} // namespace chronova::platform
