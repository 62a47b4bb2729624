# SPDX-License-Identifier: MIT
# vidscope: vidScope's cameras for Python, controls as properties and frames as NumPy arrays.
"""vidScope's cameras for Python.

    import vidscope
    with vidscope.Camera(0) as cam:
        cam.exposure = 300
        frame = cam.grab()          # H x W x 3 uint8 NumPy array

Virtual cameras for trying it without hardware: VIDSCOPE_VIRTUAL_CAMERAS=3120,012B in the
environment, or vidscope.attach_virtual("3120,012B").
"""

try:
    import numpy  # noqa: F401 -- every frame is a NumPy array
except ImportError as missing:
    raise ImportError("vidscope hands out frames as NumPy arrays: install python3-numpy, or run "
                      "the python3 it is installed for (Debian's /usr/bin/python3)") from missing

from ._vidscope import (
    Camera,
    CameraError,
    CameraInfo,
    Stream,
    __version__,
    attach_virtual,
    cameras,
    controls,
)

__all__ = [
    "Camera",
    "CameraError",
    "CameraInfo",
    "Stream",
    "attach_virtual",
    "cameras",
    "controls",
]
