"""Frames as arrays and PNG files, and animations, drawn as the command line draws them."""

import datetime as dt
import threading

import chronova
import numpy as np
import pytest

MARCH_1 = dt.datetime(2008, 3, 1)


def test_frames_are_owned_rgba_arrays_that_change_between_steps(demo):
    first = demo.render(size=(320, 240))
    assert first.shape == (240, 320, 4) and first.dtype == np.uint8
    assert first.flags.owndata and first.flags.c_contiguous
    # The demo's background (#cfe3f0) shows in a corner the data does not cover... somewhere on the map.
    assert (first[..., :3] == (0xCF, 0xE3, 0xF0)).all(axis=-1).any()
    assert (first[..., 3] == 255).all()

    demo.step()
    second = demo.render(size=(320, 240))
    assert not np.array_equal(first, second)
    demo.step_back()
    assert np.array_equal(demo.render(size=(320, 240)), first)

    assert demo.render().shape == (768, 1024, 4)  # the project's export size
    with_timeline = demo.render(size=(320, 240), timeline=True)
    assert with_timeline.shape[1] == 320 and with_timeline.shape[0] > 240


def test_frames_follow_the_axis(demo):
    demo.StartTime = MARCH_1 + dt.timedelta(hours=10)
    demo.FinishTime = MARCH_1 + dt.timedelta(hours=12)
    frames = list(demo.frames(size=(64, 48)))
    assert [time for time, _ in frames] == [MARCH_1 + dt.timedelta(hours=h) for h in (10, 11, 12)]
    assert all(frame.shape == (48, 64, 4) for _, frame in frames)
    assert np.array_equal(frames[-1][1], demo.render(size=(64, 48)))


def test_png_of_the_current_frame(demo, out):
    path = out / "frame.png"
    demo.save_png(str(path), size=(80, 60))
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    width, height = int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big")
    assert (width, height) == (80, 60)
    with pytest.raises(chronova.Error) as unwritable:
        demo.save_png(str(out / "no" / "such" / "folder.png"))
    assert unwritable.value.number == 75


def test_gif_export_writes_one_frame_per_position(demo, out):
    path = out / "storm.gif"
    assert demo.export(str(path), size=(100, 80), fps=5) == 48
    data = path.read_bytes()
    assert data[:6] == b"GIF89a"
    assert int.from_bytes(data[6:8], "little") == 100 and int.from_bytes(data[8:10], "little") == 80
    assert data.count(b"\x21\xf9\x04") == 48  # one graphic control block per frame

    # The command line's axis options: a window of the range, another interval, the steps of the layers.
    assert demo.export(str(path), size=(40, 30), start=MARCH_1, finish=MARCH_1 + dt.timedelta(hours=12),
                       interval="6h") == 3
    assert demo.StartTime == MARCH_1 and demo.Interval == 360
    assert demo.export(str(path), size=(40, 30), unique=True, finish=MARCH_1 + dt.timedelta(hours=12)) == 13


def test_bad_export_arguments_write_nothing(demo, out):
    path = out / "never.gif"
    for kwargs, error, message in [
        ({"max_frames": 10}, ValueError, "48 frames, more than max_frames=10"),
        ({"size": (0, 10)}, ValueError, "sides from 1 to 16384"),
        ({"size": "640x480"}, TypeError, "pair of ints"),
        ({"fps": 0}, ValueError, "fps must be at least 1"),
        ({"start": MARCH_1 + dt.timedelta(hours=5), "finish": MARCH_1}, ValueError, "earlier than finish"),
        ({"interval": "6h", "unique": True}, ValueError, "exclude each other"),
    ]:
        with pytest.raises(error, match=message):
            demo.export(str(path), **kwargs)
    with pytest.raises(ValueError, match=".gif or .mp4"):
        demo.export(str(out / "never.png"))
    assert list(out.iterdir()) == []


def test_threads_share_the_map_safely(demo):
    expected = demo.render(size=(160, 120))
    results = []

    def draw():
        results.append(demo.render(size=(160, 120)))

    threads = [threading.Thread(target=draw) for _ in range(3)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert len(results) == 3 and all(np.array_equal(frame, expected) for frame in results)


def test_help_describes_the_interface():
    text = chronova.ChronovaData.__doc__ + chronova.ChronovaData.CurrentTime.__doc__
    assert "naive datetimes" in text and "filters every time layer" in text
    assert "RGBA" in chronova.ChronovaData.render.__doc__
