// A date field compared with dates is answered from the field's time order, whatever the reading. As stored
// (no display zone), the rows must be exactly those whose stored value passes the comparison: nulls and NaN
// pass nothing, offsets carried by zoned values are ignored, and repeats all come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "gis/data/time_values.h"
#include "gis/sql/where_clause.h"
#include "platform/locale.h"
#include "platform/ole_date.h"

namespace chronova::gis {
namespace {

class DateFieldOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        table_ = std::make_shared<ColumnTable>("points");
        Column& dates = table_->AddField({"DT", "", FieldType::Date});
        std::mt19937 random(11);
        std::uniform_int_distribution<int> hour(1, 9);
        std::uniform_int_distribution<int> kind(0, 9);
        for (int row = 0; row < 2000; ++row) {
            const double value = Hour(hour(random));
            switch (kind(random)) {
            case 0:
                dates.AppendNull();
                values_.push_back(std::nullopt);
                break;
            case 1:
                dates.AppendZonedReal(value, 120);
                values_.push_back(value);
                break;
            case 2:
                dates.AppendReal(std::numeric_limits<double>::quiet_NaN());
                values_.push_back(std::nullopt);
                break;
            default:
                dates.AppendReal(value);
                values_.push_back(value);
                break;
            }
        }
    }

    static double Hour(int hour) { return platform::Date::FromParts(2008, 3, 1, hour, 0).Serial(); }
    static std::string Literal(int hour) { return "#3/1/2008 " + std::to_string(hour) + ":00:00#"; }

    // The rows whose stored value passes, ascending.
    RowIds Expected(const std::function<bool(double)>& passes) const {
        RowIds rows;
        for (size_t row = 0; row < values_.size(); ++row) {
            if (values_[row] && passes(*values_[row])) {
                rows.push_back(static_cast<uint32_t>(row));
            }
        }
        return rows;
    }

    RowIds Select(const std::string& clause) const { return WhereClause::Parse(clause).Select(*table_); }

    platform::ScopedLocale us_{"en-US"};
    std::shared_ptr<ColumnTable> table_;
    std::vector<std::optional<double>> values_;
};

TEST_F(DateFieldOrderTest, ComparisonsWithDatesSelectTheStoredValuesThatPass) {
    for (int hour = 0; hour <= 10; ++hour) { // from before the first value to after the last
        const double at = Hour(hour);
        const std::string literal = Literal(hour);
        EXPECT_EQ(Select("DT = " + literal), Expected([&](double v) { return v == at; })) << hour;
        EXPECT_EQ(Select("DT <> " + literal), Expected([&](double v) { return v != at; })) << hour;
        EXPECT_EQ(Select("DT < " + literal), Expected([&](double v) { return v < at; })) << hour;
        EXPECT_EQ(Select("DT <= " + literal), Expected([&](double v) { return v <= at; })) << hour;
        EXPECT_EQ(Select(literal + " < DT"), Expected([&](double v) { return v > at; })) << hour;
        EXPECT_EQ(Select("DT >= " + literal), Expected([&](double v) { return v >= at; })) << hour;
    }
    EXPECT_EQ(Select("DT BETWEEN " + Literal(2) + " AND " + Literal(5)),
              Expected([](double v) { return v >= Hour(2) && v <= Hour(5); }));
    EXPECT_EQ(Select("DT NOT BETWEEN " + Literal(2) + " AND " + Literal(5)),
              Expected([](double v) { return v < Hour(2) || v > Hour(5); }));
    EXPECT_EQ(Select("DT IN (" + Literal(1) + ", " + Literal(7) + ", " + Literal(1) + ")"),
              Expected([](double v) { return v == Hour(1) || v == Hour(7); }));
    EXPECT_EQ(Select("DT >= " + Literal(3) + " AND DT < " + Literal(6) + " OR DT = " + Literal(9)),
              Expected([](double v) { return (v >= Hour(3) && v < Hour(6)) || v == Hour(9); }));
    // Compared with a number, the field is compared as the number it stores.
    EXPECT_EQ(Select("DT > " + std::to_string(Hour(4))), Expected([](double v) { return v > Hour(4); }));
}

TEST_F(DateFieldOrderTest, AnUpperBoundIsAPrefixOfTheFieldsTimeOrder) {
    const WhereClause clause = WhereClause::Parse("DT <= " + Literal(4));
    const std::vector<WhereClause::UpperBound> bounds = clause.UpperBounds(*table_);
    ASSERT_EQ(bounds.size(), 1u);
    const TimeValues& times = table_->TimesOf(0, {});
    EXPECT_EQ(bounds[0].order, &times.Order()) << "the order the time filter and the steps read";
    RowIds prefix(times.Order().begin(), times.Order().begin() + static_cast<std::ptrdiff_t>(bounds[0].end));
    std::sort(prefix.begin(), prefix.end());
    EXPECT_EQ(prefix, Expected([](double v) { return v <= Hour(4); }));
}

} // namespace
} // namespace chronova::gis
