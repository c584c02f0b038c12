"""Opening projects and data, the layers found, and the errors of opening."""

import chronova
import pytest


def test_project_layers_keep_their_names_and_kinds(demo):
    kinds = {name: layer.kind for name, layer in demo.layers.items()}
    assert kinds == {
        "Storm track": "feature",
        "Drifting buoys": "group",
        "Buoys": "feature",
        "Drifters": "custom",
        "Ship tracks": "feature",
        "Stations": "feature",
        "Rain, second day": "raster",
        "Rain, first day": "raster",
        "Weather radar": "wms",
        "Coast": "feature",
    }
    assert demo.layer("Buoys") is demo.layers["Buoys"]
    assert demo.FindLayer(demo.layer("Buoys"))
    assert not demo.FindLayer(demo.layer("Coast"))
    with pytest.raises(KeyError, match="no layer named 'Boys'.*'Buoys'"):
        demo.layer("Boys")


def test_data_opens_with_the_time_setting_the_command_line_proposes(sample_folder):
    with chronova.open(str(sample_folder), layer="storm_track") as data:
        assert list(data.layers) == ["storm_track"]
        steps = data.TimeSteps(data.layer("storm_track"))
        assert len(steps) == 48
        assert data.Valid and len(data.positions) == 48
    assert data.closed

    with pytest.raises(ValueError, match="'land' .* not a time layer"):
        chronova.open(str(sample_folder), layer="land")
    with pytest.raises(ValueError, match="no layer named 'nope'.*storm_track"):
        chronova.open(str(sample_folder), layer="nope")


def test_failures_carry_the_error_number_and_a_readable_message(sample_folder, out):
    with pytest.raises(chronova.Error) as missing:
        chronova.open(str(out / "missing.chronova.json"))
    assert missing.value.number == 53
    assert str(missing.value) == missing.value.description
    assert "missing.chronova.json does not exist" in str(missing.value)

    broken = out / "broken.chronova.json"
    broken.write_text('{"chronova_project": 1, "layers": [{"name": "x", "kind": "nonsense"}]}')
    with pytest.raises(chronova.ProjectError) as bad:
        chronova.open(str(broken))
    assert isinstance(bad.value, chronova.Error)
    assert bad.value.file.endswith("broken.chronova.json")
    assert bad.value.place.startswith("/layers/0")

    # A layer whose data cannot be read names the layer and the file.
    project = out / "gone.chronova.json"
    project.write_text(
        '{"chronova_project": 1, "layers": [{"name": "Gone", "kind": "feature",'
        ' "source": {"workspace": "nowhere.gpkg", "dataset": "x"}}]}'
    )
    with pytest.raises(chronova.Error, match="'Gone'.*nowhere.gpkg"):
        chronova.open(str(project))


def test_opening_another_map_closes_the_one_before(sample_folder):
    first = chronova.open(str(sample_folder / "demo.chronova.json"))
    with pytest.raises(chronova.Error, match="does not exist"):
        chronova.open(str(sample_folder / "typo.chronova.json"))
    assert not first.closed and first.Valid  # a path that is not there leaves the open map alone
    second = chronova.ChronovaData()
    assert first.closed and not second.closed
    with pytest.raises(chronova.Error, match="closed") as closed:
        first.CurrentTime
    assert closed.value.number == 91
    second.close()
    second.close()  # closing twice is harmless
    assert "closed" in repr(second)
