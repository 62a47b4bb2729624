# SPDX-License-Identifier: MIT
# Camera.stream(): successive frames, abandoned iterators, the end of a stream, drops.
import gc
import itertools
import threading
import time

import numpy as np
import pytest

import vidscope
from conftest import COLOUR


def stamp(raw):
    return int.from_bytes(raw[0, 0:4].tobytes(), "big")


def test_a_stream_hands_out_successive_frames_each_with_its_own_memory(camera):
    stream = camera.stream("raw")
    frames = list(itertools.islice(stream, 6))
    stamps = [stamp(f) for f in frames]
    assert stamps == sorted(set(stamps)), stamps
    assert stream.delivered == 6 and stream.format == "raw"
    # Earlier frames are untouched by the later ones.
    assert [stamp(f) for f in frames] == stamps
    assert all(not np.shares_memory(a, b) for a, b in zip(frames, frames[1:]))


def test_an_abandoned_stream_leaves_the_camera_usable_and_closable(camera):
    for number, frame in enumerate(camera.stream("gray")):
        if number == 2:
            break
    assert camera.grab().shape == (960, 1280, 3)
    again = camera.stream()
    assert next(again).shape == (960, 1280, 3)
    del again
    gc.collect()
    camera.close()
    vidscope.Camera(COLOUR).close()


def test_a_stream_ends_when_it_or_its_camera_is_closed(camera):
    stream = camera.stream()
    next(stream)
    stream.close()
    with pytest.raises(StopIteration):
        next(stream)
    stream = camera.stream()
    camera.close()
    assert list(stream) == []
    with pytest.raises(ValueError, match="closed"):
        camera.stream()


def test_closing_the_camera_from_another_thread_ends_a_waiting_stream(camera):
    camera.snap_mode = 2  # nothing comes without a trigger
    stream = camera.stream()
    closer = threading.Timer(1.5, camera.close)
    closer.start()
    started = time.monotonic()
    assert list(stream) == []
    closer.join()
    assert time.monotonic() - started < 5
    # Waiting out the 500 ms timeout before the close counts as a drop, not an error.
    assert stream.dropped >= 1 and stream.last_drop == "CAMERA_ERROR_DATA_TIMEOUT"
    # The sensor kept trigger mode, as a powered camera does; opened again it streams.
    with vidscope.Camera(COLOUR) as reopened:
        assert reopened.snap_mode == 1
        assert reopened.grab("gray").ndim == 2
