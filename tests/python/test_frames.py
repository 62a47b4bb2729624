# SPDX-License-Identifier: MIT
# Frames as NumPy arrays: shape, dtype and content per format, ownership, errors of a grab.
import time

import numpy as np
import pytest

import vidscope
from conftest import darken, light

WIDTH, HEIGHT = 1280, 960


def stuck_sites(product_id, instance):
    """Where the virtual sensor puts its five stuck sites: a hash of model and instance, 16
    pixels clear of the border."""
    def mix(a, b):
        m = 0xFFFFFFFF
        h = ((a ^ 0xA5A5F00D) * 0x9E3779B1) & m
        h ^= ((b + 0x632BE5AB) * 0x85EBCA6B) & m
        h ^= h >> 16
        h = (h * 0x7FEB352D) & m
        return h ^ (h >> 15)

    sites = set()
    for k in range(5):
        h = mix((product_id * 131 + k) & 0xFFFFFFFF, instance)
        sites.add((16 + h % (WIDTH - 32), 16 + (h >> 16) % (HEIGHT - 32)))
    return sites


def saturated(raw):
    # Row 0 carries the frame stamp.
    ys, xs = np.nonzero(raw[1:] == 255)
    return set(zip(xs.tolist(), (ys + 1).tolist()))


@pytest.mark.parametrize("fixture, product_id, instance",
                         [("camera", 0x3120, 1), ("mono", 0x012B, 2)])
def test_the_stuck_pixels_of_the_sensor_are_where_it_puts_them(request, fixture, product_id,
                                                               instance):
    cam = request.getfixturevalue(fixture)
    darken(cam)
    raw = cam.grab("raw")
    assert raw.shape == (HEIGHT, WIDTH) and raw.dtype == np.uint8
    assert raw.mean() < 20
    assert saturated(raw) == stuck_sites(product_id, instance)


def test_a_frame_starts_with_the_sensors_frame_stamp(camera):
    raw = camera.grab("raw")
    number = int.from_bytes(raw[0, 0:4].tobytes(), "big")
    complement = int.from_bytes(raw[0, 4:8].tobytes(), "big")
    assert number ^ complement == 0xFFFFFFFF


@pytest.mark.parametrize("fmt, shape", [("rgb", (HEIGHT, WIDTH, 3)), ("bgr", (HEIGHT, WIDTH, 3)),
                                        ("gray", (HEIGHT, WIDTH)), ("grey", (HEIGHT, WIDTH)),
                                        ("raw", (HEIGHT, WIDTH))])
def test_each_format_has_its_shape_on_colour_and_monochrome_cameras(camera, mono, fmt, shape):
    for cam in (camera, mono):
        light(cam)
        frame = cam.grab(fmt)
        assert frame.shape == shape and frame.dtype == np.uint8
        assert frame.flags.c_contiguous and frame.flags.writeable
        assert 10 < frame.mean() < 245


def test_bgr_is_rgb_with_red_and_blue_swapped(camera):
    light(camera)
    camera.auto_white_balance = False
    camera.white_balance = (1.6, 1.0, 0.6)
    rgb = camera.grab("rgb").reshape(-1, 3).mean(axis=0)
    bgr = camera.grab("bgr").reshape(-1, 3).mean(axis=0)
    assert rgb[0] > rgb[2] + 10
    # Frames differ by the moving target and noise, a few levels at most.
    assert bgr == pytest.approx(rgb[::-1], abs=5)


def test_the_frame_follows_resolution_roi_and_rotation(camera):
    camera.resolution = 1
    assert camera.grab().shape == (480, 640, 3)
    camera.roi = (64, 32, 320, 240)
    assert camera.grab("gray").shape == (240, 320)
    camera.rotate = True
    assert camera.grab().shape == (320, 240, 3)
    assert camera.grab("raw").size >= 320 * 240


def rss_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * 4096


def test_a_frame_owns_its_memory_and_frees_it_when_dropped(camera):
    first = camera.grab("raw")
    kept = first.copy()
    second = camera.grab("raw")
    assert first.base is not None and first.base is not second.base
    assert not np.shares_memory(first, second)
    assert np.array_equal(first, kept)
    # A frame outlives its camera.
    camera.close()
    first[0, 0] = first[0, 0]
    assert np.array_equal(first, kept)


def test_frames_dropped_by_python_give_their_memory_back(camera):
    camera.grab()
    before = rss_bytes()
    for _ in range(40):
        frame = camera.grab()
        del frame
    # 40 leaked frames would be 147 MB.
    assert rss_bytes() - before < 30 * 2**20


def test_grab_refuses_unknown_formats_before_the_camera_is_asked(camera):
    with pytest.raises(TypeError):
        camera.grab(3)
    with pytest.raises(TypeError):
        camera.grab(b"rgb")
    with pytest.raises(ValueError, match="rgb"):
        camera.grab("yuv")
    with pytest.raises(ValueError):
        camera.stream("RGB")


def test_a_grab_without_a_frame_fails_with_the_timeout_code(camera):
    camera.snap_mode = 2
    started = time.monotonic()
    with pytest.raises(vidscope.CameraError) as late:
        camera.grab()
    assert (late.value.code, late.value.name) == (17, "CAMERA_ERROR_DATA_TIMEOUT")
    assert time.monotonic() - started >= camera.timeout / 1000 * 0.9
    # A software trigger brings the frame the grab waits for.
    camera.trigger()
    assert camera.grab("gray").shape == (HEIGHT, WIDTH)
