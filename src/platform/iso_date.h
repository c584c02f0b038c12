#pragma once

#include <optional>
#include <string_view>

#include "platform/ole_date.h"

namespace chronova::platform {

/// A date text's wall-clock time and, when the text gives one, its offset from UTC in minutes.
struct ZonedDate {
    Date wall;
    std::optional<int> offset_minutes;

    friend bool operator==(const ZonedDate&, const ZonedDate&) = default;
};

/// Reads an ISO 8601 date or date-time: "2024-05-01", "2024-05-01T06:02", "2024-05-01 06:02:15.250",
/// then optionally "Z" or an offset "+02:00", "-0500", "+02". Fractions of a second are dropped, as the
/// general date reader drops them. Nothing for any other text (the general reader may still read it). Fast:
/// a layer of a million ISO texts is read without the general reader's tokens.
std::optional<ZonedDate> TryParseIsoDate(std::string_view text);

} // namespace chronova::platform
