# SPDX-License-Identifier: MIT
# Fixtures of the vidscope package tests: the virtual cameras CTest attaches, opened per test.
import os

import pytest

import vidscope

# CTest attaches VIDSCOPE_VIRTUAL_CAMERAS=3120,012B: a 1280 x 960 Bayer USB 3 camera and a
# monochrome USB 2 one of the same size, virtual instances 1 and 2 of this process.
COLOUR = 0
MONO = 1


def pytest_configure(config):
    if os.environ.get("VIDSCOPE_VIRTUAL_CAMERAS") != "3120,012B":
        raise pytest.UsageError("run through CTest (ctest -R python_module): the tests need "
                                "VIDSCOPE_VIRTUAL_CAMERAS=3120,012B and PYTHONPATH=<build>/python")


def opened(index):
    with vidscope.Camera(index) as cam:
        yield cam


@pytest.fixture
def camera():
    yield from opened(COLOUR)


@pytest.fixture
def mono():
    yield from opened(MONO)


def light(cam):
    """A mid-grey picture whatever an earlier test left in the sensor, which keeps its
    registers across closing."""
    cam.auto_exposure = False
    cam.auto_gain = False
    cam.exposure = 400
    cam.gain = 16


def darken(cam):
    """Shortest exposure at the lowest gain with the loops off: only defects reach full scale."""
    cam.auto_exposure = False
    cam.auto_gain = False
    cam.exposure = 1
    cam.gain = 1
