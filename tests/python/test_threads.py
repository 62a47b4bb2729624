# SPDX-License-Identifier: MIT
# Waiting for frames while other Python threads run, Ctrl+C during a grab, grabs in parallel.
import _thread
import threading
import time

import pytest

import vidscope


def test_other_threads_run_while_one_waits_for_a_frame(camera):
    camera.snap_mode = 2
    camera.timeout = 10000
    result = {}
    waiter = threading.Thread(target=lambda: result.setdefault("frame", camera.grab()))
    waiter.start()
    counted = 0
    deadline = time.monotonic() + 0.5
    while time.monotonic() < deadline:
        counted += 1
    # The loop above ran while the grab was still waiting for its frame.
    assert waiter.is_alive() and counted > 10000
    camera.trigger()
    waiter.join(5)
    assert not waiter.is_alive() and result["frame"].shape == (960, 1280, 3)


def test_ctrl_c_ends_a_grab_at_once_and_the_camera_goes_on(camera):
    camera.snap_mode = 2
    camera.timeout = 20000
    timer = threading.Timer(0.3, _thread.interrupt_main)
    timer.start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        camera.grab()
    assert time.monotonic() - started < 3
    timer.join()
    camera.snap_mode = 1
    camera.timeout = 1000
    assert camera.grab().shape == (960, 1280, 3)


def test_threads_grabbing_and_setting_one_camera_take_turns(camera):
    errors = []
    shapes = []

    def grab_some():
        try:
            for _ in range(5):
                shapes.append(camera.grab("gray").shape)
        except Exception as error:  # noqa: BLE001 -- reported by the assertion below
            errors.append(error)

    def set_some():
        try:
            for value in range(20):
                camera.gamma = 0.5 + value / 20
                camera.exposure = 10 + value
        except Exception as error:  # noqa: BLE001
            errors.append(error)

    threads = [threading.Thread(target=t) for t in (grab_some, grab_some, set_some)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(30)
    assert errors == [] and shapes == [(960, 1280)] * 10
