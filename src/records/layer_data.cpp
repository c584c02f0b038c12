#include "records/layer_data.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <exception>
#include <limits>
#include <numeric>

#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"

namespace chronova {
namespace {

using platform::Date;
using platform::Variant;
using platform::VarType;

std::atomic<uint32_t> g_next_identity{1};

// The present hour as a minute count: the default first band time of a raster layer.
int32_t PresentHourMinutes() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return modDateTime::PartsToMinutes(static_cast<int16_t>(local.tm_year + 1900),
                                       static_cast<int16_t>(local.tm_mon + 1), static_cast<int16_t>(local.tm_mday),
                                       static_cast<int16_t>(local.tm_hour), 0);
}

} // namespace

LayerData::LayerData() : MinuteZeroDate(modDateTime::MinutesToDate(0)), identity_(g_next_identity++) {
    RasterStartTime = PresentHourMinutes();
}

void LayerData::TimeStepsClear() {
    TimeStepValues.clear();
    TimeStepMinutes.clear();
    TimeStepTotal = 0;
    StepsSorted = false;
}

int32_t LayerData::MinuteNumber(Date date) const {
    // Whole minute boundaries crossed since the zero date, so seconds are ignored.
    const auto whole_minutes = [](Date d) {
        const platform::DateParts p = d.Parts();
        return platform::CivilToDayNumber(p.year, p.month, p.day) * 1440 + int64_t{p.hour} * 60 + p.minute;
    };
    const int64_t minutes = whole_minutes(date) - whole_minutes(MinuteZeroDate);
    if (minutes < std::numeric_limits<int32_t>::min() || minutes > std::numeric_limits<int32_t>::max()) {
        platform::RaiseError(platform::error::kOverflow);
    }
    return static_cast<int32_t>(minutes);
}

void LayerData::TimeSteps(int32_t iIndex, const Variant& value) {
    if (iIndex < 1) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
    if (iIndex > TimeStepTotal) {
        try {
            TimeStepValues.resize(static_cast<size_t>(iIndex));
            TimeStepMinutes.resize(static_cast<size_t>(iIndex), 0);
        } catch (const std::exception&) { // an allocation failure: keep the list as it was
            TimeStepValues.resize(static_cast<size_t>(TimeStepTotal));
            TimeStepMinutes.resize(static_cast<size_t>(TimeStepTotal));
            platform::RaiseError(platform::error::kOutOfMemory);
        }
        TimeStepTotal = iIndex;
    }
    const auto slot = static_cast<size_t>(iIndex - 1);
    TimeStepValues[slot] = value;

    int32_t minutes = 0;
    switch (value.Type()) {
    case VarType::Long:
        minutes = *value.Get<int32_t>();
        break;
    case VarType::Double:
    case VarType::Date:
        minutes = MinuteNumber(platform::CDate(value));
        break;
    case VarType::String: {
        const std::string& text = *value.Get<std::string>();
        minutes = MinuteNumber(modDateTime::IsDTG(text) ? modDateTime::DTGToDate(text) : platform::CDate(value));
        break;
    }
    default:
        platform::RaiseError(platform::error::kInvalidProcedureCall);
    }
    TimeStepMinutes[slot] = minutes;
    StepsSorted = false;
}

void LayerData::CheckIndex(int32_t iIndex) const {
    if (iIndex < 1 || iIndex > TimeStepTotal) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
}

void LayerData::EnsureSorted() {
    if (StepsSorted || TimeStepTotal < 2) {
        return;
    }
    // The exchanges move small position numbers instead of the values; the values then follow the cycles of
    // that permutation in place (position k takes the value that was at order_[k]).
    order_.resize(static_cast<size_t>(TimeStepTotal));
    std::iota(order_.begin(), order_.end(), 0);
    SortTimeSteps(1, TimeStepTotal);
    for (size_t start = 0; start < order_.size(); ++start) {
        if (order_[start] == static_cast<int32_t>(start)) {
            continue;
        }
        platform::Variant first = std::move(TimeStepValues[start]);
        size_t current = start;
        while (true) {
            const auto from = static_cast<size_t>(order_[current]);
            order_[current] = static_cast<int32_t>(current);
            if (from == start) {
                TimeStepValues[current] = std::move(first);
                break;
            }
            TimeStepValues[current] = std::move(TimeStepValues[from]);
            current = from;
        }
    }
    order_.clear();
    StepsSorted = true;
}

Variant LayerData::TimeSteps(int32_t iIndex) {
    CheckIndex(iIndex);
    EnsureSorted();
    return TimeStepValues[static_cast<size_t>(iIndex - 1)];
}

Date LayerData::TimeStepsAsDate(int32_t iIndex) {
    CheckIndex(iIndex);
    EnsureSorted();
    return modDateTime::MinutesToDate(TimeStepMinutes[static_cast<size_t>(iIndex - 1)]);
}

int32_t LayerData::FindTimeStep(Date dteTime) {
    EnsureSorted();
    // The list is ascending, so the last step not later than the time is found by binary search; among
    // equal minute numbers this is the last one, as a scan from the start would find.
    const int32_t m = MinuteNumber(dteTime);
    const auto end = TimeStepMinutes.begin() + TimeStepTotal;
    return static_cast<int32_t>(std::upper_bound(TimeStepMinutes.begin(), end, m) - TimeStepMinutes.begin());
}

Variant LayerData::FindPrevTimeStep(Date dteTime) {
    return TimeSteps(FindTimeStep(dteTime));
}

// Quicksort on the minute numbers with the middle element as pivot, moving the matching position in
// order_ with every exchange. Equal minute numbers keep the order this exchange sequence gives them, which callers
// can observe, so the partition steps stay exactly as they are; only the recursion goes into the
// smaller side first and loops on the larger, which bounds the stack depth and changes no result.
void LayerData::SortTimeSteps(int32_t lo, int32_t hi) {
    while (lo < hi) {
        int32_t i = lo;
        int32_t j = hi;
        const int32_t sum = lo + hi;
        // The middle position, halves rounded to the even number.
        const int32_t mid = (sum % 2 == 0) ? sum / 2 : ((sum / 2) % 2 == 0 ? sum / 2 : sum / 2 + 1);
        const int32_t pivot = TimeStepMinutes[static_cast<size_t>(mid - 1)];
        while (i <= j) {
            while (TimeStepMinutes[static_cast<size_t>(i - 1)] < pivot && i < hi) {
                ++i;
            }
            while (pivot < TimeStepMinutes[static_cast<size_t>(j - 1)] && j > lo) {
                --j;
            }
            if (i > j) {
                break;
            }
            std::swap(TimeStepMinutes[static_cast<size_t>(i - 1)], TimeStepMinutes[static_cast<size_t>(j - 1)]);
            std::swap(order_[static_cast<size_t>(i - 1)], order_[static_cast<size_t>(j - 1)]);
            ++i;
            --j;
        }
        if (j - lo < hi - i) {
            if (lo < j) {
                SortTimeSteps(lo, j);
            }
            lo = i;
        } else {
            if (i < hi) {
                SortTimeSteps(i, hi);
            }
            hi = j;
        }
    }
}

} // namespace chronova
