"""The time model through Python: dates and intervals, stepping, and the filters the current time applies."""

import datetime as dt

import chronova
import pytest

HOUR = dt.timedelta(hours=1)
MARCH_1 = dt.datetime(2008, 3, 1)


def test_the_axis_of_the_demo_project(demo):
    assert demo.StartTime == demo.start_time == MARCH_1
    assert demo.FinishTime == MARCH_1 + 47 * HOUR
    assert demo.Interval == 60 and demo.IntervalUnit == "n" and demo.interval == HOUR
    assert demo.positions == [MARCH_1 + k * HOUR for k in range(48)]
    axis = demo.Axis
    assert axis.valid and axis.position == 0 and axis.position_count == 48
    assert axis.current_time == MARCH_1


def test_setting_the_current_time_filters_the_layers(demo):
    storm, ships, buoys = demo.layer("Storm track"), demo.layer("Ship tracks"), demo.layer("Buoys")
    assert storm.feature_count == 48 and buoys.feature_count == 960
    for hours in (0, 5, 30):
        demo.CurrentTime = MARCH_1 + hours * HOUR
        assert demo.current_time == MARCH_1 + hours * HOUR
        assert demo.Axis.position == hours
        # One storm position per step; the buoys show every step up to the current one.
        assert storm.visible_feature_count == 1
        assert buoys.visible_feature_count == 20 * (hours + 1)
    demo.CurrentTime = MARCH_1 + 5 * HOUR
    assert ships.visible_feature_count == 4 and "010500Z MAR 2008" in ships.definition_expression
    assert demo.layer("Rain, first day").visible_feature_count is None

    demo.ApplyFilters(False)
    assert storm.visible_feature_count == 48
    demo.ApplyFilters()
    assert storm.visible_feature_count == 1


def test_stepping_and_playing(demo):
    demo.CurrentTime = MARCH_1 + 3 * HOUR
    assert demo.step() == MARCH_1 + 4 * HOUR
    assert demo.step_back() == MARCH_1 + 3 * HOUR
    assert demo.play(3) == MARCH_1 + 6 * HOUR
    assert demo.play(0) == MARCH_1 + 6 * HOUR
    demo.CurrentTime = MARCH_1 + 47 * HOUR
    assert demo.step() == MARCH_1  # wraps at the end as the step tool does
    demo.GoToPosition(10)
    assert demo.CurrentTime == MARCH_1 + 10 * HOUR
    with pytest.raises(ValueError, match="step_back"):
        demo.play(-1)

    storm = demo.layer("Storm track")
    seen = [(time, storm.visible_feature_count) for time in demo.times()]
    assert seen == [(MARCH_1 + k * HOUR, 1) for k in range(48)]


def test_the_axis_follows_start_finish_and_interval(demo):
    demo.StartTime = MARCH_1 + 6 * HOUR
    demo.FinishTime = MARCH_1 + 18 * HOUR
    demo.interval = dt.timedelta(hours=3)
    assert demo.Interval == 180
    assert list(demo.times()) == [MARCH_1 + k * HOUR for k in (6, 9, 12, 15, 18)]
    demo.interval = "2h"
    assert demo.interval == 2 * HOUR

    demo.interval = "1mon"
    assert (demo.Interval, demo.IntervalUnit) == (1, "m")
    with pytest.raises(ValueError, match="1 month, which a timedelta cannot hold"):
        demo.interval
    demo.IntervalUnit = "n"
    demo.Interval = 30
    assert demo.interval == dt.timedelta(minutes=30)

    demo.Display = chronova.DisplayOptions(display_type=chronova.DISPLAY_UNIQUE, fill_gaps=False)
    demo.Update()
    assert demo.Display.display_type == chronova.DISPLAY_UNIQUE and not demo.Display.fill_gaps
    assert demo.Axis.display_type == chronova.DISPLAY_UNIQUE

    for bad, error, message in [
        (dt.timedelta(seconds=90), ValueError, "whole number of minutes"),
        (dt.timedelta(0), ValueError, "positive"),
        ("fortnightly", ValueError, "15min, 2h"),
        (60, TypeError, "timedelta"),
    ]:
        with pytest.raises(error, match=message):
            demo.interval = bad
    with pytest.raises(ValueError, match="DISPLAY_INTERVAL"):
        chronova.DisplayOptions(display_type=7)


def test_dates_travel_exactly_to_the_millisecond(empty_map, sample_folder):
    # With fill-gaps off the registry answers a layer's time with the time itself, so the value makes the round
    # trip through the system's date and back.
    path = str(sample_folder / "buoys.csv")
    assert empty_map.AddCustomTimeLayer(empty_map.add_moving_points_layer(path), "TIME")
    empty_map.Update()
    empty_map.Display = chronova.DisplayOptions(fill_gaps=False)
    for time in [
        dt.datetime(100, 1, 1),
        dt.datetime(1800, 2, 3, 4, 5, 6, 7000),  # before day zero the serial's day is negative
        dt.datetime(1899, 12, 29, 6, 0, 0, 1000),
        dt.datetime(1899, 12, 30, 23, 59, 59, 999000),
        dt.datetime(2008, 3, 1, 1, 2, 3, 456000),
        dt.datetime(9999, 12, 31, 23, 59, 59, 999000),
    ]:
        assert empty_map.GetCurrentTimeByPath(path, time) == time
    # Microseconds round to the nearest millisecond; a date is midnight.
    assert empty_map.GetCurrentTimeByPath(path, dt.datetime(2008, 3, 1, 0, 0, 0, 456789)) == dt.datetime(
        2008, 3, 1, 0, 0, 0, 457000
    )
    assert empty_map.GetCurrentTimeByPath(path, dt.date(2008, 3, 1)) == MARCH_1
    assert empty_map.GetCurrentTimeByPath("no such path", MARCH_1) is None


def test_bad_times_are_refused(demo):
    before = demo.CurrentTime
    for bad, error, message in [
        (dt.datetime(99, 12, 31), ValueError, "years 100 to 9999, not in 99"),
        (dt.datetime(9999, 12, 31, 23, 59, 59, 999900), ValueError, "not in 10000"),
        (dt.datetime(2008, 3, 1, tzinfo=dt.timezone.utc), ValueError, "naive datetime"),
        ("2008-03-01", TypeError, "CurrentTime must be a datetime.datetime, not str"),
        (None, TypeError, "NoneType"),
    ]:
        with pytest.raises(error, match=message):
            demo.CurrentTime = bad
    assert demo.CurrentTime == before


def test_time_span(demo):
    demo.TimeSpanActive = True
    demo.SetTimeSpan(MARCH_1 + 2 * HOUR, MARCH_1 + 5 * HOUR)
    assert demo.GetTimeSpan() == (MARCH_1 + 2 * HOUR, MARCH_1 + 5 * HOUR)
    # A span beyond the axis is held inside it.
    demo.SetTimeSpan(MARCH_1 - HOUR, MARCH_1 + HOUR)
    assert demo.GetTimeSpan() == (MARCH_1, MARCH_1 + HOUR)
    assert demo.TimeAfterInterval(MARCH_1) == MARCH_1 + HOUR
