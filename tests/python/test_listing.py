# SPDX-License-Identifier: MIT
# Listing cameras: the same list as vidscope-cli, attaching virtual ones, opening by index.
import json
import os
import subprocess

import pytest

import vidscope
from conftest import COLOUR, MONO


def cli_list():
    out = subprocess.run([os.environ["VIDSCOPE_CLI"], "list", "--json"], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)


def test_cameras_lists_what_the_command_line_lists():
    listed = [(c.index, c.device_code, c.name, c.short_name) for c in vidscope.cameras()]
    expected = [(c["index"], c["device_code"], c["name"], c["short_name"]) for c in cli_list()]
    assert listed == expected
    assert [c[1] for c in listed[:2]] == [0x3120, 0x012B]


def test_an_open_camera_knows_its_entry_and_frees_it_on_leaving_the_block():
    entry = vidscope.cameras()[MONO]
    with vidscope.Camera(MONO) as cam:
        assert (cam.index, cam.info.name, cam.info.device_code) == (MONO, entry.name, 0x012B)
        assert not cam.closed
        assert "VS-M120M" in repr(cam)
    assert cam.closed
    # Freed: the same index opens again.
    vidscope.Camera(MONO).close()


def test_bad_indexes_fail_before_or_at_the_api_with_its_code():
    with pytest.raises(TypeError):
        vidscope.Camera("0")
    with pytest.raises(TypeError):
        vidscope.Camera(0.0)
    with pytest.raises(TypeError):
        vidscope.Camera(True)
    for index in (-1, 256, 2**70):
        with pytest.raises(ValueError, match="0..255"):
            vidscope.Camera(index)
    with pytest.raises(vidscope.CameraError) as missing:
        vidscope.Camera(200)
    assert (missing.value.code, missing.value.name) == (5, "CAMERA_ERROR_NO_CAMERA_FOUND")
    assert "CameraInit" in str(missing.value)


def test_a_camera_open_elsewhere_in_the_process_is_refused_and_left_working(camera):
    with pytest.raises(vidscope.CameraError) as busy:
        vidscope.Camera(COLOUR)
    assert (busy.value.code, busy.value.name) == (6, "CAMERA_ERROR_INITIALIZED_ALREADY")
    assert isinstance(busy.value, RuntimeError)
    assert camera.grab().shape == (960, 1280, 3)


def test_closed_cameras_refuse_everything_but_closing():
    cam = vidscope.Camera(COLOUR)
    cam.close()
    cam.close()
    for action in (lambda: cam.gamma, lambda: setattr(cam, "gamma", 1.0), cam.grab,
                   cam.stream, cam.trigger, lambda: cam.resolutions):
        with pytest.raises(ValueError, match="closed"):
            action()


def test_attaching_virtual_cameras_appends_them_and_unknown_codes_are_refused():
    before = len(vidscope.cameras())
    assert vidscope.attach_virtual("303B") == 1
    after = vidscope.cameras()
    assert len(after) == before + 1 and after[-1].device_code == 0x303B
    assert [c.device_code for c in after[:2]] == [0x3120, 0x012B]
    with pytest.raises(vidscope.CameraError) as unknown:
        vidscope.attach_virtual("FFFF")
    assert unknown.value.code == 5
    with pytest.raises(TypeError):
        vidscope.attach_virtual(0x303B)
