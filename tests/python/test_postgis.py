"""A time layer on a PostGIS table of the test cluster, opened and stepped from Python."""

import datetime as dt
import os
import subprocess
import uuid

import chronova
import numpy as np
import pytest

MARCH_1 = dt.datetime(2008, 3, 1)


@pytest.fixture
def fixes_table():
    """A schema of the test's own holding `fixes`: ten ships, one fix each every hour of 1 March 2008."""
    connection_file = os.environ.get("CHRONOVA_TEST_DATABASE")
    assert connection_file, "CHRONOVA_TEST_DATABASE names the test cluster's connection file (ctest sets it)"
    with open(connection_file, encoding="utf-8") as file:
        connection = file.read().strip()
    schema = "python_" + uuid.uuid4().hex[:12]
    conninfo = connection.removeprefix("PG:")

    # psql is not built with the sanitizers a sanitizer build preloads into the interpreter.
    environment = {name: value for name, value in os.environ.items() if name != "LD_PRELOAD"}

    def sql(statements):
        subprocess.run(
            ["psql", conninfo, "-q", "-v", "ON_ERROR_STOP=1", "-c", statements], check=True, env=environment, timeout=120
        )

    sql(
        f"CREATE SCHEMA {schema}; SET search_path TO {schema}, public;"
        " CREATE TABLE fixes (id serial PRIMARY KEY, geom geometry(Point, 4326), fix_time timestamp, ship text);"
        " INSERT INTO fixes (geom, fix_time, ship)"
        " SELECT ST_SetSRID(ST_MakePoint(-90 + (i % 10) * 0.5 + (i / 10) * 0.05, 25 + (i % 10) * 0.3), 4326),"
        "   TIMESTAMP '2008-03-01' + (i / 10) * INTERVAL '1 hour', 'ship ' || (i % 10)"
        " FROM generate_series(0, 239) AS i;"
        " CREATE INDEX ON fixes (fix_time);"
    )
    yield f"{connection} active_schema={schema}"
    sql(f"DROP SCHEMA {schema} CASCADE")


def test_a_postgis_table_steps_like_a_file(empty_map, fixes_table):
    fixes = empty_map.add_feature_layer(fixes_table, "fixes", name="Fixes")
    assert fixes.feature_count == 240
    assert empty_map.AddGeoDatabaseLayer(fixes, "fix_time")
    empty_map.Update()
    assert empty_map.TimeSteps(fixes) == [MARCH_1 + dt.timedelta(hours=h) for h in range(24)]

    frames = []
    for hours in (5, 6):
        empty_map.CurrentTime = MARCH_1 + dt.timedelta(hours=hours)
        assert fixes.visible_feature_count == 10
        frames.append(empty_map.render(size=(160, 120)))
    assert not np.array_equal(frames[0], frames[1])

    with pytest.raises(chronova.Error):
        empty_map.add_feature_layer(fixes_table, "no_such_table")
