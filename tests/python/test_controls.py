# SPDX-License-Identifier: MIT
# Controls as properties: round trips through the camera, checks before the API, its refusals.
import ast
import pathlib

import numpy as np
import pytest

import vidscope

# A value other than the camera's default for every control that can be set and read back.
NEW_VALUES = {
    "gamma": 0.6,
    "contrast": 1.4,
    "saturation": 0.25,
    "wb": (1.5, 0.75, 2.0),
    "awb": True,
    "enhancement": True,
    "interpolation": 3,
    "exposure": 321,
    "gain": 40,
    "advanced_gain": 2,
    "black_level": 12,
    "ae_target": 90,
    "aec": False,
    "agc": False,
    "anti_flicker": 2,
    "high_speed": True,
    "delay": 40,
    "timeout": 1500,
    "mirror_x": True,
    "mirror_y": True,
    "rotate": True,
    "resolution": 1,
    "resolution_mode": 2,
    "roi": (64, 32, 320, 240),
    "snap_mode": 2,
    "gpio": 0x80,
    "ccm": (1.25, -0.125, -0.125, -0.25, 1.5, -0.25, 0.0, -0.5, 1.5),
}
READ_ONLY = {"exposure_ms", "brightness", "size"}
WRITE_ONLY = {"strobe", "strobe_invert"}
ALIASES = {"auto_exposure": "aec", "auto_gain": "agc", "auto_white_balance": "awb",
           "white_balance": "wb"}


def test_every_control_of_the_table_is_a_property_and_covered_here():
    names = set(vidscope.controls())
    assert names == set(NEW_VALUES) | READ_ONLY | WRITE_ONLY
    for name in names | set(ALIASES):
        assert isinstance(getattr(vidscope.Camera, name), property), name


@pytest.mark.parametrize("name", sorted(NEW_VALUES))
def test_a_set_value_reads_back_from_the_camera(camera, name):
    value = NEW_VALUES[name]
    assert getattr(camera, name) != value
    setattr(camera, name, value)
    got = getattr(camera, name)
    assert type(got) is type(value)
    if isinstance(value, (float, tuple)):
        assert got == pytest.approx(value)
    else:
        assert got == value


def test_aliases_are_the_same_control(camera):
    for alias, name in ALIASES.items():
        before = getattr(camera, name)
        value = (2.5, 1.0, 0.5) if name == "wb" else not before
        setattr(camera, alias, value)
        assert getattr(camera, name) == value and getattr(camera, alias) == value


def test_sequences_of_any_kind_and_numpy_numbers_are_accepted(camera):
    camera.wb = np.array([0.5, 1.0, 1.5])
    assert camera.wb == (0.5, 1.0, 1.5)
    camera.roi = [16, 16, np.int64(640), 480]
    assert camera.roi == (16, 16, 640, 480)
    camera.exposure = np.uint16(77)
    camera.gamma = 2
    assert (camera.exposure, camera.gamma) == (77, 2.0)


@pytest.mark.parametrize("name, value, error", [
    ("gamma", "1.0", TypeError),
    ("gamma", None, TypeError),
    ("gamma", True, TypeError),
    ("gamma", 2.5, ValueError),
    ("gamma", float("nan"), ValueError),
    ("exposure", 300.0, TypeError),
    ("exposure", 0, ValueError),
    ("exposure", 2**31, ValueError),
    ("exposure", 2**80, ValueError),
    ("exposure", True, TypeError),
    ("gain", 256, ValueError),
    ("aec", 2, ValueError),
    ("aec", 1.0, TypeError),
    ("aec", "on", TypeError),
    ("wb", 1.0, TypeError),
    ("wb", "abc", TypeError),
    ("wb", (1.0, 1.0), ValueError),
    ("wb", (1.0, 1.0, 3.5), ValueError),
    ("wb", (1.0, "x", 1.0), TypeError),
    ("roi", (0, 0, 64, 64, 0), ValueError),
    ("roi", (0, 0, -64, 64), ValueError),
    ("snap_mode", 3, ValueError),
    ("resolution", 4, ValueError),
    ("timeout", 499, ValueError),
])
def test_bad_values_raise_before_the_camera_changes(camera, name, value, error):
    before = getattr(camera, name)
    with pytest.raises(error, match=name):
        setattr(camera, name, value)
    assert getattr(camera, name) == before


def test_read_only_and_write_only_controls(camera):
    for name in READ_ONLY:
        with pytest.raises(AttributeError):
            setattr(camera, name, getattr(camera, name))
    for name in WRITE_ONLY:
        setattr(camera, name, True)
        with pytest.raises(AttributeError, match="only be set"):
            getattr(camera, name)
    assert camera.exposure_ms > 0 and camera.size == (1280, 960)


def test_the_apis_refusals_come_with_their_codes(camera):
    # Odd offsets pass the range check and are refused by the camera API.
    with pytest.raises(vidscope.CameraError) as odd:
        camera.roi = (1, 1, 64, 64)
    assert (odd.value.code, odd.value.name) == (2, "CAMERA_ERROR_PARAMETER_UNREASONABLE")
    assert "roi" in str(odd.value)
    with pytest.raises(vidscope.CameraError) as outside:
        camera.roi = (1280, 0, 64, 64)
    assert outside.value.code == 2
    assert camera.roi == (0, 0, 0, 0) and camera.size == (1280, 960)


def test_resolution_and_roi_change_what_the_camera_reports(camera):
    sizes = camera.resolutions
    assert sizes[0] == (1280, 960) and len(sizes) == 4
    camera.resolution = 2
    assert camera.size == sizes[2]
    camera.roi = (64, 32, 320, 240)
    assert camera.size == (320, 240)
    camera.resolution = 0
    assert camera.roi == (0, 0, 0, 0) and camera.size == (1280, 960)
    camera.rotate = True
    assert camera.size == (960, 1280)


def stub_properties(tree, class_name):
    cls = next(n for n in tree.body if isinstance(n, ast.ClassDef) and n.name == class_name)
    return {f.name for f in cls.body if isinstance(f, ast.FunctionDef)
            and any(isinstance(d, ast.Name) and d.id == "property" for d in f.decorator_list)}


def test_the_type_hints_declare_every_property_of_the_module():
    stub = pathlib.Path(vidscope.__file__).with_name("__init__.pyi")
    tree = ast.parse(stub.read_text())
    for class_name in ("Camera", "Stream", "CameraInfo"):
        cls = getattr(vidscope, class_name)
        actual = {n for n in dir(cls) if isinstance(getattr(cls, n), property)}
        assert stub_properties(tree, class_name) == actual, class_name
    functions = {f.name for f in tree.body if isinstance(f, ast.FunctionDef)}
    assert functions == {"cameras", "attach_virtual", "controls"}
