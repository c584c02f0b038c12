#include "records/layer_data.h"

#include <gtest/gtest.h>

#include "support/error_number.h"

#include "datetime/mod_date_time.h"
#include "platform/automation_error.h"
#include "platform/locale.h"

namespace chronova {
namespace {

using platform::AutomationError;
using platform::Date;
using platform::Variant;

Date At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Date::FromParts(y, mo, d, h, mi, s);
}

class LayerDataTest : public ::testing::Test {
protected:
    platform::ScopedLocale locale_{"en-US"};
    LayerData record_;
};

TEST_F(LayerDataTest, NewRecordDefaults) {
    EXPECT_EQ(record_.TimeStepsCount(), 0);
    EXPECT_EQ(record_.RasterInterval, 1);
    EXPECT_EQ(record_.RasterIntervalUnits, "n");
    EXPECT_FALSE(record_.IsShapefile);
    EXPECT_EQ(record_.TheLayer, nullptr);
    // The first band time defaults to the present hour.
    int16_t y, mo, d, h, mi;
    modDateTime::MinutesToParts(record_.RasterStartTime, y, mo, d, h, mi);
    EXPECT_EQ(mi, 0);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(y, local.tm_year + 1900);
    EXPECT_NE(LayerData().Identity(), record_.Identity());
    EXPECT_EQ(record_.IdentityKey(), std::to_string(record_.Identity()));
}

TEST_F(LayerDataTest, StepsWrittenOutOfOrderReadBackSorted) {
    record_.TimeSteps(3, Variant(At(2008, 3, 1, 10, 0, 45)));
    record_.TimeSteps(1, Variant(At(2008, 3, 1, 8)));
    record_.TimeSteps(2, Variant(At(2008, 3, 1, 9)));
    EXPECT_EQ(record_.TimeSteps(1), Variant(At(2008, 3, 1, 8)));
    EXPECT_EQ(record_.TimeSteps(2), Variant(At(2008, 3, 1, 9)));
    EXPECT_EQ(record_.TimeSteps(3), Variant(At(2008, 3, 1, 10, 0, 45))); // as it was given
    EXPECT_EQ(record_.TimeStepsAsDate(3), At(2008, 3, 1, 10));           // seconds zero
}

TEST_F(LayerDataTest, EveryStepKindGivesItsMinuteNumber) {
    const int32_t minutes = modDateTime::PartsToMinutes(2008, 3, 5, 14, 7);
    const Date date = At(2008, 3, 5, 14, 7);
    const std::vector<Variant> same_instant = {Variant(minutes),
                                               Variant(date),
                                               Variant(date.Serial()),
                                               Variant("3/5/2008 2:07 PM"),
                                               Variant("051407Z MAR 2008"),
                                               Variant("2008-03-05 14:07:30")};
    for (size_t i = 0; i < same_instant.size(); ++i) {
        record_.TimeStepsClear();
        record_.TimeSteps(1, same_instant[i]);
        EXPECT_EQ(record_.TimeStepsAsDate(1), date) << i;
        EXPECT_EQ(record_.TimeSteps(1), same_instant[i]) << i;
    }
}

TEST_F(LayerDataTest, GapsReadAsEmptyStepsAtMinuteZero) {
    record_.TimeSteps(5, Variant(At(2008, 3, 1)));
    EXPECT_EQ(record_.TimeStepsCount(), 5);
    for (int32_t i = 1; i <= 4; ++i) {
        EXPECT_TRUE(record_.TimeSteps(i).IsEmpty());
        EXPECT_EQ(record_.TimeStepsAsDate(i), Date(0));
    }
    EXPECT_EQ(record_.TimeSteps(5), Variant(At(2008, 3, 1)));
}

TEST_F(LayerDataTest, BadPositionsAndTypesRaiseTheirErrors) {
    EXPECT_RAISES(record_.TimeSteps(0, Variant(1)), 9);
    EXPECT_RAISES(record_.TimeSteps(1), 9);
    record_.TimeSteps(1, Variant(60));
    EXPECT_RAISES(record_.TimeSteps(0), 9);
    EXPECT_RAISES(record_.TimeSteps(2), 9);
    EXPECT_RAISES(record_.TimeStepsAsDate(2), 9);
    EXPECT_RAISES(record_.TimeSteps(2, Variant(int16_t{5})), 5);
    EXPECT_RAISES(record_.TimeSteps(3, Variant(5.0f)), 5);
    EXPECT_RAISES(record_.TimeSteps(4, Variant(true)), 5);
    EXPECT_RAISES(record_.TimeSteps(5, Variant("not a date")), 13);
    // Failed writes keep the grown list and their values, but their minute numbers stay 0, so the one
    // readable step sorts last.
    EXPECT_EQ(record_.TimeStepsCount(), 5);
    EXPECT_EQ(record_.TimeSteps(5), Variant(60));
}

TEST_F(LayerDataTest, FindTimeStepFindsTheLastStepNotLater) {
    EXPECT_EQ(record_.FindTimeStep(At(2008, 3, 1)), 0); // empty list
    record_.TimeSteps(1, Variant(At(2008, 3, 1, 9)));
    record_.TimeSteps(2, Variant(At(2008, 3, 1, 8)));
    record_.TimeSteps(3, Variant(modDateTime::DateToMinutes(At(2008, 3, 1, 9)))); // same minute as step 1
    record_.TimeSteps(4, Variant(At(2008, 3, 1, 10)));
    EXPECT_EQ(record_.FindTimeStep(At(2008, 3, 1, 7, 59)), 0);
    EXPECT_EQ(record_.FindTimeStep(At(2008, 3, 1, 8)), 1);
    EXPECT_EQ(record_.FindTimeStep(At(2008, 3, 1, 8, 0, 30)), 1); // seconds are ignored
    EXPECT_EQ(record_.FindTimeStep(At(2008, 3, 1, 9)), 3);        // the later of two equal steps
    EXPECT_EQ(record_.FindTimeStep(At(2008, 3, 1, 9, 59)), 3);
    EXPECT_EQ(record_.FindTimeStep(At(2009, 1, 1)), 4);
    EXPECT_EQ(record_.FindPrevTimeStep(At(2008, 3, 1, 8, 30)), Variant(At(2008, 3, 1, 8)));
    EXPECT_RAISES(record_.FindPrevTimeStep(At(2008, 3, 1, 7)), 9);
}

TEST_F(LayerDataTest, SortKeepsValuesWithTheirMinutesOnLargeShuffledLists) {
    // Many duplicates and a shuffled order exercise every branch of the partition.
    const int32_t n = 5000;
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t minutes = (i * 7919) % 1201; // a permutation-like spread with repeats
        record_.TimeSteps(i, Variant(minutes));
    }
    int32_t previous = -1;
    for (int32_t i = 1; i <= n; ++i) {
        const int32_t minutes = *record_.TimeSteps(i).Get<int32_t>();
        EXPECT_GE(minutes, previous);
        EXPECT_EQ(modDateTime::DateToMinutes(record_.TimeStepsAsDate(i)), minutes);
        previous = minutes;
    }
    EXPECT_EQ(record_.FindTimeStep(modDateTime::MinutesToDate(1200)), n);
}

TEST_F(LayerDataTest, TimeStepsClearEmptiesTheList) {
    record_.TimeSteps(2, Variant(1));
    record_.TimeStepsClear();
    EXPECT_EQ(record_.TimeStepsCount(), 0);
    EXPECT_RAISES(record_.TimeSteps(1), 9);
}

} // namespace
} // namespace chronova
