#!/usr/bin/python3
"""Steps through the demo project, looks at each frame as an array and writes a GIF.

    /usr/bin/python3 examples/python/step_through.py [FOLDER]

FOLDER (default chronova-demo) receives the sample data and the animation.
"""

import datetime as dt
import pathlib
import sys

import chronova


def main(folder: pathlib.Path) -> None:
    project = chronova.generate_sample_data(str(folder / "data"))
    with chronova.open(project) as data:
        print("layers:", ", ".join(data.layers))
        print(f"axis: {data.StartTime} to {data.FinishTime}, every {data.interval}")

        # The storm's first day, every three hours: frames are height x width x 4 RGBA arrays, so NumPy tells how
        # much of the map changed since the frame before.
        data.StartTime = dt.datetime(2008, 3, 1)
        data.FinishTime = dt.datetime(2008, 3, 1, 21)
        data.interval = dt.timedelta(hours=3)
        buoys = data.layer("Buoys")
        previous = None
        for time, frame in data.frames(size=(480, 360)):
            changed = 0.0 if previous is None else (frame != previous).any(axis=-1).mean()
            print(f"{time:%d %b %H:%M}  buoy fixes drawn {buoys.visible_feature_count:4}  changed {changed:.1%}")
            previous = frame

        # Back to the whole range and hourly steps for the animation.
        data.StartTime = dt.datetime(2008, 3, 1)
        data.FinishTime = dt.datetime(2008, 3, 2, 23)
        data.interval = "1h"
        gif = folder / "storm.gif"
        count = data.export(str(gif), size=(640, 480), fps=6, timeline=True)
        print(f"{count} frames written to {gif}")


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "chronova-demo"))
