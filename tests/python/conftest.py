"""Fixtures of the chronova module's tests: the sample data, written once per run, and maps opened on it."""

import pathlib

import chronova
import pytest


@pytest.fixture(scope="session")
def sample_folder(tmp_path_factory):
    folder = tmp_path_factory.mktemp("sample")
    chronova.generate_sample_data(str(folder))
    return folder


@pytest.fixture
def demo(sample_folder):
    """The demo project: hourly positions from 1 March 2008 00:00 to 2 March 23:00."""
    data = chronova.open(str(sample_folder / "demo.chronova.json"))
    yield data
    data.close()


@pytest.fixture
def empty_map():
    data = chronova.ChronovaData()
    yield data
    data.close()


@pytest.fixture
def out(tmp_path) -> pathlib.Path:
    return tmp_path
