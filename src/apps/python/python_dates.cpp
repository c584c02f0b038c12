#include "apps/python/python_dates.h"

#include <cmath>
#include <limits>
#include <string>

namespace py = pybind11;

namespace chronova::python {

namespace {

constexpr int64_t kMillisecondsPerDay = int64_t{86400} * 1000;

py::module_ DatetimeModule() {
    return py::module_::import("datetime");
}

std::string TypeName(py::handle value) {
    return py::str(py::type::handle_of(value).attr("__name__"));
}

int64_t IntAttribute(py::handle value, const char* name) {
    return value.attr(name).cast<int64_t>();
}

[[noreturn]] void RaiseOutOfRange(std::string_view what, int64_t year) {
    throw py::value_error(std::string(what) + " must lie in the years " + std::to_string(platform::Date::kMinYear) +
                          " to " + std::to_string(platform::Date::kMaxYear) + ", not in " + std::to_string(year));
}

} // namespace

platform::Date ToDate(py::handle value, std::string_view what) {
    const py::module_ datetime = DatetimeModule();
    const bool is_datetime = py::isinstance(value, datetime.attr("datetime"));
    if (!is_datetime && !py::isinstance(value, datetime.attr("date"))) {
        throw py::type_error(std::string(what) + " must be a datetime.datetime, not " + TypeName(value));
    }
    if (is_datetime && !value.attr("tzinfo").is_none()) {
        throw py::value_error(std::string(what) +
                              " must be a naive datetime (a time as the slider shows it, without tzinfo)");
    }
    const int64_t year = IntAttribute(value, "year");
    if (year < platform::Date::kMinYear || year > platform::Date::kMaxYear) {
        RaiseOutOfRange(what, year);
    }
    const int64_t day =
        platform::CivilToDayNumber(static_cast<int>(year), static_cast<int>(IntAttribute(value, "month")),
                                   static_cast<int>(IntAttribute(value, "day")));
    int64_t milliseconds = 0;
    if (is_datetime) {
        milliseconds =
            ((IntAttribute(value, "hour") * 60 + IntAttribute(value, "minute")) * 60 + IntAttribute(value, "second")) *
                1000 +
            (IntAttribute(value, "microsecond") + 500) / 1000;
    }
    if (year == platform::Date::kMaxYear &&
        day * kMillisecondsPerDay + milliseconds >= (platform::CivilToDayNumber(10000, 1, 1)) * kMillisecondsPerDay) {
        RaiseOutOfRange(what, year + 1); // 31 December 9999 23:59:59.9995 rounds into the year 10000
    }
    return platform::Date::FromLinear(static_cast<double>(day * kMillisecondsPerDay + milliseconds) /
                                      static_cast<double>(kMillisecondsPerDay));
}

py::object FromDate(platform::Date date) {
    const double linear = date.Linear();
    const double total = std::round(linear * static_cast<double>(kMillisecondsPerDay));
    constexpr double kLimit = 1e15; // far beyond the year 9999 and well inside a 64-bit count
    if (!std::isfinite(total) || std::fabs(total) > kLimit) {
        throw py::value_error("the date serial " + std::to_string(date.Serial()) + " is not a date Python can hold");
    }
    const auto milliseconds = static_cast<int64_t>(total);
    const int64_t day = milliseconds >= 0 ? milliseconds / kMillisecondsPerDay
                                          : -((-milliseconds + kMillisecondsPerDay - 1) / kMillisecondsPerDay);
    const int64_t of_day = milliseconds - day * kMillisecondsPerDay;
    int year = 0;
    int month = 0;
    int day_of_month = 0;
    platform::DayNumberToCivil(day, year, month, day_of_month);
    if (year < platform::Date::kMinYear || year > platform::Date::kMaxYear) {
        RaiseOutOfRange("the date", year);
    }
    const int64_t seconds = of_day / 1000;
    return DatetimeModule().attr("datetime")(year, month, day_of_month, seconds / 3600, seconds / 60 % 60, seconds % 60,
                                             of_day % 1000 * 1000);
}

int32_t ToMinutes(py::handle value, std::string_view what) {
    if (!py::isinstance(value, DatetimeModule().attr("timedelta"))) {
        throw py::type_error(std::string(what) + " must be a datetime.timedelta, not " + TypeName(value));
    }
    const int64_t microseconds = (IntAttribute(value, "days") * 86400 + IntAttribute(value, "seconds")) * 1000000 +
                                 IntAttribute(value, "microseconds");
    constexpr int64_t kMicrosecondsPerMinute = int64_t{60} * 1000000;
    if (microseconds % kMicrosecondsPerMinute != 0) {
        throw py::value_error(std::string(what) + " must be a whole number of minutes, not " +
                              std::string(py::str(value)));
    }
    const int64_t minutes = microseconds / kMicrosecondsPerMinute;
    if (minutes < std::numeric_limits<int32_t>::min() || minutes > std::numeric_limits<int32_t>::max()) {
        throw py::value_error(std::string(what) + " is too long: " + std::string(py::str(value)));
    }
    return static_cast<int32_t>(minutes);
}

py::object FromMinutes(int64_t minutes) {
    return DatetimeModule().attr("timedelta")(py::arg("minutes") = minutes);
}

} // namespace chronova::python
