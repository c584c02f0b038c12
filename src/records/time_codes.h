#pragma once

#include <cstdint>

// The numbers the system stores for how a layer holds time and how the slider steps. They stay plain int16_t
// values because records, process-wide state and automation clients exchange the numbers themselves.
namespace chronova {

// LayerData::TimeFieldType: what kind of value a layer's time steps are.
/// No time field found yet.
inline constexpr int16_t kTimeFieldNone = 0;
/// Date values.
inline constexpr int16_t kTimeFieldDate = 1;
/// Text that reads as a date.
inline constexpr int16_t kTimeFieldText = 2;
/// Text in date-time group form ("010000Z MAR 2008").
inline constexpr int16_t kTimeFieldDateTimeGroup = 3;
/// Long integers counting minutes.
inline constexpr int16_t kTimeFieldLong = 4;
/// Doubles that convert to dates.
inline constexpr int16_t kTimeFieldDouble = 5;
/// Whole numbers of years (2005 is 1 January 2005), chosen by the layer's settings, never detected. Numbered well
/// beyond the classic five, so that a client that knows only those sees an unknown code; it lives only in memory
/// and in reports, no file stores it.
inline constexpr int16_t kTimeFieldYear = 101;

// g_iDisplayType: what a slider position stands for.
/// Positions step by a fixed interval of minutes.
inline constexpr int16_t kDisplayInterval = 0;
/// Positions index the sorted list of distinct time steps.
inline constexpr int16_t kDisplayUniquePoints = 1;

} // namespace chronova
