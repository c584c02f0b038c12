#include "gis/ogr/gdal_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include <cpl_error.h>

#include "platform/debug_output.h"
#include "support/error_number.h"

namespace chronova::gis {
namespace {

TEST(GdalErrorTrapTest, CountsEveryFailureAndKeepsTheFirstReason) {
    RegisterGdalDrivers();
    GdalErrorTrap trap;
    EXPECT_FALSE(trap.Failed());
    CPLError(CE_Failure, CPLE_FileIO, "fread failed on record 7");
    // GDAL often resets its last error on the next call, which must not hide a failure that came before.
    CPLErrorReset();
    CPLError(CE_Failure, CPLE_FileIO, "fread failed on record 8");
    EXPECT_TRUE(trap.Failed());
    EXPECT_EQ(trap.Failures(), 2U);
    EXPECT_EQ(trap.Message(), "fread failed on record 7");
    const platform::AutomationError error = testing::ErrorOf([&] { trap.Raise(75, "ships.dbf: cannot be read"); });
    EXPECT_EQ(error.Number(), 75);
    EXPECT_EQ(error.Description(), "ships.dbf: cannot be read: fread failed on record 7");

    trap.Forget();
    EXPECT_FALSE(trap.Failed());
    EXPECT_EQ(trap.Message(), "");
}

TEST(GdalErrorTrapTest, WarningsGoToTheDebugOutputAndFailNothing) {
    RegisterGdalDrivers();
    platform::ScopedDebugCapture capture;
    {
        GdalErrorTrap trap;
        CPLError(CE_Warning, CPLE_AppDefined, "value 3.7 of field n truncated");
        EXPECT_FALSE(trap.Failed());
    }
    // Outside a trap nothing waits for GDAL's messages; they must not reach stderr either.
    CPLError(CE_Failure, CPLE_AppDefined, "nobody asked");
    ASSERT_EQ(capture.Lines().size(), 2U);
    EXPECT_EQ(capture.Lines()[0], "GDAL warning: value 3.7 of field n truncated");
    EXPECT_EQ(capture.Lines()[1], "GDAL error: nobody asked");
}

TEST(GdalErrorTrapTest, EachThreadAndEachNestedTrapCountsItsOwnFailures) {
    RegisterGdalDrivers();
    GdalErrorTrap outer;
    std::thread other([] {
        GdalErrorTrap own;
        CPLError(CE_Failure, CPLE_FileIO, "on the other thread");
        EXPECT_EQ(own.Failures(), 1U);
    });
    other.join();
    {
        GdalErrorTrap inner;
        CPLError(CE_Failure, CPLE_FileIO, "inner");
        EXPECT_EQ(inner.Message(), "inner");
    }
    EXPECT_FALSE(outer.Failed());
    CPLError(CE_Failure, CPLE_FileIO, "outer");
    EXPECT_EQ(outer.Message(), "outer");
}

} // namespace
} // namespace chronova::gis
