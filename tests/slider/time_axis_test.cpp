#include "slider/time_axis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "records/time_codes.h"

namespace chronova {
namespace {

using platform::Date;

constexpr int32_t kDay = 1440;

int32_t March(int day, int hour, int minute = 0) {
    return modDateTime::DateToMinutes(Date::FromParts(2008, 3, day, hour, minute));
}

// The error number an expression raises, 0 when it raises none.
template <typename Body>
int32_t ErrorOf(Body&& body) {
    try {
        body();
    } catch (const platform::AutomationError& e) {
        return e.Number();
    }
    return 0;
}

// ---- Merging the layers' ranges ----

struct MergeCase {
    std::vector<LayerSpan> layers;
    LayerSpan axis;
    const char* what;
};

void ExpectAxis(const MergeCase& c) {
    EXPECT_EQ(TimeAxis::DataSpan(c.layers), c.axis) << c.what;
}

TEST(TimeAxisTest, LayersMergeIntoTheEarliestStartTheLatestFinishAndTheSmallestInterval) {
    const int32_t s = March(1, 0);
    const MergeCase cases[] = {
        {{{s, s + kDay, 60}}, {s, s + kDay, 60}, "one layer is its own axis"},
        {{{s, s + 600, 60}, {s - 30, s + 300, 30}, {s + 100, s + 900, 45}}, {s - 30, s + 900, 30}, "three layers"},
        {{{s, s + 600, 60}, {s + 60, s + 700, 0}}, {s, s + 700, 60}, "a later layer without an interval"},
        {{{s, s, 0}}, {s, s, 1}, "one layer, one step"},
        {{{s, s + 600, 0}, {s, s + 600, 0}}, {s, s + 600, 1}, "equal starts leave no gap"},
        {{{s, s + 600, 0}, {s + 100, s + 600, 0}, {s + 30, s + 600, 0}}, {s, s + 600, 30}, "gaps between starts"},
        {{{s + 45, s + 600, 0}, {s, s + 600, 0}, {s + 45, s + 600, 0}, {s + 200, s + 600, 0}},
         {s, s + 600, 45},
         "repeated starts in any order"},
        // The first layer's missing interval sends the axis to the gaps, whatever later layers have.
        {{{s, s + 600, 0}, {s + 120, s + 600, 60}}, {s, s + 600, 120}, "a first layer without an interval"},
    };
    for (const MergeCase& c : cases) {
        ExpectAxis(c);
    }
}

TEST(TimeAxisTest, TheMergeTellsWhichLayerStartsEarliest) {
    LayerSpanMerge merge;
    const std::pair<int32_t, bool> cases[] = {{500, true}, {600, false}, {500, false}, {100, true}, {100, false}};
    for (const auto& [start, earliest] : cases) {
        EXPECT_EQ(merge.Add({start, 1000, 10}), earliest) << start;
    }
    EXPECT_EQ(merge.Count(), 5);
    EXPECT_EQ(merge.Merged(), (LayerSpan{100, 1000, 10}));
}

TEST(TimeAxisTest, TheGapSearchStartsAtTheAxisStartAndOnlyLooksLater) {
    struct Case {
        int32_t from;
        std::vector<int32_t> starts;
        int32_t gap;
    };
    const Case cases[] = {
        {0, {}, 0},
        {0, {0}, 0},
        {0, {0, 0, 0}, 0},
        {0, {90, 0, 30, 60}, 30},
        {0, {0, 1000, 1001}, 1},
        {10, {0, 20, 25}, 5},    // starts before from are not part of the chain
        {0, {30, 100, 200}, 30}, // from need not be a start: the first gap is measured from it
        {0, {40, 70, 80}, 30},   // but the chain has one gap per start after the earliest, so 80 is not reached
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeAxis::SmallestStartGap(c.from, c.starts), c.gap) << c.from << " " << c.starts.size();
    }
}

TEST(TimeAxisTest, ManyLayersFindTheOneSmallGap) {
    // Ten thousand starts a day apart in reverse order, and one start a minute after the middle one.
    std::vector<int32_t> starts;
    for (int32_t k = 9999; k >= 0; --k) {
        starts.push_back(k * kDay);
    }
    starts.push_back(5000 * kDay + 1);
    EXPECT_EQ(TimeAxis::SmallestStartGap(0, starts), 1);
    starts.pop_back();
    EXPECT_EQ(TimeAxis::SmallestStartGap(0, starts), kDay);
}

TEST(TimeAxisTest, AnAxisTooWideForMinuteNumbersRaisesOverflow) {
    EXPECT_EQ(ErrorOf([] {
                  TimeAxis::DataSpan(std::vector<LayerSpan>{{-900'000'000, 2'000'000'000, 60}});
              }),
              platform::error::kOverflow);
    EXPECT_EQ(ErrorOf([] {
                  TimeAxis::SmallestStartGap(-2'000'000'000, {2'000'000'000, -2'000'000'000});
              }),
              platform::error::kOverflow);
}

// ---- Fitting the interval to the slider ----

TEST(TimeAxisTest, AnIntervalIsWidenedOnlyWhenThePositionsWouldPass32767) {
    struct Case {
        int32_t range;
        int32_t interval;
        int32_t fitted;
        bool widened;
    };
    const Case cases[] = {
        {1440, 60, 60, false},
        {1440, 0, 1, false},           // at least one minute
        {1440, -5, 1, false},          // a negative step is no step
        {32766, 1, 1, false},          // 32767 positions fit exactly
        {32767, 1, 2, true},           // 32768 do not: 32767 / 32767 + 1 = 2
        {100'000'000, 60, 3053, true}, // 100000000 / 32767 + 1 = 3052.85
        {100'000'000, 5000, 5000, false},
        {2'000'000'000, 1, 32767, true}, // never wider than the positions themselves
    };
    for (const Case& c : cases) {
        const FittedInterval fitted = TimeAxis::FitInterval(c.range, c.interval);
        EXPECT_EQ(fitted.interval, c.fitted) << c.range << "/" << c.interval;
        EXPECT_EQ(fitted.status, c.widened ? TimeAxis::kTooManySteps : "") << c.range << "/" << c.interval;
    }
    // The merged axis is fitted too.
    EXPECT_EQ(TimeAxis::DataSpan(std::vector<LayerSpan>{{0, 100'000'000, 60}}).interval, 3053);
}

TEST(TimeAxisTest, StepCountsStayOnTheSlider) {
    const std::tuple<int32_t, int32_t, int32_t> cases[] = {
        {1441, 60, 24}, {59, 60, 1}, {1, 60, 1}, {32767 * 2 + 5, 1, 32767}, {32767, 1, 32767},
    };
    for (const auto& [range, interval, steps] : cases) {
        EXPECT_EQ(TimeAxis::StepCount(range, interval), steps) << range << "/" << interval;
    }
}

TEST(TimeAxisTest, LayerPositionsRoundToTheNearestStepFromEitherEnd) {
    const int32_t s = March(1, 0);
    const int32_t f = March(2, 0);
    EXPECT_EQ(TimeAxis::LayerStartPosition(s, s, 60), 0);
    EXPECT_EQ(TimeAxis::LayerStartPosition(s + 150, s, 60), 2); // 2.5 rounds to even
    EXPECT_EQ(TimeAxis::LayerStartPosition(s + 210, s, 60), 4); // 3.5 rounds to even
    EXPECT_EQ(TimeAxis::LayerFinishPosition(f, f, 60, 24), 24);
    EXPECT_EQ(TimeAxis::LayerFinishPosition(f - 120, f, 60, 24), 22);
    EXPECT_EQ(TimeAxis::LayerFinishPosition(f - 90, f, 60, 24), 22); // 22.5 rounds to even
}

TEST(TimeAxisTest, TheIntervalTextShowsDaysOnlyFromOneDayOn) {
    const std::pair<int32_t, const char*> cases[] = {
        {1, " Interval: 0 hrs 1 mins"},
        {90, " Interval: 1 hrs 30 mins"},
        {1439, " Interval: 23 hrs 59 mins"},
        {1440, " Interval: 1 days 0 hrs 0 mins"},
        {2 * 1440 + 61, " Interval: 2 days 1 hrs 1 mins"},
    };
    for (const auto& [minutes, text] : cases) {
        EXPECT_EQ(TimeAxis::IntervalText(minutes), text) << minutes;
    }
}

// ---- Range selection ----

TEST(TimeAxisTest, AChosenRangeKeepsTheCurrentTimeOnlyInsideIt) {
    // Layer B alone spans 12:00 to 18:00 on 2 March; the current time survives only inside it.
    const LayerSpan b = TimeAxis::DataSpan(std::vector<LayerSpan>{{March(2, 12), March(2, 18), 30}});
    EXPECT_EQ(b, (LayerSpan{March(2, 12), March(2, 18), 30}));
    const std::pair<int32_t, int32_t> cases[] = {
        {March(2, 13), March(2, 13)}, {March(2, 12), March(2, 12)},    {March(2, 18), March(2, 18)},
        {March(1, 5), March(2, 12)},  {March(2, 18, 1), March(2, 12)},
    };
    for (const auto& [current, kept] : cases) {
        EXPECT_EQ(TimeAxis::KeptTime(current, b.start, b.finish), kept) << current;
    }
}

// ---- Positions and times ----

TEST(TimeAxisTest, FixedIntervalPositionsAndTimesRoundTrip) {
    const int32_t s = March(1, 0);
    const TimeAxis axis(s, 60, kDisplayInterval, {});
    EXPECT_FALSE(axis.UniquePoints());
    for (int32_t position : {0, 1, 12, 24}) {
        EXPECT_EQ(axis.PositionOf(axis.TimeAt(position)), position) << position;
    }
    const std::tuple<int32_t, int32_t, int32_t> cases[] = {
        // time, unclamped position, position on a 24-step slider
        {March(1, 5), 5, 5},   {March(1, 3, 59), 3, 3}, {March(2, 0), 24, 24},
        {March(3, 0), 48, 24}, {s - 1, 0, 0},           {s - 61, -1, 0},
    };
    for (const auto& [time, position, clamped] : cases) {
        EXPECT_EQ(axis.PositionOf(time), position) << time;
        EXPECT_EQ(axis.ClampedPositionOf(time, 24), clamped) << time;
    }
    // No step yet: every time is at the start.
    EXPECT_EQ(TimeAxis(s, 0, kDisplayInterval, {}).PositionOf(March(1, 5)), 0);
    EXPECT_EQ(TimeAxis(s, 60, kDisplayInterval, {}).ClampedPositionOf(March(1, 5), -1), 0);
    EXPECT_EQ(ErrorOf([&] { TimeAxis(s, 2'000'000, kDisplayInterval, {}).TimeAt(32767); }), platform::error::kOverflow);
}

TEST(TimeAxisTest, UniquePointsIndexTheStepListAtBothEndsAndBetweenSteps) {
    const std::vector<Date> steps = {modDateTime::MinutesToDate(March(1, 0)), modDateTime::MinutesToDate(March(1, 1)),
                                     modDateTime::MinutesToDate(March(1, 1, 30)),
                                     modDateTime::MinutesToDate(March(1, 3))};
    const TimeAxis axis(March(1, 0), 3, kDisplayUniquePoints, steps);
    ASSERT_TRUE(axis.UniquePoints());
    const std::pair<int32_t, int32_t> positions[] = {
        {0, March(1, 0)}, {2, March(1, 1, 30)}, {3, March(1, 3)}, {4, March(1, 0)}, {-1, March(1, 0)},
    };
    for (const auto& [position, time] : positions) {
        EXPECT_EQ(axis.TimeAt(position), time) << position;
    }
    const std::pair<int32_t, int32_t> times[] = {
        {March(1, 0), 0}, {March(1, 1, 30), 2},
        {March(1, 3), 3}, {March(1, 2), 0}, // between steps: no step matches, so the first position
        {March(1, 4), 0},
    };
    for (const auto& [time, position] : times) {
        EXPECT_EQ(axis.PositionOf(time), position) << time;
        EXPECT_EQ(axis.ClampedPositionOf(time, 2), std::min(position, 2)) << time;
    }
    // Without positions to index, no time moves the slider.
    EXPECT_EQ(TimeAxis(March(1, 0), 0, kDisplayUniquePoints, steps).PositionOf(March(1, 3)), 0);
}

TEST(TimeAxisTest, TheStepListCountsOnlyInTheUniquePointsModeAndWhenItHasEntries) {
    const std::vector<Date> steps = {modDateTime::MinutesToDate(March(1, 0)), modDateTime::MinutesToDate(March(1, 7))};
    const TimeAxis interval_mode(March(1, 0), 60, kDisplayInterval, steps);
    EXPECT_FALSE(interval_mode.UniquePoints());
    EXPECT_EQ(interval_mode.TimeAt(1), March(1, 1));
    const TimeAxis empty_list(March(1, 0), 60, kDisplayUniquePoints, {});
    EXPECT_FALSE(empty_list.UniquePoints());
    EXPECT_EQ(empty_list.TimeAt(1), March(1, 1));
}

} // namespace
} // namespace chronova
