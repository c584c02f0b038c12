"""Building a map from data and registering every kind of time layer, as the C++ interface does."""

import datetime as dt

import chronova
import pytest

HOUR = dt.timedelta(hours=1)
MARCH_1 = dt.datetime(2008, 3, 1)


def test_feature_layers_register_by_their_source_and_time_field(empty_map, sample_folder):
    ships = empty_map.add_feature_layer(str(sample_folder / "ships"), "ship_tracks", name="Ships")
    buoys = empty_map.add_feature_layer(str(sample_folder / "storms.gpkg"), "buoys")
    assert ships.name == "Ships" and buoys.name == "buoys"
    # Each add operation takes only its own kind of source.
    assert not empty_map.AddGeoDatabaseLayer(ships, "DTG")
    assert not empty_map.AddShapefileLayer(buoys, "WHEN")
    assert not empty_map.AddGeoDatabaseLayer(buoys, "NO_SUCH_FIELD")
    assert empty_map.AddShapefileLayer(ships, "DTG")
    assert empty_map.AddGeoDatabaseLayer(buoys, "WHEN")
    assert not empty_map.Valid  # until the slider is rebuilt
    empty_map.Update()
    assert empty_map.Valid

    steps = empty_map.TimeSteps(buoys)
    assert steps == [MARCH_1 + k * HOUR for k in range(48)]
    assert empty_map.positions == steps
    assert empty_map.StartTime == MARCH_1 and empty_map.FinishTime == MARCH_1 + 47 * HOUR

    empty_map.RemoveLayer(buoys)
    assert not empty_map.FindLayer(buoys) and empty_map.FindLayer(ships)
    with pytest.raises(ValueError, match="'buoys' is not a registered time layer"):
        empty_map.TimeSteps(buoys)
    empty_map.Clear()
    assert not empty_map.FindLayer(ships)


def test_joined_raster_custom_and_wms_layers(empty_map, sample_folder):
    stations = empty_map.add_feature_layer(str(sample_folder / "stations.gpkg"), "STATIONS")
    assert empty_map.AddGeoDatabaseJoinedLayer(
        stations, "ID", "Join_Stations", "OBS", "OBS_ID", "STATION_ID", "TIME", other_fields="TEMP"
    )
    # Station reports every three hours over the two days.
    assert empty_map.TimeSteps(stations) == [MARCH_1 + 3 * k * HOUR for k in range(16)]

    rain = empty_map.add_raster_layer(str(sample_folder / "rain.tif"))
    assert empty_map.AddRasterLayer(rain, "", MARCH_1, 3600, "h")
    assert empty_map.TimeSteps(rain) == [MARCH_1 + k * HOUR for k in range(24)]
    # The start as a minute count and the interval as a timedelta give the same bands.
    again = empty_map.add_raster_layer(str(sample_folder / "rain.tif"), name="again")
    minutes = int((MARCH_1 - dt.datetime(1899, 12, 30)).total_seconds() // 60)
    assert empty_map.AddRasterLayer(again, "", minutes, HOUR, "h")
    assert empty_map.TimeSteps(again) == empty_map.TimeSteps(rain)

    drifters = empty_map.add_moving_points_layer(str(sample_folder / "buoys.csv"), "Drifters")
    assert drifters.kind == "custom"
    assert not empty_map.AddCustomTimeLayer(stations, "TIME")  # not a layer with its own steps
    assert empty_map.AddCustomTimeLayer(drifters, "TIME")
    assert len(empty_map.TimeSteps(drifters)) == 48
    assert empty_map.FindLayerByPath(str(sample_folder / "buoys.csv"))

    radar = empty_map.add_wms_layer("https://wms.example.org/radar", ["radar"], name="Radar")
    assert radar.kind == "wms"
    assert empty_map.AddWMSLayer(radar)
    # 49 hourly steps around the present hour.
    steps = empty_map.TimeSteps(radar)
    assert len(steps) == 49 and steps[1] - steps[0] == HOUR
    assert abs(steps[24] - dt.datetime.now()) < dt.timedelta(hours=2)

    assert list(empty_map.layers) == ["Radar", "Drifters", "again", "rain.tif", "STATIONS"]


def test_layer_settings_read_back(demo):
    buoys = demo.layer("Buoys")
    demo.TimeWindow(buoys, "2h")
    assert demo.TimeWindow(buoys) == "2h"
    with pytest.raises(chronova.Error) as bad_window:
        demo.TimeWindow(buoys, "two hours")
    assert bad_window.value.number == 5
    demo.LayerTimeZone(buoys, "Europe/Berlin")
    assert demo.LayerTimeZone(buoys) == "Europe/Berlin"
    assert not demo.TimeInYears(buoys)  # WHEN is a date field


def test_bad_arguments_are_refused_with_clear_exceptions(demo, sample_folder):
    with pytest.raises(TypeError, match="layer: chronova.Layer"):
        demo.AddShapefileLayer(None, "DTG")
    with pytest.raises(TypeError, match="start_time must be a datetime.datetime, not str"):
        demo.AddRasterLayer(demo.layer("Rain, first day"), "", "2008-03-01", 3600, "h")
    with pytest.raises(ValueError, match="whole number of minutes"):
        demo.AddRasterLayer(demo.layer("Rain, first day"), "", MARCH_1, dt.timedelta(seconds=90), "h")
    with pytest.raises(chronova.Error):
        demo.add_feature_layer(str(sample_folder / "storms.gpkg"), "no_such_layer")
    with pytest.raises(ValueError, match="address"):
        demo.add_wms_layer("")
