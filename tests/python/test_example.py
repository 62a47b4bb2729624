# SPDX-License-Identifier: MIT
# The example script of the manual runs and its histogram counts every pixel of the frame.
import pathlib
import re
import subprocess
import sys

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "doc" / "histogram.py"


def test_the_histogram_example_counts_every_pixel_of_a_frame():
    run = subprocess.run([sys.executable, str(SCRIPT), "1"], capture_output=True, text=True,
                         timeout=60)
    assert run.returncode == 0, run.stderr
    lines = run.stdout.splitlines()
    assert lines[0].startswith("Virtual VS-M120M") and "1280 x 960" in lines[0]
    counts = [int(m.group(1)) for m in map(re.compile(r"^\s*\d+\.\.\s*\d+\s+(\d+)").match, lines)
              if m]
    assert len(counts) == 16 and sum(counts) == 1280 * 960


def test_the_example_says_what_went_wrong_for_a_missing_camera():
    run = subprocess.run([sys.executable, str(SCRIPT), "9"], capture_output=True, text=True,
                         timeout=60)
    assert run.returncode == 1 and "CAMERA_ERROR_NO_CAMERA_FOUND" in run.stderr
