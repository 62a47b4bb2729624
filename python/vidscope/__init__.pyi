# SPDX-License-Identifier: MIT
# Type hints of the vidscope package (its classes live in the _vidscope extension).
from typing import Iterator, Literal, Sequence

import numpy as np
import numpy.typing as npt

__version__: str

Format = Literal["rgb", "bgr", "gray", "grey", "raw"]
Frame = npt.NDArray[np.uint8]

class CameraError(RuntimeError):
    """A camera API call failed; code is the API's last-error code, name its name."""

    code: int
    name: str

class CameraInfo:
    """An attached camera, as vidscope-cli list shows it."""

    @property
    def index(self) -> int: ...
    @property
    def device_code(self) -> int: ...
    @property
    def name(self) -> str: ...
    @property
    def short_name(self) -> str: ...

class Stream(Iterator[Frame]):
    """Frames of an open camera, one per iteration; drops are counted, not raised."""

    def __iter__(self) -> Stream: ...
    def __next__(self) -> Frame: ...
    def close(self) -> None: ...
    @property
    def format(self) -> str: ...
    @property
    def delivered(self) -> int: ...
    @property
    def dropped(self) -> int: ...
    @property
    def last_drop(self) -> str: ...

class Camera:
    """An open camera, freed by close() or at the end of a with block."""

    def __init__(self, index: int) -> None: ...
    def __enter__(self) -> Camera: ...
    def __exit__(self, *args: object) -> None: ...
    def close(self) -> None: ...
    def grab(self, format: Format = "rgb") -> Frame:
        """The next frame: H x W x 3 for rgb and bgr, H x W for gray, H rows for raw."""
    def stream(self, format: Format = "rgb") -> Stream: ...
    def trigger(self) -> None: ...
    @property
    def index(self) -> int: ...
    @property
    def closed(self) -> bool: ...
    @property
    def info(self) -> CameraInfo: ...
    @property
    def resolutions(self) -> list[tuple[int, int]]: ...
    @property
    def gamma(self) -> float:
        """Tone curve, 1.0 linear; 0.3..2.0."""
    @gamma.setter
    def gamma(self, value: float) -> None: ...
    @property
    def contrast(self) -> float:
        """Contrast stretch; 0.3..2.0."""
    @contrast.setter
    def contrast(self, value: float) -> None: ...
    @property
    def saturation(self) -> float:
        """Colour saturation, 0 grey; 0.0..2.0."""
    @saturation.setter
    def saturation(self, value: float) -> None: ...
    @property
    def wb(self) -> tuple[float, float, float]:
        """White-balance gains (red, green, blue), each 0.0..3.0."""
    @wb.setter
    def wb(self, value: Sequence[float]) -> None: ...
    @property
    def awb(self) -> bool:
        """Automatic white balance."""
    @awb.setter
    def awb(self, value: bool) -> None: ...
    @property
    def ccm(self) -> tuple[float, float, float, float, float, float, float, float, float]:
        """Colour matrix, 9 numbers row by row."""
    @ccm.setter
    def ccm(self, value: Sequence[float]) -> None: ...
    @property
    def enhancement(self) -> bool:
        """Colour through the matrix."""
    @enhancement.setter
    def enhancement(self, value: bool) -> None: ...
    @property
    def interpolation(self) -> int:
        """Stored interpolation choice; 0..255."""
    @interpolation.setter
    def interpolation(self, value: int) -> None: ...
    @property
    def exposure(self) -> int:
        """Exposure in sensor lines; at least 1."""
    @exposure.setter
    def exposure(self, value: int) -> None: ...
    @property
    def exposure_ms(self) -> float:
        """Exposure in milliseconds."""
    @property
    def gain(self) -> int:
        """Gain in sixteenths, 16 unity; 1..255."""
    @gain.setter
    def gain(self, value: int) -> None: ...
    @property
    def advanced_gain(self) -> int:
        """Extra digital gain stage; 0..255."""
    @advanced_gain.setter
    def advanced_gain(self, value: int) -> None: ...
    @property
    def black_level(self) -> int:
        """Black level; 0..255."""
    @black_level.setter
    def black_level(self, value: int) -> None: ...
    @property
    def ae_target(self) -> int:
        """Brightness target of the automatic exposure and gain; 0..255."""
    @ae_target.setter
    def ae_target(self, value: int) -> None: ...
    @property
    def brightness(self) -> int:
        """Mean brightness of the last frame."""
    @property
    def aec(self) -> bool:
        """Automatic exposure."""
    @aec.setter
    def aec(self, value: bool) -> None: ...
    @property
    def agc(self) -> bool:
        """Automatic gain."""
    @agc.setter
    def agc(self, value: bool) -> None: ...
    @property
    def anti_flicker(self) -> int:
        """0 off, 1 50 Hz, 2 60 Hz."""
    @anti_flicker.setter
    def anti_flicker(self, value: int) -> None: ...
    @property
    def high_speed(self) -> bool:
        """Doubled readout clock."""
    @high_speed.setter
    def high_speed(self, value: bool) -> None: ...
    @property
    def delay(self) -> int:
        """Extra blanking between frames."""
    @delay.setter
    def delay(self, value: int) -> None: ...
    @property
    def timeout(self) -> int:
        """Frame wait in ms; 500..50000."""
    @timeout.setter
    def timeout(self, value: int) -> None: ...
    @property
    def mirror_x(self) -> bool:
        """Mirror left to right."""
    @mirror_x.setter
    def mirror_x(self, value: bool) -> None: ...
    @property
    def mirror_y(self) -> bool:
        """Mirror top to bottom."""
    @mirror_y.setter
    def mirror_y(self, value: bool) -> None: ...
    @property
    def rotate(self) -> bool:
        """Quarter turn clockwise."""
    @rotate.setter
    def rotate(self, value: bool) -> None: ...
    @property
    def resolution(self) -> int:
        """Resolution number, an index into resolutions."""
    @resolution.setter
    def resolution(self, value: int) -> None: ...
    @property
    def size(self) -> tuple[int, int]:
        """Output (width, height)."""
    @property
    def resolution_mode(self) -> int:
        """0 crop, 1 skip, 2 bin."""
    @resolution_mode.setter
    def resolution_mode(self, value: int) -> None: ...
    @property
    def roi(self) -> tuple[int, int, int, int]:
        """Region (x, y, width, height) in sensor pixels, even; (0, 0, 0, 0) when none."""
    @roi.setter
    def roi(self, value: Sequence[int]) -> None: ...
    @property
    def snap_mode(self) -> int:
        """1 continuous, 2 trigger."""
    @snap_mode.setter
    def snap_mode(self, value: int) -> None: ...
    @property
    def gpio(self) -> int:
        """GPIO byte; writes bits 0x80 and 0x08."""
    @gpio.setter
    def gpio(self, value: int) -> None: ...
    @property
    def strobe(self) -> bool:
        """Strobe output (write only)."""
    @strobe.setter
    def strobe(self, value: bool) -> None: ...
    @property
    def strobe_invert(self) -> bool:
        """Inverted strobe polarity (write only)."""
    @strobe_invert.setter
    def strobe_invert(self, value: bool) -> None: ...
    @property
    def auto_exposure(self) -> bool:
        """Automatic exposure (the same as aec)."""
    @auto_exposure.setter
    def auto_exposure(self, value: bool) -> None: ...
    @property
    def auto_gain(self) -> bool:
        """Automatic gain (the same as agc)."""
    @auto_gain.setter
    def auto_gain(self, value: bool) -> None: ...
    @property
    def auto_white_balance(self) -> bool:
        """Automatic white balance (the same as awb)."""
    @auto_white_balance.setter
    def auto_white_balance(self, value: bool) -> None: ...
    @property
    def white_balance(self) -> tuple[float, float, float]:
        """White-balance gains (the same as wb)."""
    @white_balance.setter
    def white_balance(self, value: Sequence[float]) -> None: ...


def cameras() -> list[CameraInfo]:
    """The attached cameras, real ones first."""

def attach_virtual(codes: str) -> int:
    """Adds virtual cameras by device code ("3120,012B"); returns how many."""

def controls() -> dict[str, str]:
    """Every control property of Camera with its description."""
